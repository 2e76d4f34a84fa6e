// The application object: its window, hooks, minimise and restore, the termination rules of
// the message loop, and the routing of exceptions to the error display.
#include <stdexcept>

#include "framework/Exceptions.h"
#include "tests/gui/GuiTest.h"

namespace gui_test {
namespace {

using framework::Application;
using framework::TMessage;

HWND AppWindow() {
    return Application->Handle();
}

TEST(ApplicationWindow, IsAZeroSizeCentredTopLevelWindowWithATrimmedSystemMenu) {
    const HWND window = AppWindow();
    EXPECT_EQ(testing_support::ClassName(window), L"TApplication");
    EXPECT_EQ(GetParent(window), nullptr);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 0);
    EXPECT_EQ(rect.bottom - rect.top, 0);
    EXPECT_EQ(rect.left, GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_EQ(rect.top, GetSystemMetrics(SM_CYSCREEN) / 2);

    const HMENU menu = GetSystemMenu(window, FALSE);
    for (const UINT removed : {SC_SIZE, SC_MAXIMIZE, SC_MOVE}) {
        EXPECT_EQ(GetMenuState(menu, removed, MF_BYCOMMAND), static_cast<UINT>(-1)) << removed;
    }
    EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));

    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)), icon);
    EXPECT_EQ(Application->Icon().Handle(), icon);

    // The caption's icon is the one the system would make from the program's own, in the main
    // form's class too.
    const auto small = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
    const int size = GetSystemMetrics(SM_CXSMICON);
    EXPECT_EQ(IconSize(small).cx, size);
    const auto made = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, size, size, LR_COPYFROMRESOURCE));
    EXPECT_EQ(IconPixels(small, size), IconPixels(made, size));
    DestroyIcon(made);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(ui::Form_Main->Handle(), GCLP_HICONSM)), small);
}

TEST(ApplicationWindow, CarriesTheProgramNameUntilATitleIsSet) {
    EXPECT_EQ(InitialApplicationTitle(), L"gui_tests");
    const std::wstring saved = Application->Title();
    Application->SetTitle(L"Torvane for BitComet");
    EXPECT_EQ(testing_support::WindowText(AppWindow()), L"Torvane for BitComet");
    Application->SetTitle(saved);
}

class ApplicationTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // The application object on its own: without the tray icon's hook, which would take
        // a minimised application into the notification area.
        Form().TrayIcon_Main->SetVisible(false);
        Form().OnClose = [this](framework::TComponent&, framework::TCloseAction&) { ++closeHandlerRuns; };
    }
    int closeHandlerRuns = 0;
};

struct Hook {
    bool consume = false;
    std::vector<UINT> seen;
    bool Handle(TMessage& message) {
        seen.push_back(message.Msg);
        return consume && message.Msg == WM_SYSCOMMAND;
    }
};

