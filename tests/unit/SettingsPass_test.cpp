#include "ui/SettingsPass.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "framework/Files.h"
#include "framework/Text.h"
#include "tests/unit/ClientFolderTest.h"

namespace testing_support {
namespace {

// The file's bytes for text, in the encoding the test names: a code page, or UTF-8, UTF-16LE or
// UTF-16BE, with a byte order mark when asked.
enum class Encoding { Utf8, Utf16LE, Utf16BE, CodePage };

struct Charset {
    const char* declared;  // the name the declaration gives
    Encoding encoding;
    unsigned codePage;
    bool bom;
    const wchar_t* sample;  // a value beyond ASCII in this encoding
};

std::vector<std::uint8_t> Encode(std::wstring_view text, const Charset& charset) {
    std::vector<std::uint8_t> bytes;
    switch (charset.encoding) {
        case Encoding::Utf16LE:
        case Encoding::Utf16BE: {
            const bool little = charset.encoding == Encoding::Utf16LE;
            const std::wstring units = (charset.bom ? L"\xFEFF" : L"") + std::wstring(text);
            for (const wchar_t unit : units) {
                bytes.push_back(static_cast<std::uint8_t>(little ? unit & 0xFF : unit >> 8));
                bytes.push_back(static_cast<std::uint8_t>(little ? unit >> 8 : unit & 0xFF));
            }
            return bytes;
        }
        case Encoding::Utf8:
        case Encoding::CodePage: {
            if (charset.bom) {
                bytes = {0xEF, 0xBB, 0xBF};
            }
            const unsigned codePage = charset.encoding == Encoding::Utf8 ? CP_UTF8 : charset.codePage;
            const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                                 nullptr, nullptr);
            std::string encoded(static_cast<std::size_t>(size), '\0');
            WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), encoded.data(), size, nullptr,
                                nullptr);
            bytes.insert(bytes.end(), encoded.begin(), encoded.end());
            return bytes;
        }
    }
    return bytes;
}

std::vector<std::uint8_t> Utf8(std::string_view text) {
    return {text.begin(), text.end()};
}

