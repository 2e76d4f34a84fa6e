#include "framework/XmlDocument.h"

#include <string>

#include "framework/Exceptions.h"
#include "tests/unit/ClientFolderTest.h"

namespace framework {
namespace {

using testing_support::Fixture;
using testing_support::ScratchFolder;
using testing_support::WriteBytes;

// The parser's reason and where it stopped, for a file that does not parse; the system's error
// for one that cannot be read.
TEST(XmlDocument, AFileThatDoesNotParseRaisesTheParsersReasonAndPlace) {
    ScratchFolder folder;
    const std::wstring path = folder / L"broken.xml";
    WriteBytes(path, Fixture(L"broken-truncated.xml"));
    const TXMLDocument document(nullptr);
    const TXmlChildEdit keepAll;
    try {
        document.PlanEdit(path, keepAll);
        ADD_FAILURE() << "no exception";
    } catch (const EXmlParseError& error) {
        EXPECT_TRUE(error.Message().starts_with(L"Cannot parse " + path + L": ")) << error.what();
        EXPECT_FALSE(error.Reason().empty());
        EXPECT_EQ(error.Line(), 9);
        EXPECT_GT(error.Column(), 0);
    }
    EXPECT_THROW(document.PlanEdit(folder / L"missing.xml", keepAll), EOSError);
}

}  // namespace
}  // namespace framework
