#include "ui/SettingsTuner.h"

#include "framework/Files.h"
#include "framework/Text.h"
#include "tests/unit/ClientFolderTest.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace testing_support {
namespace {

using framework::TXMLDocument;
using framework::TXMLNode;

constexpr const wchar_t* kManaged[] = {L"ConnectedPeersMax", L"MaxTcpConnectionAttempts", L"GlobalMaxUploadRate",
                                       L"GlobalMaxDownloadRate"};

bool IsManaged(const std::wstring& name) {
    return std::find(std::begin(kManaged), std::end(kManaged), name) != std::end(kManaged);
}

struct Node {
    std::wstring name;
    std::wstring text;
    std::wstring xml;
    bool operator==(const Node&) const = default;
};

// A settings file as the tuner sees it: the settings container's children, and the document
// element's children after the container, each as the library writes it.
struct Shape {
    std::wstring container;
    std::vector<Node> settings;
    std::vector<Node> after;
    bool operator==(const Shape&) const = default;
};

std::vector<Node> Siblings(TXMLNode node) {
    std::vector<Node> nodes;
    for (; node; node = node.NextSibling()) {
        nodes.push_back({node.NodeName(), node.Text(), node.Xml()});
    }
    return nodes;
}

Shape ShapeOf(const std::wstring& path) {
    TXMLDocument document(nullptr);
    document.LoadFromFile(path);
    const TXMLNode container = document.DocumentElement().FirstChild();
    return {container.NodeName(), Siblings(container.FirstChild()), Siblings(container.NextSibling())};
}

// The file's text, decoded as UTF-16 after its mark or else as UTF-8.
std::wstring TextOf(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        return {reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2};
    }
    return framework::FromUtf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

HANDLE HoldWithoutSharing(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

using SettingsTuner = ClientFolderTest;

TEST_F(SettingsTuner, TakesOutTheManagedSettingsAndKeepsEverythingElse) {
    struct Case {
        const wchar_t* fixture;
        const wchar_t* value;
    };
    const Case cases[] = {
        {L"settings-plain.xml", L"1000"},
        {L"settings-plain.xml", L"NULL"},
        {L"settings-rich-utf8.xml", L"1000"},
        {L"settings-rich-utf8.xml", L"NULL"},
        {L"settings-rich-utf8-bom.xml", L"1000"},
        {L"settings-rich-utf16.xml", L"1000"},
        {L"settings-rich-utf16.xml", L"NULL"},
        {L"settings-prefixed.xml", L"1000"},
        {L"settings-none-managed.xml", L"NULL"},
        {L"settings-empty-container.xml", L"1000"},
        {L"settings-plain.xml", L""},
        {L"container-text.xml", L"NULL"},
        {L"container-comment.xml", L"NULL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(framework::ToUtf8(std::wstring(c.fixture) + L" with \"" + c.value + L"\""));
        UseFixture(c.fixture);
        Shape expected = ShapeOf(SettingsPath());
        std::erase_if(expected.settings, [](const Node& node) { return IsManaged(node.name); });

        ASSERT_TRUE(m_form.OptiBT(c.value)) << framework::ToUtf8(m_form.LastTuneFailure().detail);

        EXPECT_EQ(FolderEntries(m_folder.Path()), std::vector<std::wstring>{L"BitComet.xml"});
        Shape actual = ShapeOf(SettingsPath());
        if (std::wstring(c.value) != L"NULL") {
            // "b:" under a container "b:Settings", nothing under one without a prefix.
            const std::wstring prefix = actual.container.substr(0, actual.container.find(L':') + 1);
            ASSERT_GE(actual.settings.size(), 2u);
            const Node& peers = actual.settings[actual.settings.size() - 2];
            const Node& attempts = actual.settings.back();
            EXPECT_EQ(peers.name, prefix + L"ConnectedPeersMax");
            EXPECT_EQ(attempts.name, prefix + L"MaxTcpConnectionAttempts");
            EXPECT_EQ(peers.text, c.value);
            EXPECT_EQ(attempts.text, c.value);
            actual.settings.resize(actual.settings.size() - 2);
        }
        EXPECT_EQ(actual, expected);

        const std::vector<std::uint8_t> original = Fixture(c.fixture);
        const std::vector<std::uint8_t> saved = ReadBytes(SettingsPath());
        const bool utf16 = original.size() >= 2 && original[0] == 0xFF && original[1] == 0xFE;
        EXPECT_EQ(saved.size() >= 2 && saved[0] == 0xFF && saved[1] == 0xFE, utf16);
        if (std::wstring(c.fixture).starts_with(L"settings-rich")) {
            const std::wstring text = TextOf(saved);
            const std::wstring declaration =
                std::wstring(L"<?xml version=\"1.0\" encoding=\"") + (utf16 ? L"UTF-16" : L"UTF-8") + L"\"?>";
            EXPECT_TRUE(text.starts_with(declaration)) << framework::ToUtf8(text.substr(0, 60));
            for (const wchar_t* part :
                 {L"<!-- Written by the client; edit with care. -->",
                  L"<?xml-stylesheet type=\"text/xsl\" href=\"settings.xsl\"?>",
                  L"<!DOCTYPE BitComet SYSTEM \"BitComet.dtd\"", L"<!ENTITY product \"BitComet\">",
                  L"<BitComet xmlns:x=\"urn:example:extra\" version=\"2\">", L"<Settings kind=\"global\">",
                  L"<!-- trailing comment -->"}) {
                EXPECT_NE(text.find(part), std::wstring::npos) << framework::ToUtf8(part);
            }
        }
    }
}

TEST_F(SettingsTuner, TuningTwiceLeavesExactlyOnePairAtTheEnd) {
    UseFixture(L"settings-plain.xml");
    ASSERT_TRUE(m_form.OptiBT(L"1000"));
    const Shape once = ShapeOf(SettingsPath());
    ASSERT_TRUE(m_form.OptiBT(L"1000"));
    EXPECT_EQ(ShapeOf(SettingsPath()), once);
    for (const wchar_t* name : kManaged) {
        EXPECT_EQ(std::count_if(once.settings.begin(), once.settings.end(),
                                [&](const Node& node) { return node.name == name; }),
                  std::wstring(name).starts_with(L"Global") ? 0 : 1);
    }
}

TEST_F(SettingsTuner, RestoreRewritesAFileWithNothingToTakeOut) {
    UseFixture(L"settings-none-managed.xml");
    const HANDLE file =
        CreateFileW(SettingsPath().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const FILETIME old{0, 0x01C00000};
    SetFileTime(file, nullptr, nullptr, &old);
    CloseHandle(file);

    ASSERT_TRUE(m_form.OptiBT(L"NULL"));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(SettingsPath().c_str(), GetFileExInfoStandard, &data);
    EXPECT_NE(CompareFileTime(&data.ftLastWriteTime, &old), 0);
}

// Under a prefixed container the prefixed settings are not the managed ones: they stay, and each
// tune adds a pair in the container's namespace.
TEST_F(SettingsTuner, APrefixedContainerGetsPrefixedSettingsInItsNamespace) {
    UseFixture(L"settings-prefixed.xml");
    ASSERT_TRUE(m_form.OptiBT(L"1000"));
    ASSERT_TRUE(m_form.OptiBT(L"1000"));
    TXMLDocument document(nullptr);
    document.LoadFromFile(SettingsPath());
    std::vector<std::wstring> names;
    for (TXMLNode node = document.DocumentElement().FirstChild().FirstChild(); node; node = node.NextSibling()) {
        names.push_back(node.NodeName());
        EXPECT_EQ(node.NamespaceURI(), L"urn:example:bitcomet");
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"b:ConnectedPeersMax", L"b:ListenPort", L"b:ConnectedPeersMax",
                                                L"b:MaxTcpConnectionAttempts", L"b:ConnectedPeersMax",
                                                L"b:MaxTcpConnectionAttempts"}));
}