HANDLE HoldWithoutSharing(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

using SettingsPassTest = ClientFolderTest;

// Restore and tune change the bytes of the managed settings and nothing else, in every layout and
// encoding a settings file may come in: a second tune changes nothing more, a restore with
// nothing to take out writes nothing, and a restore after the tune gives the restored file back.
TEST_F(SettingsPassTest, OnlyTheManagedSettingsBytesChange) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> original;
        std::vector<std::uint8_t> restored;
        std::vector<std::uint8_t> tuned;
        // An empty-element container stays open once it has held something.
        std::vector<std::uint8_t> restoredAfterTune = restored;
    };
    // Each file below is put together from the parts that stay (kept) and those a pass takes out
    // (managed), so that what each pass changes shows at a glance.
    const std::string prolog =
        "<?xml version='1.0' encoding='UTF-8' standalone='no'?>\r\n"
        "<!-- Written by the client -->\r\n<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>\r\n"
        "<!DOCTYPE BitComet [\r\n  <!ENTITY % common \"<!ENTITY product 'BitComet'>\">\r\n  %common;\r\n]>\r\n"
        "<BitComet version = '2' >\r\n  <Settings kind=\"global\" >";
    const std::string managed1 = "\r\n    <GlobalMaxDownloadRate>300</GlobalMaxDownloadRate>";
    const std::string kept1 =
        "\r\n    <Owner a='1'  b=\"2\">&#65;&apos;&amp; &product;</Owner>\r\n    <Empty></Empty>\r\n    <Short/>"
        "\r\n    <Pad xml:space=\"preserve\">    </Pad>\r\n    <Mixed>  <!--c-->  </Mixed>"
        "\r\n    <TrackerList>udp://a&#13;&#10;udp://b&#32;</TrackerList>"
        "\r\n    <Banner><![CDATA[<ConnectedPeersMax>5</ConnectedPeersMax>]]></Banner>";
    const std::string managed2 = "\r\n    <ConnectedPeersMax attr=\"x\"><!-- inside -->50</ConnectedPeersMax>";
    const std::string kept2 =
        "\r\n    <connectedpeersmax>7</connectedpeersmax>"
        "\r\n    <Group>\r\n      <ConnectedPeersMax>9</ConnectedPeersMax>\r\n    </Group>";
    const std::string managed3 =
        "\r\n    <MaxTcpConnectionAttempts\r\n      >8</MaxTcpConnectionAttempts >\r\n    <GlobalMaxUploadRate/>";
    const std::string kept3 = "\r\n    <!-- last -->";
    const std::string tunedPair =
        "\r\n    <ConnectedPeersMax>1000</ConnectedPeersMax>\r\n    "
        "<MaxTcpConnectionAttempts>1000</MaxTcpConnectionAttempts>";
    const std::string end = "\r\n  </Settings>\r\n  <ConnectedPeersMax>1</ConnectedPeersMax>\r\n</BitComet>\r\n";

    const std::string prefixedProlog =
        "<?xml version=\"1.0\"?>\n<b:BitComet xmlns:b=\"urn:bc\">\n\t<!-- settings follow -->\n\t<?note x?>\n"
        "\t<b:Settings>";
    const std::string prefixedManaged =
        "\n\t\t<b:ConnectedPeersMax>5</b:ConnectedPeersMax>\n\t\t<ConnectedPeersMax>6</ConnectedPeersMax>"
        "\n\t\t<c:MaxTcpConnectionAttempts xmlns:c=\"urn:bc\">7</c:MaxTcpConnectionAttempts>";
    const std::string prefixedKept =
        "\n\t\t<d:GlobalMaxUploadRate xmlns:d=\"urn:other\">8</d:GlobalMaxUploadRate>"
        "\n\t\t<b:ListenPort>21617</b:ListenPort>";
    const std::string prefixedPair =
        "\n\t\t<b:ConnectedPeersMax>1000</b:ConnectedPeersMax>\n\t\t<b:MaxTcpConnectionAttempts>1000</"
        "b:MaxTcpConnectionAttempts>";
    const std::string prefixedEnd = "\n\t</b:Settings>\n</b:BitComet>\n";

    std::vector<Case> cases = {
        {"CRLF, declaration in single quotes, DOCTYPE with a parameter entity, references, CDATA, "
         "empties, value whitespace, managed elements with attributes, comments and a split tag",
         Utf8(prolog + managed1 + kept1 + managed2 + kept2 + managed3 + kept3 + end),
         Utf8(prolog + kept1 + kept2 + kept3 + end), Utf8(prolog + kept1 + kept2 + kept3 + tunedPair + end)},
        {"LF and tabs, a comment and a processing instruction before a prefixed container, settings in its "
         "namespace under any prefix",
         Utf8(prefixedProlog + prefixedManaged + prefixedKept + prefixedEnd),
         Utf8(prefixedProlog + prefixedKept + prefixedEnd),
         Utf8(prefixedProlog + prefixedKept + prefixedPair + prefixedEnd)},
        {"text before an empty prefixed container",
         Utf8("<BitComet>loose text<x:Settings xmlns:x='urn:x' /></BitComet>"),
         Utf8("<BitComet>loose text<x:Settings xmlns:x='urn:x' /></BitComet>"),
         Utf8("<BitComet>loose text<x:Settings xmlns:x='urn:x' ><x:ConnectedPeersMax>1000</x:ConnectedPeersMax>"
              "<x:MaxTcpConnectionAttempts>1000</x:MaxTcpConnectionAttempts></x:Settings></BitComet>"),
         Utf8("<BitComet>loose text<x:Settings xmlns:x='urn:x' ></x:Settings></BitComet>")},
        {"a container of managed settings alone",
         Utf8("<BitComet><Settings>\n  <ConnectedPeersMax>5</ConnectedPeersMax>\n</Settings></BitComet>"),
         Utf8("<BitComet><Settings>\n</Settings></BitComet>"),
         Utf8("<BitComet><Settings><ConnectedPeersMax>1000</ConnectedPeersMax>"
              "<MaxTcpConnectionAttempts>1000</MaxTcpConnectionAttempts>\n</Settings></BitComet>")},
    };
    // One layout in every encoding, each with a value only that encoding (or Unicode) can write.
    const Charset charsets[] = {
        {"UTF-8", Encoding::Utf8, 0, false, L"\u041A\u043B\u0438\u0435\u043D\u0442 \u6BD4\u7279 \U0001F600"},
        {"UTF-8", Encoding::Utf8, 0, true, L"\u6BD4\u7279\u5F57\u661F"},
        {"UTF-16", Encoding::Utf16LE, 0, true, L"\u041A\u043B\u0438\u0435\u043D\u0442 \U0001F600"},
        {"UTF-16", Encoding::Utf16BE, 0, true, L"\u6BD4\u7279\u5F57\u661F"},
        {"UTF-16", Encoding::Utf16LE, 0, false, L"\u6BD4\u7279 \u041A"},
        {"ISO-8859-1", Encoding::CodePage, 28591, false, L"Ren\u00E9e M\u00FCller"},
        {"windows-1252", Encoding::CodePage, 1252, false, L"\u20AC 5 \u2013 Ren\u00E9e"},
        {"GB2312", Encoding::CodePage, 936, false, L"\u6BD4\u7279\u5F57\u661F \u8BBE\u7F6E"},
        {"GBK", Encoding::CodePage, 936, false, L"\u6BD4\u7279\u5F57\u661F"},
        {"Big5", Encoding::CodePage, 950, false, L"\u6BD4\u7279\u5F57\u661F \u8A2D\u5B9A"},
        // Both of these end in the byte of a backslash, which must not be read as one.
        {"Shift_JIS", Encoding::CodePage, 932, false, L"\u30BD\u8868 \u8A2D\u5B9A"},
    };
    for (const Charset& charset : charsets) {
        const std::wstring lineEnd = charset.bom ? L"\n" : L"\r\n";
        const std::wstring head = L"<?xml version=\"1.0\" encoding=\"" + framework::FromUtf8(charset.declared) +
                                  L"\"?>" + lineEnd + L"<BitComet>" + lineEnd + L"\t<Settings>" + lineEnd +
                                  L"\t\t<Owner>" + charset.sample + L"</Owner>";
        const std::wstring managed = lineEnd + L"\t\t<ConnectedPeersMax>50</ConnectedPeersMax>";
        const std::wstring rest = lineEnd + L"\t\t<ListenPort>21617</ListenPort>";
        const std::wstring tail = lineEnd + L"\t</Settings>" + lineEnd + L"</BitComet>" + lineEnd;
        const std::wstring tuned = lineEnd + L"\t\t<ConnectedPeersMax>1000</ConnectedPeersMax>" + lineEnd +
                                   L"\t\t<MaxTcpConnectionAttempts>1000</MaxTcpConnectionAttempts>";
        cases.push_back({charset.declared, Encode(head + managed + rest + tail, charset),
                         Encode(head + rest + tail, charset), Encode(head + rest + tuned + tail, charset)});
    }

    // Every pass leaves the file read-only, whatever it was before, and takes the mark off for
    // itself: the file of the first case starts writable, the others read-only.
    const auto readOnly = [&] { return (Attributes(SettingsPath()) & FILE_ATTRIBUTE_READONLY) != 0; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool wasReadOnly = FileExists(SettingsPath());
        SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteBytes(SettingsPath(), c.original);
        SetFileAttributesW(SettingsPath().c_str(), wasReadOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(Passes(L"NULL"));
        EXPECT_EQ(ReadBytes(SettingsPath()), c.restored) << ReadText(SettingsPath());
        EXPECT_TRUE(readOnly());
        ASSERT_TRUE(Passes(L"1000"));
        EXPECT_EQ(ReadBytes(SettingsPath()), c.tuned) << ReadText(SettingsPath());
        EXPECT_TRUE(readOnly());
        ASSERT_TRUE(Passes(L"1000"));
        EXPECT_EQ(ReadBytes(SettingsPath()), c.tuned) << "a second tune";
        ASSERT_TRUE(Passes(L"NULL"));
        EXPECT_EQ(ReadBytes(SettingsPath()), c.restoredAfterTune) << "a restore after the tune";
        EXPECT_TRUE(readOnly());
        EXPECT_EQ(FolderEntries(m_folder.Path()), std::vector<std::wstring>{L"BitComet.xml"});
    }
}

