// The whole program on a client folder made by the test: the settings file after start, Run
// and close, the client's stand-in and what it was started with.
#include <algorithm>
#include <iostream>
#include <optional>

#include "framework/Text.h"
#include "tests/e2e/E2ETest.h"

namespace e2e {
namespace {

class Sequences : public ::testing::Test {
protected:
    ClientSetup client;
    ScratchFolder workingFolder{L"cwd"};

    void WriteUserSettings(DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        WriteText(client.SettingsFile(), kUserSettings);
        SetFileAttributesW(client.SettingsFile().c_str(), attributes);
    }
    std::string Settings() { return ReadText(client.SettingsFile()); }
};

TEST_F(Sequences, StartAndCloseLeaveTheFileRestoredAndReadOnly) {
    for (const DWORD before : {DWORD{FILE_ATTRIBUTE_NORMAL}, DWORD{FILE_ATTRIBUTE_READONLY}}) {
        WriteUserSettings(before);
        Torvane torvane;
        ASSERT_NE(torvane.ShownMainWindow(), nullptr);
        EXPECT_TRUE(HasNoManagedSetting(Settings())) << "restored at start";
        EXPECT_TRUE(IsReadOnlyFile(client.SettingsFile()));

        // A file tuned meanwhile (by hand, say) is restored again at close.
        SetFileAttributesW(client.SettingsFile().c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteText(client.SettingsFile(), kUserSettings);
        EXPECT_EQ(torvane.Close(), 0u);
        EXPECT_TRUE(HasNoManagedSetting(Settings())) << "restored at close";
        EXPECT_TRUE(IsReadOnlyFile(client.SettingsFile()));
    }
}

// Run starts the program the client's own shortcut starts: BitComet_x64.exe where the folder holds
// it (this is 64-bit Windows), else BitComet.exe, in the client's own folder whatever folder
// Torvane works in. A folder with either program is an installed client.
TEST_F(Sequences, RunTunesTheFileGoesToTheNotificationAreaAndStartsTheClientOnce) {
    struct Layout {
        std::vector<std::wstring> programs;
        const wchar_t* started;
    };
    const Layout layouts[] = {{{kProgram}, kProgram}, {{kProgram64}, kProgram64}, {{kProgram, kProgram64}, kProgram64}};
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(framework::ToUtf8(layout.started) + " of " + std::to_string(layout.programs.size()));
        for (const wchar_t* program : {kProgram, kProgram64}) {
            DeleteFileW((client.Folder() + L"\\" + program).c_str());
        }
        DeleteFileW((client.Folder() + L"\\standin-starts.log").c_str());
        WriteUserSettings();
        StandInClient standIn(client.Folder(), layout.programs);
        Torvane torvane(SW_SHOWNORMAL, workingFolder.Path());
        const HWND main = torvane.ShownMainWindow();
        ASSERT_NE(main, nullptr);

        ClickRun(main);
        ClickRun(main);  // a second click while the check list plays does nothing
        ASSERT_TRUE(RunFinished(torvane));
        EXPECT_TRUE(IsTuned(Settings()));
        EXPECT_TRUE(IsReadOnlyFile(client.SettingsFile()));
        EXPECT_EQ(States(main), kAllOk);
        EXPECT_FALSE(IsWindowEnabled(FindChild(main, L"Button", L"Run")));

        ASSERT_TRUE(WaitUntil([&] { return standIn.Starts().size() == 1; }, 10s));
        const std::wstring exe = client.Folder() + L"\\" + layout.started;
        EXPECT_EQ(standIn.Starts()[0].first, L"\"" + exe + L"\"") << "started by its quoted path alone";
        EXPECT_TRUE(SamePath(standIn.Starts()[0].second, client.Folder()))
            << "the client starts in its own folder, not " << testing::PrintToString(standIn.Starts()[0].second);

        EXPECT_EQ(torvane.Close(), 0u);
        EXPECT_TRUE(HasNoManagedSetting(Settings()));
        EXPECT_EQ(standIn.Starts().size(), 1u);
    }
}

TEST_F(Sequences, RunWithTheOptionClearedStartsNothing) {
    WriteUserSettings();
    StandInClient standIn(client.Folder());
    Torvane torvane;
    const HWND main = torvane.ShownMainWindow();
    ASSERT_NE(main, nullptr);
    SendMessageW(FindChild(main, L"Button", L"Auto Open BitComet  After Click Run"), BM_CLICK, 0, 0);
    ClickRun(main);
    ASSERT_TRUE(RunFinished(torvane));
    EXPECT_TRUE(IsTuned(Settings()));
    Sleep(500);
    EXPECT_TRUE(standIn.Starts().empty());
    EXPECT_EQ(torvane.Close(), 0u);
}

TEST_F(Sequences, WithoutARegisteredClientNothingInTheDriveRootIsTouched) {
    // A settings file and an executable in the root of the drive the program runs on.
    const std::wstring root = workingFolder.Path().substr(0, 3);
    const std::wstring rootSettings = root + L"BitComet.xml";
    const std::wstring rootExe = root + L"BitComet.exe";
    ASSERT_FALSE(FileExists(rootSettings)) << "the test would overwrite a real file";
    struct RemovedAfterwards {
        std::vector<std::wstring> paths;
        ~RemovedAfterwards() {
            for (const std::wstring& path : paths) {
                RemoveTree(path);
            }
        }
    } cleanup{{rootSettings, rootExe, root + L"standin-starts.log"}};
    WriteText(rootSettings, kUserSettings);
    CopyFileW(StandInExe().c_str(), rootExe.c_str(), FALSE);
    StandInClient standIn(root.substr(0, 2), {});
    client.Registration().Remove();

    {
        Torvane torvane(SW_SHOWNORMAL, workingFolder.Path());
        const HWND main = torvane.ShownMainWindow();
        EXPECT_TRUE(Contains(StatusText(main), L"HKEY_CURRENT_USER\\Software\\BitComet names no folder"))
            << "told from the start";
        ClickRun(main);
        ASSERT_TRUE(RunFailed(main));
        EXPECT_TRUE(IsWindowVisible(main)) << "a run that tuned nothing stays on screen";
        std::vector<std::wstring> expected = kConfigErrors;
        expected[0] = L"Error";
        EXPECT_EQ(States(main), expected);
        EXPECT_TRUE(Contains(StatusText(main), L"names no folder"));
        EXPECT_EQ(torvane.Close(), 0u);
    }
    EXPECT_EQ(ReadText(rootSettings), kUserSettings);
    EXPECT_FALSE(Attributes(rootSettings) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(FileExists(root + L"standin-starts.log")) << "nothing in the root was started";
}

// Today's client: the program in its folder, the settings in the roaming application data folder.
// Every byte but those of the managed settings stays as written through start, Run and close.
TEST_F(Sequences, RunTunesTheSettingsFileInTheRoamingFolderAndNothingElse) {
    RoamingSettings roaming;
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<BitComet>\r\n  <Settings>\r\n"
        "    <ListenPort>16888</ListenPort>";
    const std::string rest =
        "\r\n    <TrackerList>udp://a/announce&#13;&#10;udp://b/announce&#13;&#10;</TrackerList>\r\n"
        "    <Nick>abc&#32;</Nick>\r\n    <Proxy>&#10;abc</Proxy>\r\n    <Space>&#32;</Space>\r\n"
        "    <Tab>&#9;</Tab>\r\n    <Language>en_US</Language>";
    const std::string tail = "\r\n  </Settings>\r\n</BitComet>\r\n";
    roaming.Write(head + "\r\n    <ConnectedPeersMax>50</ConnectedPeersMax>" + rest + tail);
    const std::string restored = head + rest + tail;
    const std::string tuned = head + rest +
                              "\r\n    <ConnectedPeersMax>1000</ConnectedPeersMax>"
                              "\r\n    <MaxTcpConnectionAttempts>1000</MaxTcpConnectionAttempts>" +
                              tail;
    StandInClient standIn(client.Folder());
    const auto installFolder = FolderEntries(client.Folder());
    {
        Torvane torvane;
        const HWND main = torvane.ShownMainWindow();
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(StatusText(main), L"");
        EXPECT_EQ(ReadText(roaming.Path()), restored) << "restored at start";
        ClickRun(main);
        ASSERT_TRUE(RunFinished(torvane));
        EXPECT_EQ(States(main), kAllOk);
        EXPECT_EQ(ReadText(roaming.Path()), tuned);
        EXPECT_TRUE(IsReadOnlyFile(roaming.Path()));
        ASSERT_TRUE(WaitUntil([&] { return standIn.Starts().size() == 1; }, 10s));
        EXPECT_EQ(torvane.Close(), 0u);
    }
    EXPECT_EQ(ReadText(roaming.Path()), restored) << "restored at close";
    std::vector<std::wstring> expected = installFolder;
    expected.push_back(L"standin-starts.log");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderEntries(client.Folder()), expected) << "nothing made in the installation folder";
}

// A file in UTF-16, or in the code page a Chinese Windows writes, is edited in its own encoding.
TEST_F(Sequences, SettingsFilesInUtf16AndGb2312KeepTheirEncoding) {
    StandInClient standIn(client.Folder());
    const auto encode = [](const std::wstring& text, bool utf16) {
        if (utf16) {
            const std::wstring marked = L"\xFEFF" + text;
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(marked.data());
            return std::vector<std::uint8_t>(bytes, bytes + marked.size() * sizeof(wchar_t));
        }
        std::string encoded(text.size() * 2, '\0');
        encoded.resize(static_cast<std::size_t>(WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()),
                                                                    encoded.data(), static_cast<int>(encoded.size()),
                                                                    nullptr, nullptr)));
        return std::vector<std::uint8_t>(encoded.begin(), encoded.end());
    };
    for (const bool utf16 : {true, false}) {
        SCOPED_TRACE(utf16 ? "UTF-16" : "GB2312");
        const std::wstring head = std::wstring(L"<?xml version=\"1.0\" encoding=\"") + (utf16 ? L"UTF-16" : L"GB2312") +
                                  L"\"?>\r\n<BitComet>\r\n\t<Settings>\r\n"
                                  L"\t\t<DownloadFolder>D:\\\u4E0B\u8F7D\\\u6BD4\u7279\u5F57\u661F</DownloadFolder>";
        const std::wstring tail = L"\r\n\t</Settings>\r\n</BitComet>\r\n";
        const std::vector<std::uint8_t> restored = encode(head + tail, utf16);
        const std::vector<std::uint8_t> tuned =
            encode(head +
                       L"\r\n\t\t<ConnectedPeersMax>1000</ConnectedPeersMax>"
                       L"\r\n\t\t<MaxTcpConnectionAttempts>1000</MaxTcpConnectionAttempts>" +
                       tail,
                   utf16);
        SetFileAttributesW(client.SettingsFile().c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteBytes(client.SettingsFile(),
                   encode(head + L"\r\n\t\t<GlobalMaxUploadRate>40</GlobalMaxUploadRate>" + tail, utf16));
        Torvane torvane;
        const HWND main = torvane.ShownMainWindow();
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(ReadBytes(client.SettingsFile()), restored) << "restored at start";
        ClickRun(main);
        ASSERT_TRUE(RunFinished(torvane));
        EXPECT_EQ(ReadBytes(client.SettingsFile()), tuned) << "tuned";
        EXPECT_EQ(torvane.Close(), 0u);
        EXPECT_EQ(ReadBytes(client.SettingsFile()), restored) << "restored at close";
    }
}

// A run that could not tune keeps the window, says why, starts nothing, and can be tried again
// once the cause is mended: first no settings file at all, then one another program holds.
TEST_F(Sequences, ARunThatCannotTuneSaysWhyAndRunCanBeTriedAgain) {
    RoamingSettings roaming;
    StandInClient standIn(client.Folder());
    Torvane torvane;
    const HWND main = torvane.ShownMainWindow();
    ASSERT_NE(main, nullptr);
    const std::wstring installed = client.SettingsFile();
    EXPECT_TRUE(Contains(StatusText(main), installed) && Contains(StatusText(main), roaming.Path()))
        << "the start names both places looked in: " << framework::ToUtf8(StatusText(main));

    ClickRun(main);
    ASSERT_TRUE(RunFailed(main));
    EXPECT_EQ(States(main), kConfigErrors);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(Contains(StatusText(main), L"no settings file")) << framework::ToUtf8(StatusText(main));
    EXPECT_FALSE(FileExists(installed));

    WriteUserSettings();
    const HANDLE held = CreateFileW(installed.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ClickRun(main);
    ASSERT_TRUE(RunFailed(main));
    CloseHandle(held);
    EXPECT_EQ(States(main), kConfigErrors);
    EXPECT_TRUE(Contains(StatusText(main), L"in use by another program") && Contains(StatusText(main), installed))
        << framework::ToUtf8(StatusText(main));
    EXPECT_EQ(Settings(), kUserSettings);
    EXPECT_TRUE(standIn.Starts().empty()) << "no client is started after a failed run";

    ClickRun(main);
    ASSERT_TRUE(RunFinished(torvane));
    EXPECT_EQ(States(main), kAllOk);
    EXPECT_EQ(StatusText(main), L"");
    EXPECT_TRUE(IsTuned(Settings()));
    ASSERT_TRUE(WaitUntil([&] { return standIn.Starts().size() == 1; }, 10s));
    EXPECT_EQ(torvane.Close(), 0u);
}

// A client that runs would neither read the tuned file nor save its own settings into a read-only
// one: the start names it, and Run tunes nothing and starts nothing until it has exited. Its program
// is compared as Windows compares paths, letter case aside and links followed; a program of the same
// name in another folder is not the client.
TEST_F(Sequences, ARunningClientIsSeenAndRunWaitsUntilItHasExited) {
    WriteUserSettings();
    StandInClient standIn(client.Folder());
    ScratchFolder elsewhere(L"elsewhere");
    CopyFileW(StandInExe().c_str(), (elsewhere / L"BitComet.exe").c_str(), FALSE);
    // Started through a link to its folder where one can be made, as a shortcut may start it.
    ScratchFolder links(L"links");
    const std::wstring linked = links / L"BitComet";
    const bool viaLink = MakeSymbolicLink(linked, client.Folder());
    if (!viaLink) {
        std::cout << "No link can be made here: the client runs from its own folder.\n";
    }
    const std::wstring started = viaLink ? linked : client.Folder();
    // Both stand-ins stay running: the variable that would end them at once is not passed on.
    SetEnvironmentVariableW(L"TORVANE_STANDIN_EXIT", nullptr);
    std::optional<Process> running(std::in_place, started + L"\\BitComet.exe", L"");
    Process other(elsewhere / L"BitComet.exe", L"");
    SetEnvironmentVariableW(L"TORVANE_STANDIN_EXIT", L"1");
    ASSERT_TRUE(WaitUntil([&] { return standIn.Starts().size() == 1; }, 10s));
    std::wstring upper = client.Folder();
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    client.Registration().SetFolder(upper);

    Torvane torvane;
    const HWND main = torvane.ShownMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(Contains(StatusText(main), L"BitComet is running"))
        << "told at start: " << framework::ToUtf8(StatusText(main));
    const std::string restored = Settings();
    ClickRun(main);
    std::wstring explanation;
    ASSERT_TRUE(RunFailed(main, &explanation));
    EXPECT_EQ(States(main), kConfigErrors);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(Contains(StatusText(main), L"BitComet is running") && Contains(StatusText(main), L"notification-area"))
        << framework::ToUtf8(StatusText(main));
    EXPECT_TRUE(Contains(explanation, L"Exit BitComet") && Contains(explanation, L"new limits"))
        << framework::ToUtf8(explanation);
    EXPECT_EQ(Settings(), restored) << "nothing is tuned while the client runs";
    EXPECT_EQ(standIn.Starts().size(), 1u) << "nothing is started while the client runs";

    running.reset();
    ClickRun(main);
    ASSERT_TRUE(RunFinished(torvane)) << "once the client has exited, Run goes through";
    EXPECT_TRUE(IsTuned(Settings()));
    EXPECT_TRUE(WaitUntil([&] { return standIn.Starts().size() == 2; }, 10s)) << "and starts it";
    EXPECT_EQ(torvane.Close(), 0u);

    // The client's 64-bit program beside BitComet.exe is the client too, and the texts name it.
    CopyFileW(StandInExe().c_str(), (client.Folder() + L"\\" + kProgram64).c_str(), FALSE);
    SetEnvironmentVariableW(L"TORVANE_STANDIN_EXIT", nullptr);
    Process running64(client.Folder() + L"\\" + kProgram64, L"");
    SetEnvironmentVariableW(L"TORVANE_STANDIN_EXIT", L"1");
    ASSERT_TRUE(WaitUntil([&] { return standIn.Starts().size() == 3; }, 10s));
    Torvane again;
    const HWND second = again.ShownMainWindow();
    ASSERT_NE(second, nullptr);
    const std::string restoredAgain = Settings();
    EXPECT_TRUE(Contains(StatusText(second), L"BitComet is running") && Contains(StatusText(second), kProgram64))
        << "told at start: " << framework::ToUtf8(StatusText(second));
    ClickRun(second);
    ASSERT_TRUE(RunFailed(second, &explanation));
    EXPECT_TRUE(Contains(explanation, kProgram64)) << framework::ToUtf8(explanation);
    EXPECT_EQ(Settings(), restoredAgain);
    EXPECT_EQ(standIn.Starts().size(), 3u);
    EXPECT_EQ(again.Close(), 0u);
}

TEST_F(Sequences, ClosingDuringTheCheckListEndsWithTheFileRestored) {
    WriteUserSettings();
    StandInClient standIn(client.Folder());
    Torvane torvane;
    const HWND main = torvane.ShownMainWindow();
    ASSERT_NE(main, nullptr);
    ClickRun(main);
    Sleep(1200);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(torvane.Proc().WaitForExit(30s), 0u);
    EXPECT_TRUE(HasNoManagedSetting(Settings())) << "the run must not tune again after the close";
    EXPECT_TRUE(IsReadOnlyFile(client.SettingsFile()));
    Sleep(500);
    EXPECT_TRUE(standIn.Starts().empty());
}

// A close that arrives while a large file's tuned copy is written, after the check list's last
// pause, is seen before the client would be started: the file is put back and nothing is started.
TEST_F(Sequences, ACloseWhileRunWritesTheFileIsSeenBeforeTheClientStarts) {
    std::string large = kUserSettings;
    std::string padding;
    for (int index = 0; padding.size() < 20 * 1024 * 1024; ++index) {
        padding +=
            "    <Item" + std::to_string(index % 500) + ">some value</Item" + std::to_string(index % 500) + ">\r\n";
    }
    large.insert(large.find("  </Settings>"), padding);
    WriteText(client.SettingsFile(), large);
    StandInClient standIn(client.Folder());
    Torvane torvane;
    const HWND main = torvane.ShownMainWindow(60s);
    ASSERT_NE(main, nullptr);
    ClickRun(main);
    // The tuned copy is being written once it stands beside the file.
    const auto copyWritten = [&] {
        WIN32_FIND_DATAW entry;
        const HANDLE find = FindFirstFileW((client.SettingsFile() + L".*.tmp").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) {
            return false;
        }
        FindClose(find);
        return true;
    };
    ASSERT_TRUE(WaitUntil(copyWritten, 30s, false));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(torvane.Proc().WaitForExit(60s), 0u);
    EXPECT_TRUE(HasNoManagedSetting(Settings()));
    Sleep(500);
    EXPECT_TRUE(standIn.Starts().empty()) << "the client was started after the close";
}

// Under a Simplified or Traditional Chinese Windows (system code page 936 or 950) a client in a
// folder of Chinese name, with its settings in GB2312, is found, tuned, started and put back, in a
// window that speaks that Chinese. It runs in Wine sessions of those languages (e2e_tests_zh_CN and
// e2e_tests_zh_TW).
TEST_F(Sequences, UnderAChineseWindowsAClientInAChineseFolderIsTunedAndStarted) {
    const bool traditional = GetACP() == 950;
    ASSERT_TRUE(traditional || GetACP() == 936) << "not a Chinese Windows: code page " << GetACP();
    // "Download tools" as each script writes it; the client's name is the same in both.
    const std::wstring folder =
        client.Folder() + (traditional ? L"\\\u4E0B\u8F09\u5DE5\u5177" : L"\\\u4E0B\u8F7D\u5DE5\u5177");
    const std::wstring clientFolder = folder + L"\\\u6BD4\u7279\u5F57\u661F";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) && CreateDirectoryW(clientFolder.c_str(), nullptr));
    client.Registration().SetFolder(clientFolder);
    const std::wstring settings = clientFolder + L"\\BitComet.xml";
    const auto gb2312 = [](const std::wstring& text) {
        std::string bytes(text.size() * 2, '\0');
        bytes.resize(static_cast<std::size_t>(WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()),
                                                                  bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                                  nullptr)));
        return bytes;
    };
    const std::wstring head =
        L"<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<BitComet>\r\n\t<Settings>\r\n"
        L"\t\t<DownloadFolder>" +
        clientFolder + L"\\\u4E0B\u8F7D</DownloadFolder>";
    const std::wstring tail = L"\r\n\t</Settings>\r\n</BitComet>\r\n";
    WriteText(settings, gb2312(head + L"\r\n\t\t<GlobalMaxUploadRate>40</GlobalMaxUploadRate>" + tail));
    StandInClient standIn(clientFolder);
    Torvane torvane;
    const HWND main = torvane.ShownMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ReadText(settings), gb2312(head + tail)) << "restored at start";
    EXPECT_EQ(StatusText(main), L"");
    ClickRun(main, traditional ? L"\u57F7\u884C(R)" : L"\u8FD0\u884C(R)");
    ASSERT_TRUE(RunFinished(torvane));
    EXPECT_EQ(States(main), std::vector<std::wstring>(8, L"\u6B63\u5E38"));
    EXPECT_EQ(ReadText(settings), gb2312(head +
                                         L"\r\n\t\t<ConnectedPeersMax>1000</ConnectedPeersMax>"
                                         L"\r\n\t\t<MaxTcpConnectionAttempts>1000</MaxTcpConnectionAttempts>" +
                                         tail));
    ASSERT_TRUE(WaitUntil([&] { return standIn.Starts().size() == 1; }, 10s));
    EXPECT_EQ(standIn.Starts()[0].first, L"\"" + clientFolder + L"\\BitComet.exe\"");
    EXPECT_TRUE(SamePath(standIn.Starts()[0].second, clientFolder));
    EXPECT_EQ(torvane.Close(), 0u);
    EXPECT_EQ(ReadText(settings), gb2312(head + tail)) << "restored at close";
}

