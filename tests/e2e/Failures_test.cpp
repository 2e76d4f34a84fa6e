// The whole program when something is wrong: a registry value that names no full path, a client
// that cannot be started, a settings file that cannot be changed or put back; and what the
// program keeps of the settings file's own protection.
#include "framework/Win32.h"
#include <sddl.h>

#include <algorithm>
#include <functional>
#include <iostream>

#include "framework/Text.h"
#include "tests/e2e/E2ETest.h"

namespace e2e {
namespace {

class Failures : public ::testing::Test {
protected:
    ClientSetup client;
    ScratchFolder workingFolder{L"cwd"};

    void WriteUserSettings(const std::wstring& path) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteText(path, kUserSettings);
    }
    std::string Settings() { return ReadText(client.SettingsFile()); }
};

// Waits until a run has ended either way: in the notification area, or on screen with a word in
// the status bar after the check list's last row.
bool RunEnded(Torvane& torvane) {
    const HWND main = torvane.MainWindow();
    return WaitUntil(
        [&] { return !IsWindowVisible(main) || (States(main).back() == L"OK" && !StatusText(main).empty()); }, 30s);
}

// Security descriptor parts of a file in their text form, or empty when they cannot be read.
std::wstring SecurityText(const std::wstring& path, SECURITY_INFORMATION parts) {
    DWORD size = 0;
    GetFileSecurityW(path.c_str(), parts, nullptr, 0, &size);
    std::vector<BYTE> descriptor(size);
    LPWSTR text = nullptr;
    if (size == 0 || !GetFileSecurityW(path.c_str(), parts, descriptor.data(), size, &size) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1, parts, &text,
                                                              nullptr)) {
        return {};
    }
    std::wstring result = text;
    LocalFree(text);
    return result;
}

// Leaves the file to its owner and the system alone.
bool MakePrivate(const std::wstring& path) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    LPWSTR sid = nullptr;
    const bool known = GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
                       ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid);
    CloseHandle(token);
    if (!known) {
        return false;
    }
    const std::wstring text = L"D:P(A;;FA;;;SY)(A;;FA;;;" + std::wstring(sid) + L")";
    LocalFree(sid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        return false;
    }
    const bool set = SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor) != FALSE;
    LocalFree(descriptor);
    return set;
}

FILETIME CreationTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftCreationTime;
}

void SetCreationTime(const std::wstring& path, const FILETIME& time) {
    const HANDLE file =
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, &time, nullptr, nullptr);
    CloseHandle(file);
}

