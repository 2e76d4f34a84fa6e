#include "framework/XmlDocument.h"

#include "framework/Exceptions.h"
#include "framework/XmlEncoding.h"
#include "tests/unit/ClientFolderTest.h"

#include <string>

namespace framework {
namespace {

using testing_support::Fixture;
using testing_support::FolderEntries;
using testing_support::FolderState;
using testing_support::ReadBytes;
using testing_support::ScratchFolder;
using testing_support::WriteBytes;

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(FitDeclaredEncoding, WritesUtf16DocumentsAsUtf16AndFlagsWhatBytesCannotProve) {
    const std::string utf8Text = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\xD0\x9A \xF0\x9F\x98\x80</a>";
    const std::wstring utf16Text = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\u041A \U0001F600</a>";
    std::vector<std::uint8_t> utf16 = {0xFF, 0xFE};
    const auto* units = reinterpret_cast<const std::uint8_t*>(utf16Text.data());
    utf16.insert(utf16.end(), units, units + utf16Text.size() * sizeof(wchar_t));
    struct Case {
        const char* name;
        std::vector<std::uint8_t> written;
        std::vector<std::uint8_t> expected;
        bool needsRoundTrip;
    };
    const Case cases[] = {
        {"UTF-8", Bytes("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xC3\xA9</a>"),
         Bytes("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xC3\xA9</a>"), false},
        {"no declaration", Bytes("<a>\xC3\xA9</a>"), Bytes("<a>\xC3\xA9</a>"), false},
        {"UTF-16 written as UTF-8", Bytes(utf8Text), utf16, false},
        {"UTF-16 written as UTF-16", utf16, utf16, false},
        {"other encoding, ASCII only", Bytes("<?xml version='1.0' encoding = 'ISO-8859-1'?><a>e</a>"),
         Bytes("<?xml version='1.0' encoding = 'ISO-8859-1'?><a>e</a>"), false},
        {"other encoding beyond ASCII", Bytes("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE9</a>"),
         Bytes("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE9</a>"), true},
        {"UTF-16 without a mark", {'<', 0, 'a', 0, '/', 0, '>', 0}, {'<', 0, 'a', 0, '/', 0, '>', 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TEncodedXml encoded = FitDeclaredEncoding(c.written);
        EXPECT_EQ(encoded.bytes, c.expected);
        EXPECT_EQ(encoded.needsRoundTrip, c.needsRoundTrip);
    }
    EXPECT_THROW(FitDeclaredEncoding(Bytes("<?xml version=\"1.0\" encoding=\"utf-16\"?><a>\xE9</a>")), EXmlError);
}

class XmlDocumentTest : public testing::Test {
protected:
    ComApartment m_com;
    ScratchFolder m_folder;
    TXMLDocument m_document{nullptr};
};

TEST_F(XmlDocumentTest, AFileThatDoesNotParseRaisesTheParsersReason) {
    const std::wstring path = m_folder / L"broken.xml";
    WriteBytes(path, Fixture(L"broken-truncated.xml"));
    try {
        m_document.LoadFromFile(path);
        ADD_FAILURE() << "no exception";
    } catch (const EXmlError& error) {
        EXPECT_TRUE(error.Message().starts_with(L"Cannot parse " + path + L": ")) << error.what();
    }
    EXPECT_FALSE(m_document.Active());
    EXPECT_THROW(m_document.LoadFromFile(m_folder / L"missing.xml"), EOSError);
    EXPECT_THROW(m_document.DocumentElement(), EXmlError);
}

// An 8-bit encoding other than UTF-8 reads back as it was, or the save fails and the file stays.
TEST_F(XmlDocumentTest, AnotherEightBitEncodingNeverComesBackGarbled) {
    const std::wstring path = m_folder / L"latin1.xml";
    WriteBytes(path, Fixture(L"settings-latin1.xml"));
    m_document.LoadFromFile(path);
    const std::wstring owner = L"Ren\u00E9e M\u00FCller";
    ASSERT_EQ(m_document.DocumentElement().FirstChild().FirstChild().Text(), owner);
    const auto before = FolderState(m_folder.Path());
    try {
        m_document.SaveToFile(path);
        m_document.LoadFromFile(path);
        EXPECT_EQ(m_document.DocumentElement().FirstChild().FirstChild().Text(), owner);
    } catch (const EXmlError&) {
        EXPECT_EQ(FolderState(m_folder.Path()), before);
    }
    EXPECT_EQ(FolderEntries(m_folder.Path()), std::vector<std::wstring>{L"latin1.xml"});
}

}  // namespace
}  // namespace framework
