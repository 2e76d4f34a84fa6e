// The release's installer and uninstaller as users run them, silently and through their pages, in
// the test prefix: what they install, the program started from there, and that the uninstaller
// takes back everything while the client's key and files stay exactly as they were.
#include "framework/Win32.h"
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <stdexcept>
#include <thread>

#include "Version.h"
#include "framework/Text.h"
#include "tests/support/TestSupport.h"

namespace release {
namespace {

using namespace testing_support;

constexpr wchar_t kProduct[] = L"Torvane for BitComet";
constexpr wchar_t kMainCaption[] = L"Torvane for BitComet 1.0";
constexpr wchar_t kUninstallParent[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Torvane";
constexpr wchar_t kClientKey[] = L"Software\\BitComet";
// NSIS's error level for an installation the script aborted.
constexpr DWORD kAbortedByScript = 2;

std::wstring SetupExe() {
    return TestArguments().at(0);
}

std::wstring BuiltTorvaneExe() {
    return TestArguments().at(1);
}

// Where the signed release's test wants a copy of the uninstaller that a silent install writes, to
// check its signature; none for the unsigned release.
std::optional<std::wstring> UninstallerCopy() {
    return TestArguments().size() > 2 ? std::optional(TestArguments()[2]) : std::nullopt;
}

std::wstring Widen(const char* text) {
    return framework::FromUtf8(text);
}

std::wstring KnownFolder(const KNOWNFOLDERID& id) {
    wchar_t* path = nullptr;
    if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, &path))) {
        CoTaskMemFree(path);
        throw std::runtime_error("no known folder");
    }
    std::wstring result = path;
    CoTaskMemFree(path);
    return result;
}

std::wstring UserProgramsFolder() {
    return KnownFolder(FOLDERID_LocalAppData) + L"\\Programs";
}

std::wstring InstallFolder() {
    return UserProgramsFolder() + L"\\Torvane";
}

std::wstring InstalledFile(const std::wstring& name) {
    return InstallFolder() + L"\\" + name;
}

std::wstring StartMenuPrograms() {
    return KnownFolder(FOLDERID_Programs);
}

std::wstring Shortcut() {
    return StartMenuPrograms() + L"\\Torvane for BitComet.lnk";
}

// Every value of a key and of its subkeys, by "subkey\name"; nothing when the key is missing.
struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;
    bool operator==(const RegistryValue&) const = default;
};
using RegistryTree = std::map<std::wstring, RegistryValue>;

void PrintTo(const RegistryValue& value, std::ostream* out) {
    *out << "type " << value.type << ", " << value.data.size() << " bytes";
}

void ReadTreeInto(HKEY key, const std::wstring& prefix, RegistryTree& tree) {
    wchar_t name[16384];
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            break;
        }
        RegistryValue value{type, std::vector<std::uint8_t>(size)};
        nameLength = static_cast<DWORD>(std::size(name));
        RegEnumValueW(key, index, name, &nameLength, nullptr, &type, value.data.data(), &size);
        tree[prefix + name] = std::move(value);
    }
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        if (RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        HKEY subkey = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &subkey) == ERROR_SUCCESS) {
            const std::wstring subkeyPrefix = prefix + name + L"\\";
            tree[subkeyPrefix] = {};
            ReadTreeInto(subkey, subkeyPrefix, tree);
            RegCloseKey(subkey);
        }
    }
}

std::optional<RegistryTree> ReadTree(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    RegistryTree tree;
    ReadTreeInto(key, L"", tree);
    RegCloseKey(key);
    return tree;
}

std::vector<std::wstring> SubkeyNames(const std::wstring& path) {
    std::vector<std::wstring> names;
    if (const auto tree = ReadTree(path)) {
        for (const auto& [name, value] : *tree) {
            if (name.back() == L'\\' && name.find(L'\\') == name.size() - 1) {
                names.push_back(name);
            }
        }
    }
    return names;
}

std::optional<std::wstring> UninstallValueString(const std::wstring& name) {
    const auto tree = ReadTree(kUninstallKey);
    if (!tree || !tree->contains(name) || tree->at(name).type != REG_SZ) {
        return std::nullopt;
    }
    const std::vector<std::uint8_t>& data = tree->at(name).data;
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return text;
}