// A folder on a small file system of its own, where the host lets the test make one (under Wine,
// as root): a disk that is full on demand.
class SmallDisk {
public:
    SmallDisk() {
        const std::wstring host = HostPath(m_folder.Path());
        m_mounted =
            !host.empty() &&
            StartHostProgram(L"/bin/mount", L"mount -t tmpfs -o size=64k torvane-small-disk \"" + host + L"\"") &&
            WaitUntil([&] { return Capacity() < kLarge; }, 10s);
    }
    ~SmallDisk() {
        if (m_mounted) {
            StartHostProgram(L"/bin/umount", L"umount -l \"" + HostPath(m_folder.Path()) + L"\"");
            WaitUntil([&] { return Capacity() >= kLarge; }, 10s);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Available() const { return m_mounted; }
    const std::wstring& Folder() const { return m_folder.Path(); }

private:
    static constexpr ULONGLONG kLarge = 1024 * 1024;
    ULONGLONG Capacity() const {
        ULARGE_INTEGER total{};
        GetDiskFreeSpaceExW(m_folder.Path().c_str(), nullptr, &total, nullptr);
        return total.QuadPart;
    }

    ScratchFolder m_folder{L"small-disk"};
    bool m_mounted = false;
};

// A relative folder, or one whose variable is not defined, would be taken from wherever the
// program runs: a file there must not be changed, nor a program there started.
TEST_F(Failures, ARegistryValueThatIsNoFullPathIsAProblemAndNothingIsTouched) {
    for (const auto& [value, type] : {std::pair{std::wstring(L"BitComet"), DWORD{REG_SZ}},
                                      {std::wstring(L"%TORVANE_NO_SUCH_VARIABLE%\\BitComet"), DWORD{REG_EXPAND_SZ}}}) {
        SCOPED_TRACE(framework::ToUtf8(value));
        const std::wstring planted = workingFolder / value;
        CreateDirectoryW((workingFolder / value.substr(0, value.find(L'\\'))).c_str(), nullptr);
        CreateDirectoryW(planted.c_str(), nullptr);
        WriteUserSettings(planted + L"\\BitComet.xml");
        WriteText(planted + L"\\BitComet.xml.1234abcd.tmp", "left over");
        StandInClient standIn(planted);
        const std::vector<std::wstring> entries = FolderEntries(planted);
        client.Registration().SetFolder(value, type);
        {
            Torvane torvane(SW_SHOWNORMAL, workingFolder.Path());
            const HWND main = torvane.ShownMainWindow();
            ASSERT_NE(main, nullptr);
            const auto toldOf = [&] {
                return Contains(StatusText(main), L"does not name a folder") && Contains(StatusText(main), value);
            };
            EXPECT_TRUE(toldOf()) << "at start: " << framework::ToUtf8(StatusText(main));
            ClickRun(main);
            ASSERT_TRUE(RunFailed(main));
            EXPECT_TRUE(toldOf()) << "after Run: " << framework::ToUtf8(StatusText(main));
            EXPECT_EQ(torvane.Close(), 0u);
        }
        EXPECT_EQ(ReadText(planted + L"\\BitComet.xml"), kUserSettings);
        EXPECT_EQ(Attributes(planted + L"\\BitComet.xml") & FILE_ATTRIBUTE_READONLY, 0u);
        EXPECT_EQ(FolderEntries(planted), entries) << "nothing swept, nothing made";
        EXPECT_TRUE(standIn.Starts().empty());
    }
}

// The new copy that takes the file's place keeps who may read it, its creation time and its
// attributes; read-only is the only mark added. A file that could not be changed keeps its own.
TEST_F(Failures, TheSettingsFileKeepsItsProtectionAndAttributes) {
    const std::wstring file = client.SettingsFile();
    WriteUserSettings(file);
    ASSERT_TRUE(MakePrivate(file));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const FILETIME made{0x12345678, 0x01c0f000};
    SetCreationTime(file, made);
    // Wine takes a creation time it is given but does not keep it.
    const FILETIME set = CreationTime(file);
    const bool systemKeepsCreationTime = CompareFileTime(&made, &set) == 0;
    const std::wstring owner = SecurityText(file, OWNER_SECURITY_INFORMATION);
    const auto kept = [&] {
        const std::wstring access = SecurityText(file, DACL_SECURITY_INFORMATION);
        const FILETIME creation = CreationTime(file);
        return !access.empty() && !Contains(access, L";WD)") && !Contains(access, L";BU)") &&
               !Contains(access, L";AU)") && SecurityText(file, OWNER_SECURITY_INFORMATION) == owner &&
               (Attributes(file) & ~DWORD{FILE_ATTRIBUTE_ARCHIVE}) ==
                   (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY) &&
               (!systemKeepsCreationTime || CompareFileTime(&made, &creation) == 0);
    };
    const auto describe = [&] {
        return framework::ToUtf8(SecurityText(file, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION)) +
               ", attributes " + std::to_string(Attributes(file));
    };
    {
        Torvane torvane;
        const HWND main = torvane.ShownMainWindow();
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(HasNoManagedSetting(Settings()));
        EXPECT_TRUE(kept()) << "after start: " << describe();
        SendMessageW(FindChild(main, L"Button", L"Auto Open BitComet  After Click Run"), BM_CLICK, 0, 0);
        ClickRun(main);
        ASSERT_TRUE(RunFinished(torvane));
        EXPECT_TRUE(IsTuned(Settings()));
        EXPECT_TRUE(kept()) << "after Run: " << describe();
        EXPECT_EQ(torvane.Close(), 0u);
    }
    EXPECT_TRUE(HasNoManagedSetting(Settings()));
    EXPECT_TRUE(kept()) << "after close: " << describe();

    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteText(file, "<BitComet><Settings>");
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    {
        Torvane torvane;
        ASSERT_NE(torvane.ShownMainWindow(), nullptr);
        EXPECT_EQ(torvane.Close(), 0u);
    }
    EXPECT_EQ(Attributes(file) & ~DWORD{FILE_ATTRIBUTE_ARCHIVE}, DWORD{FILE_ATTRIBUTE_HIDDEN})
        << "a damaged file is left as it was";
}

// Under Wine the mode bits are what protects the file: through start, Run and close it grants no
// one access it did not grant before and gains no execute bit; read-only takes its write bits off,
// and clearing read-only brings them back.
TEST_F(Failures, UnderWineTheFileKeepsItsModeBits) {
    const std::wstring file = client.SettingsFile();
    WriteUserSettings(file);
    if (HostPath(file).empty()) {
        GTEST_SKIP() << "no Unix host: the file's protection is its access list, tried above";
    }
    for (const auto& [mode, readOnly] : {std::pair{0600u, 0400u}, std::pair{0644u, 0444u}}) {
        SCOPED_TRACE(testing::Message() << std::oct << mode);
        WriteUserSettings(file);
        ASSERT_EQ(HostMode(file, mode), mode);
        Torvane torvane;
        const HWND main = torvane.ShownMainWindow();
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(HasNoManagedSetting(Settings()));
        EXPECT_EQ(HostMode(file), readOnly) << "after start";
        SendMessageW(FindChild(main, L"Button", L"Auto Open BitComet  After Click Run"), BM_CLICK, 0, 0);
        ClickRun(main);
        ASSERT_TRUE(RunFinished(torvane));
        EXPECT_TRUE(IsTuned(Settings()));
        EXPECT_EQ(HostMode(file), readOnly) << "after Run";
        EXPECT_EQ(torvane.Close(), 0u);
        EXPECT_TRUE(HasNoManagedSetting(Settings()));
        EXPECT_EQ(HostMode(file), readOnly) << "after close";
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(HostMode(file), mode) << "writable again";
    }
}

// The settings are tuned all the same. The user expects the client to run, so the window stays
// with the reason and what to do, and Run stays disabled as after any tune.
TEST_F(Failures, AClientThatCannotBeStartedIsReported) {
    std::wstring deep = client.Folder();
    while (deep.size() < 300) {
        deep += L"\\" + std::wstring(std::min<std::size_t>(60, 300 - deep.size()), L'd');
        CreateDirectoryW(deep.c_str(), nullptr);
    }
    struct Case {
        const char* name;
        std::wstring folder;
        std::function<void(const std::wstring& executable)> make;
        std::wstring cause;
    };
    const Case cases[] = {
        {"missing", client.Folder(), [](const std::wstring&) {}, L"there is no BitComet.exe"},
        {"a folder", client.Folder(), [](const std::wstring& exe) { CreateDirectoryW(exe.c_str(), nullptr); },
         L"is a folder"},
        {"not a program", client.Folder(), [](const std::wstring& exe) { WriteText(exe, "not a program"); }, L""},
        {"in a folder of 300 characters", deep,
         [](const std::wstring& exe) { CopyFileW(StandInExe().c_str(), exe.c_str(), FALSE); }, L"too long"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring settings = c.folder + L"\\BitComet.xml";
        const std::wstring executable = c.folder + L"\\BitComet.exe";
        WriteUserSettings(settings);
        RemoveTree(executable);
        c.make(executable);
        client.Registration().SetFolder(c.folder);
        StandInClient standIn(c.folder, {});
        Torvane torvane;
        const HWND main = torvane.ShownMainWindow();
        ASSERT_NE(main, nullptr);
        ClickRun(main);
        ASSERT_TRUE(RunEnded(torvane));
        EXPECT_TRUE(IsTuned(ReadText(settings)));
        EXPECT_TRUE(IsReadOnlyFile(settings));
        if (!IsWindowVisible(main)) {
            // Where the system can start a program from so deep a folder, it must have started.
            EXPECT_TRUE(c.cause == L"too long" && WaitUntil([&] { return !standIn.Starts().empty(); }, 10s));
        } else {
            const std::wstring status = StatusText(main);
            EXPECT_TRUE(Contains(status, L"could not be started") && Contains(status, c.cause) &&
                        Contains(status, L"start it yourself") && !Contains(status, L"Success"))
                << framework::ToUtf8(status);
            const HWND box = WaitForErrorBox(torvane.Proc().Id());
            ASSERT_NE(box, nullptr) << "the whole explanation is shown";
            const std::wstring explanation = DialogText(box);
            DismissBox(box);
            EXPECT_TRUE(Contains(explanation, c.cause) && Contains(explanation, L"start it yourself") &&
                        Contains(explanation, executable))
                << framework::ToUtf8(explanation);
            EXPECT_FALSE(IsWindowEnabled(FindChild(main, L"Button", L"Run")));
            EXPECT_TRUE(IsWindowVisible(torvane.ApplicationWindow())) << "not in the notification area";
        }
        EXPECT_EQ(torvane.Close(), 0u);
    }
}

// What the system gave as the cause is what the user reads: a file held open so that it cannot be
// swapped is in use, not refused; a disk without room is full, never "Success".
TEST_F(Failures, AFailedChangeNamesTheSystemsCause) {
    WriteUserSettings(client.SettingsFile());
    StandInClient standIn(client.Folder());
    Torvane torvane;
    const HWND main = torvane.ShownMainWindow();
    ASSERT_NE(main, nullptr);
    // Readable and writable beside its holder, but not to be replaced while held.
    const HANDLE held = CreateFileW(client.SettingsFile().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ClickRun(main);
    const bool failed = RunFailed(main);
    CloseHandle(held);
    ASSERT_TRUE(failed);
    EXPECT_TRUE(Contains(StatusText(main), L"in use by another program")) << framework::ToUtf8(StatusText(main));
    EXPECT_TRUE(HasNoManagedSetting(Settings()));

    SmallDisk disk;
    if (disk.Available()) {
        // Room for the file, not for its new copy.
        const std::wstring settings = disk.Folder() + L"\\BitComet.xml";
        std::string large = kUserSettings;
        large.insert(large.find("  </Settings>"), "    <Padding>" + std::string(40000, 'x') + "</Padding>\r\n");
        WriteText(settings, large);
        client.Registration().SetFolder(disk.Folder());
        ClickRun(main);
        ASSERT_TRUE(RunFailed(main));
        const std::wstring status = StatusText(main);
        EXPECT_TRUE(Contains(status, L"no room left on the disk") && !Contains(status, L"Success"))
            << framework::ToUtf8(status);
        EXPECT_EQ(ReadText(settings), large);
        EXPECT_EQ(FolderEntries(disk.Folder()), std::vector<std::wstring>{L"BitComet.xml"}) << "no copy left behind";
    } else {
        std::cout << "No small file system can be made here (it takes root under Wine): the full disk is not tried.\n";
    }
    EXPECT_TRUE(standIn.Starts().empty());
    client.Registration().SetFolder(client.Folder());
    EXPECT_EQ(torvane.Close(), 0u);
}

// Virus scanners, indexers and viewers open files and let them be deleted meanwhile: such a holder
// is no obstacle. The file is tuned, the holder keeps reading what it opened, and nothing is left
// behind once it lets go.
TEST_F(Failures, AFileOpenElsewhereWithFullSharingIsStillTuned) {
    const std::wstring file = client.SettingsFile();
    WriteUserSettings(file);
    StandInClient standIn(client.Folder());
    Torvane torvane;
    const HWND main = torvane.ShownMainWindow();
    ASSERT_NE(main, nullptr);
    const HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string restored = Settings();
    ClickRun(main);
    const bool tuned = RunFinished(torvane);
    std::string seen(restored.size(), '\0');
    DWORD read = 0;
    ReadFile(held, seen.data(), static_cast<DWORD>(seen.size()), &read, nullptr);
    CloseHandle(held);
    ASSERT_TRUE(tuned) << framework::ToUtf8(StatusText(main));
    EXPECT_TRUE(IsTuned(Settings()));
    EXPECT_TRUE(IsReadOnlyFile(file));
    EXPECT_EQ(seen, restored) << "the holder reads the file it opened";
    EXPECT_TRUE(WaitUntil([&] { return standIn.Starts().size() == 1; }, 10s));
    EXPECT_EQ(FolderEntries(client.Folder()),
              (std::vector<std::wstring>{L"BitComet.exe", L"BitComet.xml", L"standin-starts.log"}));
    EXPECT_EQ(torvane.Close(), 0u);
    EXPECT_TRUE(HasNoManagedSetting(Settings()));
}

// A failed run explains itself without hovering: the status bar keeps the sentence, and a box says
// what happened, what to do and which file. A damaged file is told where it is damaged, with advice
// that is true for the client and the word that it was left as it was; a registry value that names
// BitComet.exe or BitComet_x64.exe itself is a registry problem, not a missing settings file.
TEST_F(Failures, AFailedRunExplainsItselfInFull) {
    const std::string damaged =
        "<?xml version=\"1.0\"?>\r\n<BitComet>\r\n  <Settings>\r\n    <ListenPort>1</Listen>\r\n  </Settings>\r\n"
        "</BitComet>\r\n";
    WriteText(client.SettingsFile(), damaged);
    StandInClient standIn(client.Folder());
    {
        Torvane torvane;
        const HWND main = torvane.ShownMainWindow();
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(Contains(StatusText(main), L"The settings file is damaged")) << "told at start";
        ClickRun(main);
        std::wstring explanation;
        ASSERT_TRUE(RunFailed(main, &explanation));
        EXPECT_EQ(States(main), kConfigErrors);
        for (const std::wstring& part :
             {std::wstring(L"damaged"), std::wstring(L"line 4, column "), std::wstring(L"left it as it was"),
              std::wstring(L"start BitComet once and close it"), client.SettingsFile()}) {
            EXPECT_TRUE(Contains(explanation, part))
                << framework::ToUtf8(part) << " in " << framework::ToUtf8(explanation);
        }
        EXPECT_EQ(torvane.Close(), 0u);
    }
    EXPECT_EQ(ReadText(client.SettingsFile()), damaged);

    CopyFileW(StandInExe().c_str(), (client.Folder() + L"\\" + kProgram64).c_str(), FALSE);
    for (const wchar_t* program : {kProgram, kProgram64}) {
        client.Registration().SetFolder(client.Folder() + L"\\" + program);
        Torvane torvane;
        const HWND main = torvane.ShownMainWindow();
        ASSERT_NE(main, nullptr);
        const std::wstring status = StatusText(main);
        EXPECT_TRUE(Contains(status, L"does not name a folder") && Contains(status, L"names the file") &&
                    Contains(status, program) && !Contains(status, L"no settings file"))
            << framework::ToUtf8(status);
        EXPECT_EQ(torvane.Close(), 0u);
    }
}

// While the file stays tuned and read-only the client can save none of its settings: a close that
// cannot put it back says so before the program ends, and the next start puts it back.
TEST_F(Failures, ACloseThatCannotPutTheSettingsBackSaysSoBeforeTheProgramEnds) {
    WriteUserSettings(client.SettingsFile());
    {
        Torvane torvane;
        const HWND main = torvane.ShownMainWindow();
        ASSERT_NE(main, nullptr);
        SendMessageW(FindChild(main, L"Button", L"Auto Open BitComet  After Click Run"), BM_CLICK, 0, 0);
        ClickRun(main);
        ASSERT_TRUE(RunFinished(torvane));
        const HANDLE held =
            CreateFileW(client.SettingsFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        PostMessageW(main, WM_CLOSE, 0, 0);
        const HWND box = WaitForErrorBox(torvane.Proc().Id());
        const std::wstring text = box != nullptr ? DialogText(box) : std::wstring();
        if (box != nullptr) {
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        const std::optional<DWORD> exitCode = torvane.Proc().WaitForExit(30s);
        CloseHandle(held);
        ASSERT_NE(box, nullptr) << "the program ended without a word";
        EXPECT_TRUE(Contains(text, L"could not be put back") && Contains(text, L"in use") &&
                    Contains(text, L"start Torvane again"))
            << framework::ToUtf8(text);
        EXPECT_EQ(exitCode, 0u);
    }
    EXPECT_TRUE(IsTuned(Settings()));
    EXPECT_TRUE(IsReadOnlyFile(client.SettingsFile()));
    {
        Torvane torvane;
        ASSERT_NE(torvane.ShownMainWindow(), nullptr);
        EXPECT_TRUE(HasNoManagedSetting(Settings())) << "the next start puts it back";
        EXPECT_EQ(torvane.Close(), 0u);
    }
}

}  // namespace
}  // namespace e2e