// A pass that has nothing to change leaves the file alone: not even its time changes.
TEST_F(SettingsPassTest, ARestoreWithNothingToTakeOutWritesNothing) {
    UseFixture(L"settings-none-managed.xml");
    const HANDLE file =
        CreateFileW(SettingsPath().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const FILETIME old{0, 0x01C00000};
    SetFileTime(file, nullptr, nullptr, &old);
    CloseHandle(file);

    ASSERT_TRUE(Passes(L"NULL"));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(SettingsPath().c_str(), GetFileExInfoStandard, &data);
    EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &old), 0);
    EXPECT_EQ(ReadBytes(SettingsPath()), Fixture(L"settings-none-managed.xml"));
}

// The copy is read back and checked before it takes the file's place: one that comes back other
// than it was meant is refused, and the file stays as it was, attributes and all, with no copy left.
TEST_F(SettingsPassTest, ACopyThatDoesNotReadBackAsMeantIsNeverSwappedIn) {
    UseFixture(L"settings-plain.xml");
    SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    const auto before = FolderState(m_folder.Path());
    // A disk that changes a byte of what it is given.
    const framework::TFileWriter system = framework::SetFileWriter(
        [](void* file, const std::uint8_t* bytes, unsigned long count, unsigned long* written) {
            std::vector<std::uint8_t> changed(bytes, bytes + count);
            changed[count / 2] ^= 0x20;
            return WriteFile(file, changed.data(), count, written, nullptr) != FALSE;
        });
    const ui::TTuneResult result = SettingsPass(L"1000");
    framework::SetFileWriter(system);
    EXPECT_EQ(result.problem, ui::TTuneProblem::NotVerified);
    EXPECT_EQ(FolderState(m_folder.Path()), before);
}