std::optional<DWORD> UninstallValueDword(const std::wstring& name) {
    const auto tree = ReadTree(kUninstallKey);
    if (!tree || !tree->contains(name) || tree->at(name).type != REG_DWORD || tree->at(name).data.size() != 4) {
        return std::nullopt;
    }
    DWORD value = 0;
    std::copy_n(tree->at(name).data.data(), sizeof value, reinterpret_cast<std::uint8_t*>(&value));
    return value;
}

// Every file below a folder by relative path, with its size and a hash of its bytes (short to
// print when a comparison fails).
using FolderContents = std::map<std::wstring, std::string>;

std::string Fingerprint(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const std::uint8_t byte : bytes) {
        hash = (hash ^ byte) * 1099511628211ull;
    }
    char text[64];
    snprintf(text, sizeof text, "%zu bytes, FNV-1a %016llx", bytes.size(), static_cast<unsigned long long>(hash));
    return text;
}

void ReadFolderInto(const std::wstring& folder, const std::wstring& prefix, FolderContents& contents) {
    for (const std::wstring& name : FolderEntries(folder)) {
        const std::wstring path = folder + L"\\" + name;
        if ((Attributes(path) & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            ReadFolderInto(path, prefix + name + L"\\", contents);
        } else {
            contents[prefix + name] = Fingerprint(ReadBytes(path));
        }
    }
}

FolderContents ReadFolder(const std::wstring& folder) {
    FolderContents contents;
    ReadFolderInto(folder, L"", contents);
    return contents;
}

// A string of a file's version resource in its first language, e.g. "ProductVersion".
std::wstring VersionString(const std::wstring& file, const std::wstring& name) {
    DWORD handle = 0;
    std::vector<std::uint8_t> block(GetFileVersionInfoSizeW(file.c_str(), &handle));
    if (block.empty() || !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) {
        return {};
    }
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4) {
        return {};
    }
    const auto* translation = static_cast<const WORD*>(value);
    wchar_t language[9] = {};
    swprintf(language, std::size(language), L"%04x%04x", translation[0], translation[1]);
    const std::wstring query = L"\\StringFileInfo\\" + std::wstring(language) + L"\\" + name;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) {
        return {};
    }
    return static_cast<const wchar_t*>(value);
}

struct ShortcutTarget {
    std::wstring path;
    std::wstring workingDirectory;
};

std::optional<ShortcutTarget> ReadShortcut(const std::wstring& file) {
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::optional<ShortcutTarget> target;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) {
        IPersistFile* persist = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_PPV_ARGS(&persist)))) {
            wchar_t path[MAX_PATH] = {};
            wchar_t folder[MAX_PATH] = {};
            if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
                SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH))) {
                target = ShortcutTarget{path, folder};
            }
            persist->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(initialised)) {
        CoUninitialize();
    }
    return target;
}

// The processes a process started. An NSIS uninstaller hands over to a copy of itself in the
// temporary folder and ends at once; the copy does the work.
std::vector<DWORD> SpawnedProcesses(DWORD parentId) {
    std::vector<DWORD> children;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return children;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parentId) {
            children.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return children;
}

// True when every process the given one started has ended in time.
bool WaitForSpawnedProcesses(DWORD parentId, std::chrono::milliseconds timeout) {
    bool ended = true;
    for (const DWORD childId : SpawnedProcesses(parentId)) {
        if (const HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, childId); child != nullptr) {
            ended = WaitForSingleObject(child, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0 && ended;
            CloseHandle(child);
        }
    }
    return ended;
}

std::optional<DWORD> RunToEnd(const std::wstring& executable, const std::wstring& arguments) {
    Process process(executable, arguments);
    return process.WaitForExit(120s);
}

std::optional<DWORD> UninstallSilently() {
    Process uninstaller(InstalledFile(L"uninstall.exe"), L"/S");
    const auto exitCode = uninstaller.WaitForExit(60s);
    if (exitCode && !WaitForSpawnedProcesses(uninstaller.Id(), 120s)) {
        return std::nullopt;
    }
    return exitCode;
}

