// The tuning sequences inside the real main window: what a run leaves behind, and registry
// errors that end a handler.
#include "tests/gui/GuiTest.h"

#include <algorithm>

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

// A registry value the locator cannot use ends Run where it stands, but never keeps the window
// from closing: the error is shown once and the close goes ahead.
TEST_F(SequencesTest, ARegistryErrorEndsRunButNotTheClose) {
    m_registration.SetRaw(REG_DWORD, {1, 0, 0, 0});
    TakeMessageBoxes();

    SendMessageW(Form().Button_Run->Handle(), BM_CLICK, 0, 0);
    auto boxes = TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Invalid data type for ''");
    EXPECT_TRUE(Form().Button_Run->Enabled()) << "the run ended before it disabled Run";
    EXPECT_EQ(Form().ListView_Main->ItemText(0, 1), L"");

    PostMessageW(Form().Handle(), WM_CLOSE, 0, 0);
    Pump();
    boxes = TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Invalid data type for ''");
    EXPECT_TRUE(framework::Application->Terminated()) << "the close went ahead";

    m_registration.SetFolder(m_client.Path());
}

// A save cut short leaves its copy beside the settings file; the next start clears such copies
// away, and only those.
TEST_F(SequencesTest, StartRemovesOnlyLeftoverCopiesOfTheSettingsFile) {
    DestroyMainWindow();
    const std::vector<std::wstring> kept = {L"BitComet.xml", L"BitComet.xml.1234abcd.bak", L"BitComet.xml.mine.tmp",
                                            L"BitComet.xml.1234abcde.tmp", L"other.xml.1234abcd.tmp", L"tvn1A2B.tmp"};
    for (const std::wstring& name : kept) {
        if (name != L"BitComet.xml") {
            WriteText(m_client / name, "mine");
        }
    }
    WriteText(m_client / L"BitComet.xml.1234abcd.tmp", "left over");
    WriteText(m_client / L"BitComet.xml.DEADBEEF.tmp", "left over");
    const HANDLE inUse = CreateFileW((m_client / L"BitComet.xml.0000ffff.tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
    CreateMainWindow();
    CloseHandle(inUse);
    std::vector<std::wstring> expected = kept;
    expected.push_back(L"BitComet.xml.0000ffff.tmp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderEntries(m_client.Path()), expected);
}

}  // namespace
}  // namespace gui_test