// Well-formed files can still be hostile: an entity outside the file is never fetched, and no depth
// of nesting brings the program down.
TEST_F(SettingsPassTest, OutsideEntitiesAndDeepNestingAreNoDanger) {
    ScratchFolder outside(L"outside");
    WriteText(outside / L"planted.xml", "<ConnectedPeersMax>5</ConnectedPeersMax>");
    const std::string doctype =
        "<!DOCTYPE BitComet [<!ENTITY planted SYSTEM \"" + framework::ToUtf8(outside / L"planted.xml") + "\">]>\n";
    const std::string tunedPair =
        "<ConnectedPeersMax>1000</ConnectedPeersMax><MaxTcpConnectionAttempts>1000</MaxTcpConnectionAttempts>";
    std::string nested;
    for (int depth = 0; depth < 200000; ++depth) {
        nested += "<a>";
    }
    for (int depth = 0; depth < 200000; ++depth) {
        nested += "</a>";
    }
    const std::pair<std::string, std::string> cases[] = {
        {doctype + "<BitComet><Settings>&planted;<ListenPort>1</ListenPort></Settings></BitComet>",
         doctype + "<BitComet><Settings>&planted;<ListenPort>1</ListenPort>" + tunedPair + "</Settings></BitComet>"},
        {"<BitComet><Settings><Deep>" + nested + "</Deep></Settings></BitComet>",
         "<BitComet><Settings><Deep>" + nested + "</Deep>" + tunedPair + "</Settings></BitComet>"},
    };
    for (const auto& [original, tuned] : cases) {
        SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteText(SettingsPath(), original);
        ASSERT_TRUE(Passes(L"1000"));
        EXPECT_EQ(ReadText(SettingsPath()), tuned);
    }
}