// The visible wizard window (a dialog) of a process.
HWND Wizard(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* state = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == state->processId && IsWindowVisible(window) && ClassName(window) == L"#32770") {
                state->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WithoutAccelerator(std::wstring text) {
    std::erase(text, L'&');
    return text;
}

// Goes through a wizard as a user accepting every default would: clicks its default button
// (Next, Install, Finish, Uninstall, Close) whenever it is enabled, until the process ends.
// Returns the captions of the buttons clicked, in order.
std::vector<std::wstring> ClickThrough(HANDLE process, DWORD processId, std::chrono::milliseconds timeout) {
    std::vector<std::wstring> clicked;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (WaitForSingleObject(process, 0) == WAIT_TIMEOUT && std::chrono::steady_clock::now() < deadline) {
        const HWND wizard = Wizard(processId);
        const HWND button = wizard != nullptr ? GetDlgItem(wizard, IDOK) : nullptr;
        if (button != nullptr && IsWindowVisible(button) && IsWindowEnabled(button)) {
            const std::wstring caption = WithoutAccelerator(WindowText(button));
            clicked.push_back(caption);
            PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
            // One click per page: wait for the next page (another caption, or a disabled button
            // while files are copied) or for the end.
            WaitUntil(
                [&] {
                    return WaitForSingleObject(process, 0) != WAIT_TIMEOUT || !IsWindow(button) ||
                           !IsWindowEnabled(button) || WithoutAccelerator(WindowText(button)) != caption;
                },
                10s);
        }
        std::this_thread::sleep_for(50ms);
    }
    return clicked;
}

class Release : public testing::Test {
protected:
    void SetUp() override {
        RemoveInstallation();
        WriteBytes(m_client / L"BitComet.xml", ReadBytes(SourcePath(L"tests/standin/BitComet.xml")));
        m_registration.SetFolder(m_client.Path());
        // More of the client's key than the program reads, so that any change to it shows.
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\BitComet\\Options", 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        const std::wstring language = L"en-US";
        RegSetValueExW(key, L"Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(language.c_str()),
                       static_cast<DWORD>((language.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);

        m_clientKey = ReadTree(kClientKey);
        m_userPrograms = FolderEntries(UserProgramsFolder());
        m_startMenu = FolderEntries(StartMenuPrograms());
        m_uninstallEntries = SubkeyNames(kUninstallParent);
        m_softwareKeys = SubkeyNames(L"Software");
    }

    void TearDown() override { RemoveInstallation(); }

    // What a failed test may have left behind, so that every test starts from no installation.
    static void RemoveInstallation() {
        RemoveTree(InstallFolder());
        DeleteFileW(Shortcut().c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
    }

    void ExpectClientUntouched(const FolderContents& clientFiles) {
        EXPECT_EQ(ReadTree(kClientKey), m_clientKey) << "the client's registry key changed";
        EXPECT_EQ(ReadFolder(m_client.Path()), clientFiles) << "the client's folder changed";
    }

    static void ExpectInstalled() {
        const std::wstring folder = InstallFolder();
        EXPECT_EQ(FolderEntries(folder),
                  (std::vector<std::wstring>{L"LICENSE", L"README.txt", L"help.html", L"help.zh-CN.html",
                                             L"help.zh-TW.html", L"torvane.exe", L"uninstall.exe"}));
        if (!FileExists(InstalledFile(L"torvane.exe"))) {
            return;
        }
        const std::pair<const wchar_t*, std::wstring> copies[] = {
            {L"torvane.exe", BuiltTorvaneExe()},
            {L"help.html", SourcePath(L"resources/help.html")},
            {L"help.zh-CN.html", SourcePath(L"resources/help.zh-CN.html")},
            {L"help.zh-TW.html", SourcePath(L"resources/help.zh-TW.html")},
            {L"LICENSE", SourcePath(L"LICENSE")},
        };
        for (const auto& [name, original] : copies) {
            EXPECT_EQ(Fingerprint(ReadBytes(InstalledFile(name))), Fingerprint(ReadBytes(original)))
                << framework::ToUtf8(name) << " is not the built or committed one";
        }
        const std::string readme = ReadText(InstalledFile(L"README.txt"));
        EXPECT_EQ(readme.rfind("Torvane for BitComet " TORVANE_VERSION_STRING "\r\n", 0), 0u) << readme.substr(0, 80);
        std::size_t crlf = 0;
        for (std::size_t at = readme.find("\r\n"); at != std::string::npos; at = readme.find("\r\n", at + 2)) {
            ++crlf;
        }
        EXPECT_GT(crlf, 0u);
        EXPECT_EQ(static_cast<std::size_t>(std::count(readme.begin(), readme.end(), '\n')), crlf)
            << "README.txt has line ends other than CRLF";

        // One version everywhere: the program's resource, the installer's and the entry.
        const std::wstring version = Widen(TORVANE_VERSION_STRING);
        EXPECT_EQ(VersionString(InstalledFile(L"torvane.exe"), L"ProductVersion"), version);
        EXPECT_EQ(VersionString(SetupExe(), L"ProductVersion"), version);

        const auto shortcut = ReadShortcut(Shortcut());
        ASSERT_TRUE(shortcut.has_value()) << "no readable Start-menu shortcut";
        EXPECT_TRUE(SamePath(shortcut->path, InstalledFile(L"torvane.exe"))) << shortcut->path;
        EXPECT_TRUE(SamePath(shortcut->workingDirectory, folder)) << shortcut->workingDirectory;

        const std::pair<const wchar_t*, std::wstring> strings[] = {
            {L"DisplayName", kProduct},
            {L"DisplayVersion", version},
            {L"Publisher", Widen(TORVANE_PUBLISHER)},
            {L"DisplayIcon", InstalledFile(L"torvane.exe") + L",0"},
            {L"InstallLocation", folder},
            {L"UninstallString", L"\"" + InstalledFile(L"uninstall.exe") + L"\""},
            {L"QuietUninstallString", L"\"" + InstalledFile(L"uninstall.exe") + L"\" /S"},
        };
        for (const auto& [name, expected] : strings) {
            EXPECT_EQ(UninstallValueString(name), expected) << "Uninstall value " << framework::ToUtf8(name);
        }
        EXPECT_EQ(UninstallValueDword(L"NoModify"), 1u);
        EXPECT_EQ(UninstallValueDword(L"NoRepair"), 1u);
        const auto estimatedKb = UninstallValueDword(L"EstimatedSize");
        ASSERT_TRUE(estimatedKb.has_value());
        EXPECT_GE(*estimatedKb * 1024ull, ReadBytes(InstalledFile(L"torvane.exe")).size());
    }

    void ExpectRemoved() {
        EXPECT_FALSE(FileExists(InstallFolder())) << "the install folder is still there";
        EXPECT_FALSE(FileExists(Shortcut())) << "the Start-menu shortcut is still there";
        EXPECT_EQ(ReadTree(kUninstallKey), std::nullopt) << "the Uninstall entry is still there";
        // Nothing else left anywhere the installer writes.
        EXPECT_EQ(FolderEntries(UserProgramsFolder()), m_userPrograms);
        EXPECT_EQ(FolderEntries(StartMenuPrograms()), m_startMenu);
        EXPECT_EQ(SubkeyNames(kUninstallParent), m_uninstallEntries);
        EXPECT_EQ(SubkeyNames(L"Software"), m_softwareKeys);
    }

    ScratchFolder m_client{L"client"};
    ClientRegistration m_registration;
    std::optional<RegistryTree> m_clientKey;
    std::vector<std::wstring> m_userPrograms;
    std::vector<std::wstring> m_startMenu;
    std::vector<std::wstring> m_uninstallEntries;
    std::vector<std::wstring> m_softwareKeys;
};

TEST_F(Release, SilentInstallRunsTheProgramAndSilentUninstallTakesEverythingBack) {
    FolderContents clientFiles = ReadFolder(m_client.Path());
    // A second run installs over the first, as an upgrade does.
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("install run " + std::to_string(run));
        EXPECT_EQ(RunToEnd(SetupExe(), L"/S"), 0u);
        ExpectInstalled();
        ExpectClientUntouched(clientFiles);
    }
    if (const auto copy = UninstallerCopy()) {
        EXPECT_TRUE(CopyFileW(InstalledFile(L"uninstall.exe").c_str(), copy->c_str(), FALSE));
    }

    {
        Process torvane(InstalledFile(L"torvane.exe"), L"");
        const HWND window = WaitForWindow(kMainCaption, torvane.Id(), 30s);
        ASSERT_NE(window, nullptr) << "the installed program showed no window";
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 10s));
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(torvane.WaitForExit(30s), 0u);
    }
    // Starting and closing the program puts the settings file back: that is its own doing.
    clientFiles = ReadFolder(m_client.Path());

    EXPECT_EQ(UninstallSilently(), 0u);
    ExpectRemoved();
    ExpectClientUntouched(clientFiles);
}

TEST_F(Release, InstallerAndUninstallerRefuseWhileTheProgramRuns) {
    ASSERT_EQ(RunToEnd(SetupExe(), L"/S"), 0u);
    const FolderContents installed = ReadFolder(InstallFolder());
    const auto entry = ReadTree(kUninstallKey);
    ASSERT_TRUE(entry.has_value());

    Process torvane(InstalledFile(L"torvane.exe"), L"");
    const HWND window = WaitForWindow(kMainCaption, torvane.Id(), 30s);
    ASSERT_NE(window, nullptr);
    // Shown once its start-up work on the settings file is done.
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 10s));
    const FolderContents clientFiles = ReadFolder(m_client.Path());

    // A silent run cannot ask the user to close the program: it fails and changes nothing. The
    // uninstaller runs in place (_?=) so that its own exit code is the one seen.
    EXPECT_EQ(RunToEnd(SetupExe(), L"/S"), kAbortedByScript);
    EXPECT_EQ(RunToEnd(InstalledFile(L"uninstall.exe"), L"/S _?=" + InstallFolder()), kAbortedByScript);
    EXPECT_EQ(ReadFolder(InstallFolder()), installed);
    EXPECT_EQ(ReadTree(kUninstallKey), entry);
    EXPECT_TRUE(FileExists(Shortcut()));
    EXPECT_TRUE(torvane.Running());
    ExpectClientUntouched(clientFiles);

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(torvane.WaitForExit(30s), 0u);
    EXPECT_EQ(UninstallSilently(), 0u);
    ExpectRemoved();
}