TEST_F(Sequences, AClientFolderWithBlanksAndNonAsciiLettersWorks) {
    const std::wstring folder =
        client.Folder() + L"\\Program Files \u00dcml\u00e4ut \u041a\u043b\u0438\u0435\u043d\u0442";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    client.Registration().SetFolder(folder);
    WriteText(folder + L"\\BitComet.xml", kUserSettings);
    StandInClient standIn(folder);
    Torvane torvane;
    const HWND main = torvane.ShownMainWindow();
    ClickRun(main);
    ASSERT_TRUE(RunFinished(torvane));
    EXPECT_EQ(States(main), kAllOk);
    EXPECT_TRUE(IsTuned(ReadText(folder + L"\\BitComet.xml")));
    ASSERT_TRUE(WaitUntil([&] { return standIn.Starts().size() == 1; }, 10s));
    EXPECT_EQ(standIn.Starts()[0].first, L"\"" + folder + L"\\BitComet.exe\"");
    EXPECT_EQ(torvane.Close(), 0u);
}

// "How to Use" makes Torvane's own folder its current directory; the client still starts in its own.
TEST_F(Sequences, HowToUseBeforeRunLeavesTheClientStartingInItsOwnFolder) {
    WriteUserSettings();
    StandInClient standIn(client.Folder());
    Torvane torvane(SW_SHOWNORMAL, workingFolder.Path());
    const HWND main = torvane.ShownMainWindow();
    ASSERT_NE(main, nullptr);
    const HWND howToUse = FindChild(main, L"Static", L"How to Use");
    ASSERT_NE(howToUse, nullptr);
    PostMessageW(howToUse, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(howToUse, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ClickRun(main);
    ASSERT_TRUE(RunFinished(torvane));
    ASSERT_TRUE(WaitUntil([&] { return standIn.Starts().size() == 1; }, 10s));
    EXPECT_TRUE(SamePath(standIn.Starts()[0].second, client.Folder()))
        << testing::PrintToString(standIn.Starts()[0].second);
    EXPECT_EQ(torvane.Close(), 0u);
}

}  // namespace
}  // namespace e2e