TEST_F(SettingsTuner, FilesItCannotTuneStayAsTheyWere) {
    struct Case {
        const char* name;
        std::function<void(const std::wstring& path)> arrange;
        bool tuneOnly = false;
    };
    const auto fixture = [](const wchar_t* name) {
        return [name](const std::wstring& path) { WriteBytes(path, Fixture(name)); };
    };
    const Case cases[] = {
        {"missing", [](const std::wstring&) {}},
        {"empty", fixture(L"broken-empty.xml")},
        {"not XML", fixture(L"broken-not-xml.xml")},
        {"truncated", fixture(L"broken-truncated.xml")},
        {"document element without children", fixture(L"broken-childless-root.xml")},
        {"text as container", fixture(L"container-text.xml"), true},
        {"comment as container", fixture(L"container-comment.xml"), true},
        {"a folder", [](const std::wstring& path) { CreateDirectoryW(path.c_str(), nullptr); }},
        {"read-only",
         [](const std::wstring& path) {
             WriteBytes(path, Fixture(L"settings-plain.xml"));
             SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
         }},
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
            if (c.tuneOnly && std::wstring(value) == L"NULL") {
                continue;
            }
            SCOPED_TRACE(std::string(c.name) + " with " + framework::ToUtf8(value));
            RemoveTree(SettingsPath());
            m_registration.SetFolder(m_folder.Path());
            c.arrange(SettingsPath());
            const auto before = FolderState(m_folder.Path());
            EXPECT_FALSE(m_form.OptiBT(value));
            EXPECT_EQ(FolderState(m_folder.Path()), before);
        }
    }
}

TEST_F(SettingsTuner, AFileHeldWithoutSharingStaysAsItWas) {
    UseFixture(L"settings-plain.xml");
    const auto before = FolderState(m_folder.Path());
    const HANDLE held = HoldWithoutSharing(SettingsPath());
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(m_form.OptiBT(L"1000"));
    CloseHandle(held);
    EXPECT_EQ(FolderState(m_folder.Path()), before);
}