TEST_F(SettingsPassTest, FilesItCannotTuneStayAsTheyWere) {
    struct Case {
        const char* name;
        std::function<void(const std::wstring& path)> arrange;
    };
    const auto fixture = [](const wchar_t* name) {
        return [name](const std::wstring& path) { WriteBytes(path, Fixture(name)); };
    };
    const auto text = [](std::string content) {
        return [content](const std::wstring& path) { WriteText(path, content); };
    };
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE BitComet [\n<!ENTITY lol0 \"lol\">\n";
    for (int level = 1; level <= 9; ++level) {
        laughs += "<!ENTITY lol" + std::to_string(level) + " \"";
        for (int copy = 0; copy < 10; ++copy) {
            laughs += "&lol" + std::to_string(level - 1) + ";";
        }
        laughs += "\">\n";
    }
    laughs += "]>\n<BitComet><Settings><ConnectedPeersMax>&lol9;</ConnectedPeersMax></Settings></BitComet>\n";
    const Case cases[] = {
        {"missing", [](const std::wstring&) {}},
        {"empty", fixture(L"broken-empty.xml")},
        {"not XML", fixture(L"broken-not-xml.xml")},
        {"truncated", fixture(L"broken-truncated.xml")},
        {"document element without children", fixture(L"broken-childless-root.xml")},
        {"no element in the document element", text("<BitComet>text<!-- and a comment --></BitComet>")},
        {"bytes that are not the declared encoding",
         text("<?xml version=\"1.0\" encoding=\"UTF-8\"?><BitComet><Settings><ConnectedPeersMax>5</ConnectedPeersMax>"
              "<Owner>Ren\xE9"
              "e</Owner></Settings></BitComet>")},
        {"a double-byte character cut short",
         text("<?xml version=\"1.0\" encoding=\"GB2312\"?><BitComet><Settings><ConnectedPeersMax>5</ConnectedPeersMax>"
              "<Owner>\x81</Owner></Settings></BitComet>")},
        {"an encoding that cannot be read byte by byte",
         text("<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?><BitComet><Settings><ConnectedPeersMax>5"
              "</ConnectedPeersMax></Settings></BitComet>")},
        {"an entity that would expand a billion times", text(laughs)},
        {"a folder", [](const std::wstring& path) { CreateDirectoryW(path.c_str(), nullptr); }},
        {"folder named by a value of the wrong type",
         [&](const std::wstring& path) {
             WriteBytes(path, Fixture(L"settings-plain.xml"));
             const std::wstring folder = m_folder.Path() + L'\0';
             const auto* bytes = reinterpret_cast<const std::uint8_t*>(folder.data());
             m_registration.SetRaw(REG_BINARY, {bytes, bytes + folder.size() * sizeof(wchar_t)});
         }},
    };
    for (const Case& c : cases) {
        for (const wchar_t* value : {L"1000", L"NULL"}) {
            SCOPED_TRACE(std::string(c.name) + " with " + framework::ToUtf8(value));
            RemoveTree(SettingsPath());
            m_registration.SetFolder(m_folder.Path());
            c.arrange(SettingsPath());
            const auto before = FolderState(m_folder.Path());
            EXPECT_FALSE(Passes(value));
            EXPECT_EQ(FolderState(m_folder.Path()), before);
        }
    }
    // A folder in the settings file's place is told as such, and nothing in it is touched.
    m_registration.SetFolder(m_folder.Path());
    RemoveTree(SettingsPath());
    CreateDirectoryW(SettingsPath().c_str(), nullptr);
    WriteText(SettingsPath() + L"\\BitComet.xml.1234abcd.tmp", "mine");
    EXPECT_EQ(SettingsPass(L"1000").problem, ui::TTuneProblem::NotAFile);
    EXPECT_EQ(FolderEntries(SettingsPath()), std::vector<std::wstring>{L"BitComet.xml.1234abcd.tmp"});
    RemoveTree(SettingsPath());

    // What the user is told of a damaged file: that it is empty or cut short, or where it stops
    // being XML, rather than the parser's words.
    m_registration.SetFolder(m_folder.Path());
    const std::pair<std::function<void(const std::wstring&)>, framework::TXmlFault> damages[] = {
        {fixture(L"broken-empty.xml"), framework::TXmlFault::Empty},
        {fixture(L"broken-truncated.xml"), framework::TXmlFault::CutShort},
        {fixture(L"broken-not-xml.xml"), framework::TXmlFault::Malformed},
        {text("<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?><BitComet/>"), framework::TXmlFault::Encoding},
    };
    for (const auto& [arrange, fault] : damages) {
        RemoveTree(SettingsPath());
        arrange(SettingsPath());
        const ui::TTuneResult result = SettingsPass(L"1000");
        EXPECT_EQ(result.problem, ui::TTuneProblem::NotXml);
        EXPECT_EQ(result.fault, fault) << result.line;
    }
}

TEST_F(SettingsPassTest, AFileHeldWithoutSharingStaysAsItWas) {
    UseFixture(L"settings-plain.xml");
    const auto before = FolderState(m_folder.Path());
    const HANDLE held = HoldWithoutSharing(SettingsPath());
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Passes(L"1000"));
    CloseHandle(held);
    EXPECT_EQ(FolderState(m_folder.Path()), before);
}

