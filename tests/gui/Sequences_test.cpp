// The tuning sequences inside the real main window: what a run leaves behind, and registry
// errors that end a handler.
#include "framework/Win32.h"
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "framework/Text.h"
#include "tests/gui/GuiTest.h"

namespace gui_test {
namespace {

using namespace testing_support;

constexpr char kSettings[] =
    "<BitComet><Settings><ListenPort>1</ListenPort><ConnectedPeersMax>5</ConnectedPeersMax></Settings></BitComet>";

class SequencesTest : public MainWindowTest {
protected:
    void SetUp() override {
        WriteText(m_client / L"BitComet.xml", kSettings);
        MainWindowTest::SetUp();
    }
    std::string Settings() { return ReadText(m_client / L"BitComet.xml"); }
};

TEST_F(SequencesTest, CreationRestoresTheFileAndARunLeavesTheProgramTunedInTheNotificationArea) {
    EXPECT_EQ(Settings().find("ConnectedPeersMax"), std::string::npos) << "restored when the window was created";
    EXPECT_TRUE(Attributes(m_client / L"BitComet.xml") & FILE_ATTRIBUTE_READONLY);

    Form().CheckBox_OpenBitComet->SetChecked(false);
    Form().Button_RunClick(*Form().Button_Run);
    EXPECT_NE(Settings().find("<ConnectedPeersMax>1000</ConnectedPeersMax>"), std::string::npos);
    EXPECT_TRUE(Attributes(m_client / L"BitComet.xml") & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Form().Button_Run->Enabled()) << "a run disables Run for good";
    EXPECT_FALSE(IsWindowEnabled(Form().Button_Run->Handle()));
    EXPECT_TRUE(Form().TrayIcon_Main->GetAnimate());
    EXPECT_TRUE(Form().TrayIcon_Main->AnimationTimer().Running());
    EXPECT_FALSE(IsWindowVisible(Form().Handle()));
    EXPECT_FALSE(IsWindowVisible(framework::Application->Handle()));
    EXPECT_EQ(Form().ListView_Main->ItemText(0, 1), L"Error") << "no BitComet.exe in the client folder";

    // A click that still reaches the disabled button starts no second run.
    SetFileAttributesW((m_client / L"BitComet.xml").c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteText(m_client / L"BitComet.xml", kSettings);
    SendMessageW(Form().Button_Run->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(Settings(), kSettings);

    // The window comes back with the animation still running.
    Form().TrayIcon_Main->Restore();
    EXPECT_TRUE(IsWindowVisible(Form().Handle()));
    EXPECT_TRUE(Form().TrayIcon_Main->AnimationTimer().Running());
}

// A registry value that is no text names no folder. The start says so in the status bar, naming the
// key and what the value holds, and shows no box: a click on the bar shows the whole of it. Run
// touches nothing and explains itself in one box; the close shows none and goes ahead.
TEST_F(SequencesTest, ARegistryValueOfTheWrongTypeIsToldNamingTheKey) {
    struct Value {
        DWORD type;
        std::vector<std::uint8_t> data;
        const wchar_t* name;
    };
    const Value values[] = {{REG_DWORD, {1, 0, 0, 0}, L"REG_DWORD"},
                            {REG_MULTI_SZ, {'C', 0, ':', 0, '\\', 0, 0, 0, 0, 0}, L"REG_MULTI_SZ"},
                            {REG_BINARY, {'C', 0, ':', 0}, L"REG_BINARY"}};
    const std::string settings = Settings();
    const auto namesTheKey = [](const std::wstring& text, const wchar_t* type) {
        return text.find(L"HKEY_CURRENT_USER\\Software\\BitComet") != std::wstring::npos &&
               text.find(type) != std::wstring::npos;
    };
    for (const Value& value : values) {
        SCOPED_TRACE(framework::ToUtf8(value.name));
        DestroyMainWindow();
        Drain();
        m_registration.SetRaw(value.type, value.data);
        TakeMessageBoxes();
        CreateMainWindow();
        const std::wstring status = SentWindowText(Form().StatusBar_Main->Handle());
        EXPECT_TRUE(namesTheKey(status, value.name)) << framework::ToUtf8(status);
        EXPECT_TRUE(TakeMessageBoxes().empty()) << "a box at start";
    }
    const HWND bar = Form().StatusBar_Main->Handle();
    PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
    auto boxes = TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << "a click on the bar shows the whole text";
    EXPECT_TRUE(namesTheKey(boxes[0].text, L"REG_BINARY")) << framework::ToUtf8(boxes[0].text);

    SendMessageW(Form().Button_Run->Handle(), BM_CLICK, 0, 0);
    boxes = TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(namesTheKey(boxes[0].text, L"REG_BINARY")) << framework::ToUtf8(boxes[0].text);
    EXPECT_TRUE(Form().Button_Run->Enabled()) << "Run can be tried again";
    EXPECT_EQ(Form().ListView_Main->ItemText(4, 1), L"Error");
    EXPECT_EQ(Settings(), settings);

    PostMessageW(Form().Handle(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(TakeMessageBoxes().empty()) << "a box at close";
    EXPECT_TRUE(framework::Application->Terminated()) << "the close went ahead";

    m_registration.SetFolder(m_client.Path());
}

// A save cut short leaves its copy beside the settings file; the next start clears such copies
// away, read-only ones too, and only those: never a user's file of a like name, nor one a link of
// such a name points to.
TEST_F(SequencesTest, StartRemovesOnlyLeftoverCopiesOfTheSettingsFile) {
    DestroyMainWindow();
    const std::vector<std::wstring> kept = {L"BitComet.xml",
                                            L"BitComet.xml.1234abcd.bak",
                                            L"BitComet.xml.mine.tmp",
                                            L"BitComet.xml.1234abcde.tmp",
                                            L"BitComet.xml.\uff11\uff12\uff13\uff14\uff15\uff16\uff17\uff18.tmp",
                                            L"other.xml.1234abcd.tmp",
                                            L"tvn1A2B.tmp"};
    for (const std::wstring& name : kept) {
        if (name != L"BitComet.xml") {
            WriteText(m_client / name, "mine");
        }
    }
    WriteText(m_client / L"BitComet.xml.1234abcd.tmp", "left over");
    WriteText(m_client / L"BitComet.xml.DEADBEEF.tmp", "left over");
    WriteText(m_client / L"BitComet.xml.0123abcd.old", "set aside");
    WriteText(m_client / L"BitComet.xml.0badf00d.tmp", "left over");
    SetFileAttributesW((m_client / L"BitComet.xml.0badf00d.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    ScratchFolder elsewhere(L"elsewhere");
    const std::wstring link = L"BitComet.xml.1a2b3c4d.tmp";
    WriteText(elsewhere / L"mine.xml", "mine");
    ASSERT_TRUE(MakeSymbolicLink(m_client / link, elsewhere / L"mine.xml"));
    const HANDLE inUse = CreateFileW((m_client / L"BitComet.xml.0000ffff.tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
    CreateMainWindow();
    CloseHandle(inUse);
    EXPECT_EQ(ReadText(elsewhere / L"mine.xml"), "mine") << "a link is never followed";
    std::vector<std::wstring> expected = kept;
    expected.push_back(L"BitComet.xml.0000ffff.tmp");
    std::sort(expected.begin(), expected.end());
    // Windows removes the link itself; Wine can only reach what it points to, so there it stays.
    std::vector<std::wstring> entries = FolderEntries(m_client.Path());
    std::erase(entries, link);
    EXPECT_EQ(entries, expected);

    // A file set aside for a copy that never took its place is the user's settings: it goes back.
    DestroyMainWindow();
    SetFileAttributesW((m_client / L"BitComet.xml").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW((m_client / L"BitComet.xml").c_str());
    WriteText(m_client / L"BitComet.xml.0123abcd.old", kSettings);
    WriteText(m_client / L"BitComet.xml.4567cdef.tmp", "<BitComet><Settings/></BitComet>");
    CreateMainWindow();
    EXPECT_EQ(Settings(), "<BitComet><Settings><ListenPort>1</ListenPort></Settings></BitComet>");
    std::erase(expected, L"BitComet.xml.0000ffff.tmp");
    entries = FolderEntries(m_client.Path());
    std::erase(entries, link);
    EXPECT_EQ(entries, expected) << "put back, and the copy cleared away";
}

// Each sequence works on the one settings file the registry named when it began, whatever the
// registry says meanwhile: the file it changes is the one it leaves read-only, and a file it left
// as it was keeps its attributes.
TEST_F(SequencesTest, EachSequenceWorksOnOneSettingsFileWhileTheRegistrySwitches) {
    ScratchFolder other(L"other");
    const std::vector<std::wstring> folders = {m_client.Path(), other.Path()};
    constexpr char kTuned[] =
        "<BitComet><Settings><ListenPort>1</ListenPort><ConnectedPeersMax>1000</ConnectedPeersMax></Settings>"
        "</BitComet>";
    std::jthread switcher([&](std::stop_token stop) {
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\BitComet", 0, KEY_SET_VALUE, &key);
        for (std::size_t turn = 0; !stop.stop_requested(); ++turn) {
            const std::wstring& folder = folders[turn % folders.size()];
            RegSetValueExW(key, L"", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                           static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
    });
    for (int round = 0; round < 40; ++round) {
        for (const std::wstring& folder : folders) {
            SetFileAttributesW((folder + L"\\BitComet.xml").c_str(), FILE_ATTRIBUTE_NORMAL);
            WriteText(folder + L"\\BitComet.xml", kTuned);
        }
        ui::TCloseAction action = ui::TCloseAction::caFree;
        try {
            round % 2 == 0 ? Form().FormCreate(Form()) : Form().FormClose(Form(), action);
        } catch (const framework::ERegistryException&) {
            // The value changed while it was read: the sequence ended there, as it would on screen.
        }
        for (const std::wstring& folder : folders) {
            const std::wstring file = folder + L"\\BitComet.xml";
            const bool readOnly = (Attributes(file) & FILE_ATTRIBUTE_READONLY) != 0;
            const bool restored = ReadText(file).find("ConnectedPeersMax") == std::string::npos;
            EXPECT_EQ(readOnly, restored) << "round " << round << ", " << framework::ToUtf8(folder);
        }
    }
    switcher.request_stop();
    switcher.join();
    TakeMessageBoxes();
    m_registration.SetFolder(m_client.Path());
}

// A close, or the end of the session, that arrives in the check list's last pause counts as much as
// one in an earlier pause: nothing is tuned after it and no client started.
TEST_F(SequencesTest, ACloseInTheLastPauseStaysAClose) {
    const std::wstring standIn = TestArguments().at(0);
    struct Case {
        const char* name;
        std::function<void(HWND form)> close;
    };
    const Case cases[] = {
        {"WM_CLOSE", [](HWND form) { PostMessageW(form, WM_CLOSE, 0, 0); }},
        {"Escape", [](HWND form) { PostMessageW(form, WM_KEYDOWN, VK_ESCAPE, 1); }},
        {"Alt+F4", [](HWND form) { PostMessageW(form, WM_SYSKEYDOWN, VK_F4, (LPARAM{1} << 29) | 1); }},
        {"system menu", [](HWND form) { PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"end of session",
         [](HWND) { PostMessageW(framework::Application->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF); }},
    };
    SetEnvironmentVariableW(L"TORVANE_STANDIN_EXIT", L"1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DestroyMainWindow();
        Drain();
        SetFileAttributesW((m_client / L"BitComet.xml").c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteText(m_client / L"BitComet.xml", kSettings);
        ASSERT_TRUE(CopyFileW(standIn.c_str(), (m_client / L"BitComet.exe").c_str(), FALSE));
        CreateMainWindow();
        // The close is posted as the last row turns "OK": the pause before it is over, and the run
        // has not yet handled any message since.
        const auto lastRow = [](HWND list, UINT message, WPARAM item, LPARAM, UINT_PTR, DWORD_PTR closeRef) -> LRESULT {
            if (message == LVM_SETITEMTEXTW && item == 7) {
                auto& close = *reinterpret_cast<std::function<void()>*>(closeRef);
                if (close) {
                    std::exchange(close, nullptr)();
                }
            }
            return DefSubclassProc(list, message, item, 0);
        };
        std::function<void()> close = [&] { c.close(Form().Handle()); };
        ASSERT_TRUE(SetWindowSubclass(Form().ListView_Main->Handle(), lastRow, 1, reinterpret_cast<DWORD_PTR>(&close)));
        Form().Button_RunClick(*Form().Button_Run);
        EXPECT_EQ(close, nullptr) << "the close was never posted";
        EXPECT_EQ(Settings().find("1000"), std::string::npos) << "tuned after the close";
        EXPECT_FALSE(Form().TrayIcon_Main->GetAnimate());
        Sleep(200);
        EXPECT_FALSE(FileExists(m_client / L"standin-starts.log")) << "a client was started after the close";
        RemoveWindowSubclass(Form().ListView_Main->Handle(), lastRow, 1);
    }
    SetEnvironmentVariableW(L"TORVANE_STANDIN_EXIT", nullptr);
    Drain();
}

}  // namespace
}  // namespace gui_test