TEST_F(ApplicationTest, HooksSeeMessagesFirstAndCanEndTheirHandling) {
    Hook first;
    Hook second;
    const auto firstHook = framework::MakeWindowHook<&Hook::Handle>(first);
    const auto secondHook = framework::MakeWindowHook<&Hook::Handle>(second);
    Application->HookMainWindow(firstHook);
    Application->HookMainWindow(secondHook);

    first.consume = true;
    SendMessageW(AppWindow(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsIconic(AppWindow())) << "a hook that returns true ends the handling";
    EXPECT_EQ(std::count(first.seen.begin(), first.seen.end(), WM_SYSCOMMAND), 1);
    EXPECT_EQ(std::count(second.seen.begin(), second.seen.end(), WM_SYSCOMMAND), 0);

    first.consume = false;
    Application->UnhookMainWindow(secondHook);
    SendMessageW(AppWindow(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(AppWindow()));
    EXPECT_EQ(std::count(second.seen.begin(), second.seen.end(), WM_SYSCOMMAND), 0) << "an unhooked method is gone";
    Application->UnhookMainWindow(firstHook);
    EXPECT_FALSE(Application->HasHook(firstHook));
    Application->Restore();
}

TEST_F(ApplicationTest, MinimiseTakesTheMainWindowAlongAndRestoreBringsItBack) {
    SendMessageW(Form().Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(AppWindow()));
    EXPECT_FALSE(IsWindowVisible(Form().Handle()));
    EXPECT_TRUE(IsWindowVisible(AppWindow())) << "the taskbar button stays";

    SendMessageW(AppWindow(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(AppWindow()));
    EXPECT_TRUE(IsWindowVisible(Form().Handle()));
}

TEST_F(ApplicationTest, ClosingRunsTheCloseHandlerThenEndsTheLoopWithTheWindowInPlace) {
    // WM_CLOSE to the application window is what the taskbar button's Close sends.
    PostMessageW(AppWindow(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(closeHandlerRuns, 1);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_TRUE(IsWindowVisible(Form().Handle()));
    Drain();

    SendMessageW(Form().Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    EXPECT_EQ(closeHandlerRuns, 2);
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(ApplicationTest, EndOfSessionTerminatesWithoutTheCloseHandler) {
    EXPECT_EQ(SendMessageW(Form().Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_NE(SendMessageW(AppWindow(), WM_QUERYENDSESSION, 0, 0), 0);
    SendMessageW(AppWindow(), WM_ENDSESSION, FALSE, 0);
    Pump();
    EXPECT_FALSE(Application->Terminated()) << "a cancelled session end changes nothing";

    SendMessageW(AppWindow(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(closeHandlerRuns, 0);
}

TEST_F(ApplicationTest, QuitMessageOnlySetsTheTerminationMark) {
    int laterMessages = 0;
    Form().Button_Run->OnClick = [&](framework::TComponent&) { ++laterMessages; };
    PostQuitMessage(0);
    PostMessageW(Form().Button_Run->Handle(), BM_CLICK, 0, 0);
    Pump();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(laterMessages, 1) << "processing goes on after the quit message";
    EXPECT_TRUE(IsWindow(Form().Handle()));
}

TEST_F(ApplicationTest, ExceptionsFromHandlersGoToTheErrorDisplayAndTheLoopGoesOn) {
    const std::wstring title = Application->Title();
    bool formEnabledDuringBox = true;
    framework::SetMessageBoxFunction([&](HWND, const std::wstring&, const std::wstring&, UINT) {
        formEnabledDuringBox = IsWindowEnabled(Form().Handle()) != FALSE;
        return IDOK;
    });
    Form().Button_Run->OnClick = [](framework::TComponent&) { throw framework::Exception(L"Boom"); };
    SendMessageW(Form().Button_Run->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(formEnabledDuringBox) << "other windows are disabled while the box shows";
    EXPECT_TRUE(IsWindowEnabled(Form().Handle()));

    RestoreMessageBoxRecorder();
    SendMessageW(Form().Button_Run->Handle(), BM_CLICK, 0, 0);
    auto boxes = TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Boom.");
    EXPECT_EQ(boxes[0].caption, title);
    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(boxes[0].owner, AppWindow());

    Form().Button_Run->OnClick = [](framework::TComponent&) { throw framework::EAbort(); };
    SetCapture(Form().Handle());
    SendMessageW(Form().Button_Run->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(TakeMessageBoxes().empty()) << "EAbort is silent";
    EXPECT_EQ(GetCapture(), nullptr) << "the capture is cancelled before an exception is handled";

    Form().Button_Run->OnClick = [](framework::TComponent&) { throw std::runtime_error("not ours"); };
    SendMessageW(Form().Button_Run->Handle(), BM_CLICK, 0, 0);
    boxes = TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Application Error");
    EXPECT_EQ(boxes[0].text.rfind(L"Exception std::runtime_error in module gui_tests.exe at ", 0), 0u)
        << testing::PrintToString(boxes[0].text);
    EXPECT_EQ(boxes[0].text.substr(boxes[0].text.size() - 5), L".\r\n\r\n");
    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP | MB_TASKMODAL));
    EXPECT_EQ(boxes[0].owner, nullptr);

    int clicks = 0;
    Form().Button_Run->OnClick = [&](framework::TComponent&) { ++clicks; };
    PostMessageW(Form().Button_Run->Handle(), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(clicks, 1) << "the application goes on after exceptions";
}

class TThrowingForm : public framework::TForm {
public:
    explicit TThrowingForm(framework::TComponent* owner) : TForm(owner, L"TThrowingForm") {}
    void FormCreate(framework::TComponent&) { throw framework::Exception(L"Creation failed"); }

protected:
    void ReadState() override {
        static constexpr auto kRows = framework::FormDescription<TThrowingForm>(
            framework::Prop<&TForm::SetClientWidth>(100), framework::Prop<&TForm::SetClientHeight>(50),
            framework::Event<&TForm::OnCreate, &TThrowingForm::FormCreate>());
        ReadDescription(kRows);
    }
};

TEST(FormCreation, AnExceptionInTheCreationHandlerIsShownAndCreationCompletes) {
    TakeMessageBoxes();
    TThrowingForm* form = nullptr;
    Application->CreateForm(form);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(IsWindow(form->Handle()));
    const auto boxes = TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Creation failed.");
    Application->FreeComponent(*form);
}

}  // namespace
}  // namespace gui_test