// The save is where the replace has to fail cleanly; a registry that names another file by then
// gets nothing, or that file would be overwritten with this one's content.
TEST_F(SettingsPassTest, WhatHappensBetweenLoadAndSaveDecidesTheSave) {
    UseFixture(L"settings-plain.xml");
    const auto before = FolderState(m_folder.Path());
    ScratchFolder other(L"other");
    HANDLE held = INVALID_HANDLE_VALUE;
    struct Case {
        const char* name;
        std::function<void()> betweenLoadAndSave;
        bool saved;
    };
    const Case cases[] = {
        {"held without sharing by then", [&] { held = HoldWithoutSharing(SettingsPath()); }, false},
        {"read-only by then", [&] { SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY); }, false},
        {"no folder by then", [&] { m_registration.Remove(); }, false},
        {"value of the wrong type by then",
         [&] {
             m_registration.SetRaw(REG_DWORD, {1, 0, 0, 0});
         },
         false},
        {"another folder by then", [&] { m_registration.SetFolder(other.Path()); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_registration.SetFolder(m_folder.Path());
        const ui::TClientFiles files = ui::LocateClientFiles();
        const auto stillLocated = [&] {
            c.betweenLoadAndSave();
            return ui::StillLocated(files);
        };
        EXPECT_EQ(ui::RunSettingsPass(files, L"1000", stillLocated).Succeeded(), c.saved);
        if (held != INVALID_HANDLE_VALUE) {
            CloseHandle(std::exchange(held, INVALID_HANDLE_VALUE));
        }
        SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(FolderState(m_folder.Path()), before);
    }
    EXPECT_EQ(FolderEntries(other.Path()), std::vector<std::wstring>{});
}

// A link stays a link, and the file it points to is the one tuned.
TEST_F(SettingsPassTest, ASymbolicLinkStaysALinkAndItsTargetIsTuned) {
    ScratchFolder elsewhere(L"synced");
    const std::wstring target = elsewhere / L"BitComet.xml";
    WriteBytes(target, Fixture(L"settings-plain.xml"));
    ASSERT_TRUE(MakeSymbolicLink(SettingsPath(), target));
    ASSERT_TRUE(Passes(L"1000"));
    EXPECT_TRUE(SamePath(framework::FinalPath(SettingsPath()), target)) << "the link was replaced";
    EXPECT_NE(ReadText(target).find("<MaxTcpConnectionAttempts>1000</MaxTcpConnectionAttempts>"), std::string::npos);
    EXPECT_EQ(FolderEntries(elsewhere.Path()), std::vector<std::wstring>{L"BitComet.xml"});
    EXPECT_EQ(FolderEntries(m_folder.Path()), std::vector<std::wstring>{L"BitComet.xml"});
}

// Past MAX_PATH the file is tuned where the system reaches it, and refused cleanly where not.
TEST_F(SettingsPassTest, AClientFolderOfThreeHundredCharactersIsNoCrash) {
    std::wstring folder = m_folder.Path();
    while (folder.size() < 300) {
        folder += L"\\" + std::wstring(std::min<std::size_t>(60, 300 - folder.size()), L'd');
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    m_registration.SetFolder(folder);
    const std::wstring settings = folder + L"\\BitComet.xml";
    const bool reachable = [&] {
        try {
            WriteBytes(settings, Fixture(L"settings-plain.xml"));
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }();
    SCOPED_TRACE(reachable ? "reachable" : "out of the system's reach");
    for (const wchar_t* value : {L"1000", L"NULL"}) {
        EXPECT_EQ(Passes(value), reachable);
        if (reachable) {
            EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"BitComet.xml"}) << "no copy left behind";
        }
    }
}

TEST_F(SettingsPassTest, WorksInAnyFolderTheRegistryCanName) {
    for (const std::wstring name : {L"Клиент 比特彗星", L"100% #1 {x}", L"trailing"}) {
        SCOPED_TRACE(framework::ToUtf8(name));
        const std::wstring folder = m_folder / name;
        CreateDirectoryW(folder.c_str(), nullptr);
        WriteBytes(folder + L"\\BitComet.xml", Fixture(L"settings-plain.xml"));
        m_registration.SetFolder(name == L"trailing" ? folder + L"\\" : folder);
        EXPECT_TRUE(Passes(L"1000"));
        EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"BitComet.xml"});
        EXPECT_NE(ReadText(folder + L"\\BitComet.xml").find("<ConnectedPeersMax>1000</ConnectedPeersMax>"),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace testing_support