// The save is where the replace has to fail cleanly; a registry that names another file by then
// gets nothing, or that file would be overwritten with this one's content.
TEST_F(SettingsTuner, WhatHappensBetweenLoadAndSaveDecidesTheSave) {
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
        int calls = 0;
        const auto path = [&] {
            if (++calls == 2) {
                c.betweenLoadAndSave();
            }
            return m_form.GetBCXMLPath();
        };
        EXPECT_EQ(ui::TuneSettingsFile(*m_form.XMLDoc1, path, L"1000"), c.saved);
        if (held != INVALID_HANDLE_VALUE) {
            CloseHandle(std::exchange(held, INVALID_HANDLE_VALUE));
        }
        SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(FolderState(m_folder.Path()), before);
    }
    EXPECT_EQ(FolderEntries(other.Path()), std::vector<std::wstring>{});
}

// Whitespace written as character references belongs to the value; only the layout between
// elements goes. Every save would otherwise take a little more of the value.
TEST_F(SettingsTuner, ValuesKeepEveryCharacterThroughRestoreTuneAndRestore) {
    WriteText(SettingsPath(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<BitComet>\r\n  <Settings>\r\n"
              "    <TrackerList>udp://a/announce&#13;&#10;udp://b/announce&#13;&#10;</TrackerList>\r\n"
              "    <Trailing>abc&#32;</Trailing>\r\n    <Leading>&#10;abc</Leading>\r\n"
              "    <Space>&#32;</Space>\r\n    <Tab>&#9;</Tab>\r\n    <Blank> </Blank>\r\n"
              "    <Mixed> a <![CDATA[ b ]]> c </Mixed>\r\n  </Settings>\r\n</BitComet>\r\n");
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"TrackerList", L"udp://a/announce\r\nudp://b/announce\r\n"},
        {L"Trailing", L"abc "},
        {L"Leading", L"\nabc"},
        {L"Space", L" "},
        {L"Tab", L"\t"},
        {L"Blank", L" "},
        {L"Mixed", L" a  b  c "},
    };
    for (const wchar_t* value : {L"NULL", L"1000", L"NULL"}) {
        SCOPED_TRACE(framework::ToUtf8(value));
        ASSERT_TRUE(m_form.OptiBT(value)) << framework::ToUtf8(m_form.LastTuneFailure().detail);
        const Shape shape = ShapeOf(SettingsPath());
        ASSERT_GE(shape.settings.size(), expected.size());
        for (std::size_t index = 0; index < expected.size(); ++index) {
            EXPECT_EQ(shape.settings[index].name, expected[index].first);
            EXPECT_EQ(shape.settings[index].text, expected[index].second) << framework::ToUtf8(expected[index].first);
        }
        EXPECT_EQ(ReadText(SettingsPath()).find("\n  <"), std::string::npos) << "no layout is written back";
    }
}

// A link stays a link, and the file it points to is the one tuned.
TEST_F(SettingsTuner, ASymbolicLinkStaysALinkAndItsTargetIsTuned) {
    ScratchFolder elsewhere(L"synced");
    const std::wstring target = elsewhere / L"BitComet.xml";
    WriteBytes(target, Fixture(L"settings-plain.xml"));
    ASSERT_TRUE(MakeSymbolicLink(SettingsPath(), target));
    ASSERT_TRUE(m_form.OptiBT(L"1000")) << framework::ToUtf8(m_form.LastTuneFailure().detail);
    EXPECT_TRUE(SamePath(framework::FinalPath(SettingsPath()), target)) << "the link was replaced";
    EXPECT_EQ(ShapeOf(target).settings.back().text, L"1000");
    EXPECT_EQ(FolderEntries(elsewhere.Path()), std::vector<std::wstring>{L"BitComet.xml"});
    EXPECT_EQ(FolderEntries(m_folder.Path()), std::vector<std::wstring>{L"BitComet.xml"});
}

// Past MAX_PATH the file is tuned where the system reaches it, and refused cleanly where not.
TEST_F(SettingsTuner, AClientFolderOfThreeHundredCharactersIsNoCrash) {
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
        EXPECT_EQ(m_form.OptiBT(value), reachable) << framework::ToUtf8(m_form.LastTuneFailure().detail);
        if (reachable) {
            EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"BitComet.xml"}) << "no copy left behind";
        }
    }
}

TEST_F(SettingsTuner, WorksInAnyFolderTheRegistryCanName) {
    for (const std::wstring name : {L"Клиент 比特彗星", L"100% #1 {x}", L"trailing"}) {
        SCOPED_TRACE(framework::ToUtf8(name));
        const std::wstring folder = m_folder / name;
        CreateDirectoryW(folder.c_str(), nullptr);
        WriteBytes(folder + L"\\BitComet.xml", Fixture(L"settings-plain.xml"));
        m_registration.SetFolder(name == L"trailing" ? folder + L"\\" : folder);
        EXPECT_TRUE(m_form.OptiBT(L"1000"));
        EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"BitComet.xml"});
        EXPECT_EQ(ShapeOf(folder + L"\\BitComet.xml").settings.back().text, L"1000");
    }
}

}  // namespace
}  // namespace testing_support