TEST_F(Release, UninstallLeavesFilesOfTheUsersOwnInItsFolder) {
    ASSERT_EQ(RunToEnd(SetupExe(), L"/S"), 0u);
    WriteText(InstalledFile(L"notes.txt"), "mine");

    EXPECT_EQ(UninstallSilently(), 0u);
    EXPECT_EQ(FolderEntries(InstallFolder()), std::vector<std::wstring>{L"notes.txt"});
    EXPECT_EQ(ReadText(InstalledFile(L"notes.txt")), "mine");
    EXPECT_FALSE(FileExists(Shortcut()));
    EXPECT_EQ(ReadTree(kUninstallKey), std::nullopt);
}

TEST_F(Release, InteractiveInstallAndUninstallThroughTheirPages) {
    const FolderContents clientFiles = ReadFolder(m_client.Path());
    {
        Process setup(SetupExe(), L"");
        const std::vector<std::wstring> clicked = ClickThrough(setup.Handle(), setup.Id(), 120s);
        EXPECT_EQ(setup.WaitForExit(10s), 0u);
        // Welcome, folder, what was done, finish.
        EXPECT_EQ(clicked, (std::vector<std::wstring>{L"Next >", L"Install", L"Next >", L"Finish"}));
    }
    ExpectInstalled();
    // Starting the program from the last page is left to the user's choice.
    EXPECT_TRUE(FindTopLevelWindows(kMainCaption).empty()) << "the installer started the program";
    ExpectClientUntouched(clientFiles);

    {
        Process uninstaller(InstalledFile(L"uninstall.exe"), L"");
        ASSERT_EQ(uninstaller.WaitForExit(60s), 0u);
        // The pages belong to the copy the uninstaller started in the temporary folder.
        const std::vector<DWORD> copies = SpawnedProcesses(uninstaller.Id());
        ASSERT_EQ(copies.size(), 1u) << "the uninstaller started no copy of itself";
        const DWORD copyId = copies.front();
        const HANDLE copy = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, copyId);
        ASSERT_NE(copy, nullptr);
        const std::vector<std::wstring> clicked = ClickThrough(copy, copyId, 120s);
        DWORD exitCode = STILL_ACTIVE;
        WaitForSingleObject(copy, 10000);
        GetExitCodeProcess(copy, &exitCode);
        CloseHandle(copy);
        EXPECT_EQ(exitCode, 0u);
        // Confirm, then close once the files are gone.
        EXPECT_EQ(clicked, (std::vector<std::wstring>{L"Uninstall", L"Close"}));
    }
    ExpectRemoved();
    ExpectClientUntouched(clientFiles);
}

}  // namespace
}  // namespace release
