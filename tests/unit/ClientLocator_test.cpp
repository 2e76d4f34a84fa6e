#include <functional>

#include "framework/Exceptions.h"
#include "tests/unit/ClientFolderTest.h"

namespace testing_support {
namespace {

using ClientLocator = ClientFolderTest;

// One window object answers every case, so a cached path would show. The folder is read as
// installers write it: quoted, with a trailing separator, or as an expandable string.
TEST_F(ClientLocator, PathsAreTheRegisteredFolderOrEmptyWithoutOne) {
    wchar_t programFiles[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH);
    struct Case {
        const char* name;
        std::function<void(ClientRegistration&)> registry;
        std::wstring settingsPath;
        std::wstring executablePath;
    };
    const Case cases[] = {
        {"folder", [](auto& r) { r.SetFolder(L"C:\\Program Files\\BitComet"); },
         L"C:\\Program Files\\BitComet\\BitComet.xml", L"C:\\Program Files\\BitComet\\BitComet.exe"},
        {"trailing backslash", [](auto& r) { r.SetFolder(L"C:\\BitComet\\"); }, L"C:\\BitComet\\BitComet.xml",
         L"C:\\BitComet\\BitComet.exe"},
        {"drive root", [](auto& r) { r.SetFolder(L"D:\\"); }, L"D:\\BitComet.xml", L"D:\\BitComet.exe"},
        {"quoted", [](auto& r) { r.SetFolder(L"\"C:\\Program Files\\BitComet\\\""); },
         L"C:\\Program Files\\BitComet\\BitComet.xml", L"C:\\Program Files\\BitComet\\BitComet.exe"},
        {"expandable string", [](auto& r) { r.SetFolder(L"%ProgramFiles%\\BitComet", REG_EXPAND_SZ); },
         std::wstring(programFiles) + L"\\BitComet\\BitComet.xml",
         std::wstring(programFiles) + L"\\BitComet\\BitComet.exe"},
        {"long-path form", [](auto& r) { r.SetFolder(L"\\\\?\\C:\\BitComet"); }, L"\\\\?\\C:\\BitComet\\BitComet.xml",
         L"\\\\?\\C:\\BitComet\\BitComet.exe"},
        {"outside the code page", [](auto& r) { r.SetFolder(L"D:\\Клиент\\比特"); }, L"D:\\Клиент\\比特\\BitComet.xml",
         L"D:\\Клиент\\比特\\BitComet.exe"},
        {"empty value", [](auto& r) { r.SetFolder(L""); }, L"", L""},
        {"no value", [](auto& r) { r.SetKeyOnly(); }, L"", L""},
        {"no key", [](auto& r) { r.Remove(); }, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.registry(m_registration);
        EXPECT_EQ(m_form.GetBCXMLPath(), c.settingsPath);
        EXPECT_EQ(m_form.GetBCEXEPath(), c.executablePath);
        EXPECT_FALSE(m_form.IsBCInstalled());
    }
    // A value that is no full path names no folder: the current directory must never stand in.
    for (const auto& [value, type] : {std::pair{L"BitComet", REG_SZ},
                                      {L"%ProgramFiles%\\BitComet", REG_SZ},
                                      {L"%NO_SUCH_VARIABLE%\\BitComet", REG_EXPAND_SZ},
                                      {L"C:BitComet", REG_SZ},
                                      {L"\\BitComet", REG_SZ},
                                      {L"\\\\server", REG_SZ},
                                      {L"\\\\.\\C:\\BitComet", REG_SZ}}) {
        SCOPED_TRACE(framework::ToUtf8(value));
        m_registration.SetFolder(value, type);
        EXPECT_THROW(m_form.GetBCXMLPath(), ui::EClientFolderError);
        EXPECT_THROW(m_form.GetBCEXEPath(), ui::EClientFolderError);
    }
}

// The client looks in its own folder first and then in the roaming folder; so must the locator.
TEST_F(ClientLocator, SettingsFileIsTheClientsOwnInItsFolderOrElseInTheRoamingFolder) {
    RoamingSettings roaming;
    const std::wstring installed = SettingsPath();
    EXPECT_EQ(m_form.GetBCXMLPath(), installed) << "neither exists";
    roaming.Write("<BitComet/>");
    EXPECT_EQ(m_form.GetBCXMLPath(), roaming.Path()) << "only the roaming one";
    UseFixture(L"settings-plain.xml");
    EXPECT_EQ(m_form.GetBCXMLPath(), installed) << "both";
    EXPECT_EQ(m_form.GetBCEXEPath(), m_folder / L"BitComet.exe") << "the program stays in its folder";
    m_registration.Remove();
    EXPECT_EQ(m_form.GetBCXMLPath(), L"") << "a roaming file alone makes no client";
}

TEST_F(ClientLocator, AFolderValueOfTheWrongTypeRaisesARegistryError) {
    m_registration.SetRaw(REG_DWORD, {1, 0, 0, 0});
    try {
        m_form.GetBCEXEPath();
        ADD_FAILURE() << "no exception";
    } catch (const framework::ERegistryException& error) {
        EXPECT_EQ(error.Message(), L"Invalid data type for ''");
    }
}

TEST_F(ClientLocator, InstalledMeansAFileAtExactlyAProgramsPath) {
    const std::wstring executable = m_folder / L"BitComet.exe";
    EXPECT_FALSE(m_form.IsBCInstalled());

    ASSERT_TRUE(CreateDirectoryW(executable.c_str(), nullptr));
    EXPECT_FALSE(m_form.IsBCInstalled());
    RemoveTree(executable);

    WriteText(executable, "MZ");
    EXPECT_TRUE(m_form.IsBCInstalled());
    // A timestamp outside what a DOS date can hold does not matter.
    SYSTEMTIME old{1975, 6, 0, 1, 12, 0, 0, 0};
    FILETIME stamp{};
    SystemTimeToFileTime(&old, &stamp);
    const HANDLE file = CreateFileW(executable.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
    EXPECT_TRUE(m_form.IsBCInstalled());

    // A wildcard in the registered folder is no pattern: "Cli?nt" is not "Client".
    const std::wstring client = m_folder / L"Client";
    CreateDirectoryW(client.c_str(), nullptr);
    WriteText(client + L"\\BitComet.exe", "MZ");
    m_registration.SetFolder(m_folder / L"Cli?nt");
    EXPECT_FALSE(m_form.IsBCInstalled());
    m_registration.SetFolder(client);
    EXPECT_TRUE(m_form.IsBCInstalled());

    // The client's 64-bit program counts as well, and on 64-bit Windows it is the client's
    // program wherever it is there, also beside BitComet.exe.
    const std::wstring program64 = client + L"\\BitComet_x64.exe";
    EXPECT_EQ(m_form.GetBCEXEPath(), client + L"\\BitComet.exe");
    WriteText(program64, "MZ");
    EXPECT_EQ(m_form.GetBCEXEPath(), program64);
    RemoveTree(client + L"\\BitComet.exe");
    EXPECT_TRUE(m_form.IsBCInstalled());
    EXPECT_EQ(m_form.GetBCEXEPath(), program64);
    RemoveTree(program64);
    CreateDirectoryW(program64.c_str(), nullptr);
    EXPECT_FALSE(m_form.IsBCInstalled()) << "a folder of that name is no program";
    EXPECT_EQ(m_form.GetBCEXEPath(), client + L"\\BitComet.exe");
}

// Without a client folder, files of the client's names in the root of the current drive are
// neither taken for the client nor touched.
TEST_F(ClientLocator, WithoutAFolderNothingInTheDriveRootIsUsed) {
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(m_folder.Path().c_str()));
    const std::wstring root = m_folder.Path().substr(0, 3);
    const std::wstring settings = root + L"BitComet.xml";
    const std::wstring executable = root + L"BitComet.exe";
    WriteBytes(settings, Fixture(L"settings-plain.xml"));
    WriteText(executable, "MZ");
    const auto before = FolderState(root.substr(0, 2));

    for (const auto& unregister : {std::function<void()>([&] { m_registration.SetFolder(L""); }),
                                   std::function<void()>([&] { m_registration.SetKeyOnly(); }),
                                   std::function<void()>([&] { m_registration.Remove(); })}) {
        unregister();
        EXPECT_EQ(m_form.GetBCXMLPath(), L"");
        EXPECT_FALSE(m_form.IsBCInstalled());
        EXPECT_FALSE(Passes(L"1000"));
        EXPECT_FALSE(Passes(L"NULL"));
    }
    const auto after = FolderState(root.substr(0, 2));
    RemoveTree(settings);
    RemoveTree(executable);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace testing_support
