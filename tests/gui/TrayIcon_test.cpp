// The notification-area icon: its life in the real shell of the virtual desktop, the mouse
// table, minimise and restore, animation, tooltip, and the shell refusing.
#include "ui/Trayicon.h"

#include <algorithm>
#include <cstdint>

#include "framework/Exceptions.h"
#include "tests/gui/GuiTest.h"

namespace gui_test {
namespace {

using framework::Application;
using ui::TTrayIcon;
using ui::TTrayIconMessage;
using namespace std::chrono_literals;

// Whether the shell shows an icon for this record: it accepts a change only for an icon it has.
bool ShellHasIcon(const NOTIFYICONDATAW& record) {
    NOTIFYICONDATAW copy = record;
    copy.uFlags = 0;
    return Shell_NotifyIconW(NIM_MODIFY, &copy) != FALSE;
}

std::vector<std::uint32_t> ImagePixels(framework::TImageList& list, int index) {
    framework::TIcon icon;
    list.GetIcon(index, icon);
    return IconPixels(icon.Handle());
}

bool ApplicationHidden() {
    return IsIconic(Application->Handle()) && !IsWindowVisible(Application->Handle());
}

using TrayIcon = MainWindowTest;

TEST_F(TrayIcon, TheMainWindowShowsImageZeroWithoutTooltipAndHooksTheApplication) {
    TTrayIcon& tray = *Form().TrayIcon_Main;
    EXPECT_TRUE(tray.Visible());
    EXPECT_TRUE(tray.Hide());
    EXPECT_EQ(tray.RestoreOn, ui::imDoubleClick);
    EXPECT_EQ(tray.PopupMenuOn, ui::imNone);
    EXPECT_EQ(tray.GetAnimateInterval(), 400);
    EXPECT_FALSE(tray.GetAnimate());
    EXPECT_FALSE(tray.AnimationTimer().Running());
    EXPECT_EQ(tray.IconIndex(), 0);
    ASSERT_EQ(tray.Icons, Form().ImageList_TrayIcon);
    EXPECT_EQ(tray.Icons->Count(), 3);
    EXPECT_EQ(tray.Icons->Width(), 32);
    EXPECT_EQ(tray.Icons->Height(), 32);
    EXPECT_EQ(tray.Icons->AllocBy(), 4);
    EXPECT_TRUE(tray.Icons->ShareImages());
    EXPECT_EQ(IconPixels(tray.CurrentIcon().Handle()), ImagePixels(*tray.Icons, 0));
    EXPECT_NE(ImagePixels(*tray.Icons, 0), ImagePixels(*tray.Icons, 1));

    const NOTIFYICONDATAW& record = tray.NotifyIconData();
    EXPECT_EQ(record.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));
    EXPECT_EQ(record.hWnd, tray.GetHandle());
    EXPECT_EQ(record.uID, static_cast<UINT>(reinterpret_cast<UINT_PTR>(&tray)));
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(record.uCallbackMessage, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(record.hIcon, tray.CurrentIcon().Handle());
    EXPECT_STREQ(record.szTip, L"");
    EXPECT_TRUE(ShellHasIcon(record));
    EXPECT_TRUE(tray.Hooked());
    EXPECT_TRUE(IsWindowVisible(Application->Handle())) << "the taskbar button stays until a minimise";
}

TEST_F(TrayIcon, LeavesTheShellAndTheHookListWhenDestroyed) {
    const NOTIFYICONDATAW record = Form().TrayIcon_Main->NotifyIconData();
    ASSERT_TRUE(ShellHasIcon(record));
    DestroyMainWindow();
    EXPECT_FALSE(ShellHasIcon(record));
    // A minimise now reaches no destroyed component's hook.
    SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(Application->Handle()));
    SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
}

TEST_F(TrayIcon, MinimisingHidesTheApplicationBehindTheIconAndADoubleClickBringsItBack) {
    TTrayIcon& tray = *Form().TrayIcon_Main;
    int minimised = 0;
    int restored = 0;
    tray.OnMinimize = [&](framework::TComponent&) { ++minimised; };
    tray.OnRestore = [&](framework::TComponent&) { ++restored; };

    // The title bar's minimise button sends this to the main window.
    SendMessageW(Form().Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(ApplicationHidden()) << "the taskbar button goes too";
    EXPECT_FALSE(IsWindowVisible(Form().Handle()));
    EXPECT_EQ(minimised, 1);

    for (const UINT click :
         {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MOUSEMOVE}) {
        SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, click);
        EXPECT_TRUE(ApplicationHidden()) << "mouse message " << click << " must not restore";
    }
    for (const UINT doubleClick : {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK}) {
        SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, doubleClick);
        Pump();
        EXPECT_FALSE(IsIconic(Application->Handle())) << "double click " << doubleClick;
        EXPECT_TRUE(IsWindowVisible(Application->Handle()));
        EXPECT_TRUE(IsWindowVisible(Form().Handle()));
        tray.Minimize();
        EXPECT_TRUE(ApplicationHidden());
    }
    EXPECT_EQ(restored, 3);

    // The restore request of a second start reaches the hook and brings the application back.
    PostMessageW(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(IsIconic(Application->Handle()));
    EXPECT_TRUE(IsWindowVisible(Form().Handle()));
    EXPECT_EQ(restored, 4);
    // A command with its low bits set is not the exact minimise command the hook looks for.
    SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE | 2, 0);
    EXPECT_TRUE(IsIconic(Application->Handle()));
    EXPECT_TRUE(IsWindowVisible(Application->Handle()));
    EXPECT_EQ(minimised, 4);
    SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
}

// Counts Restore and ShowMenu instead of doing them, to check where the mouse table acts.
class TProbeTrayIcon : public TTrayIcon {
public:
    using TTrayIcon::TTrayIcon;
    void Restore() override { actions.push_back(L'R'); }
    void ShowMenu() override { actions.push_back(L'M'); }
    void SetIconIndex(int value) override {
        indices.push_back(value);
        TTrayIcon::SetIconIndex(value);
    }
    std::wstring actions;
    std::vector<int> indices;
};

TEST(TrayIconMouse, RestoreAndMenuActAtTheirChosenMouseAction) {
    constexpr UINT kMessages[] = {WM_LBUTTONDOWN,   WM_LBUTTONUP,   WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,  WM_RBUTTONUP,
                                  WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP,     WM_MBUTTONDBLCLK};
    // For each setting, the messages (by index in kMessages) at which it acts.
    const std::vector<std::vector<int>> actsAt = {
        {},         // imClick, without an OnClick handler
        {2, 5, 8},  // imDoubleClick: any button
        {0, 3, 6},  // imMouseDown: any button
        {1, 4, 7},  // imMouseUp: any button
        {1},        // imLeftClickUp
        {2},        // imLeftDoubleClick
        {4},        // imRightClickUp
        {5},        // imRightDoubleClick
        {},         // imNone
    };
    for (int setting = ui::imClick; setting <= ui::imNone; ++setting) {
        for (const bool menu : {false, true}) {
            TProbeTrayIcon tray(nullptr);
            tray.RestoreOn = menu ? ui::imNone : static_cast<TTrayIconMessage>(setting);
            tray.PopupMenuOn = menu ? static_cast<TTrayIconMessage>(setting) : ui::imNone;
            for (std::size_t index = 0; index < std::size(kMessages); ++index) {
                tray.actions.clear();
                SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, kMessages[index]);
                const bool expected = std::count(actsAt[setting].begin(), actsAt[setting].end(), index) > 0;
                EXPECT_EQ(tray.actions, expected ? (menu ? L"M" : L"R") : L"")
                    << "setting " << setting << (menu ? " (menu)" : " (restore)") << ", message " << kMessages[index];
            }
        }
    }

    // imClick acts once a click handler is assigned: on a left release, before the handler.
    TProbeTrayIcon tray(nullptr);
    tray.RestoreOn = ui::imClick;
    tray.OnClick = [&](framework::TComponent&) { tray.actions.push_back(L'C'); };
    SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, WM_LBUTTONUP);
    EXPECT_EQ(tray.actions, L"RC");

    // Where both act at the same point, Restore comes first.
    tray.actions.clear();
    tray.RestoreOn = ui::imRightClickUp;
    tray.PopupMenuOn = ui::imRightClickUp;
    SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, WM_RBUTTONUP);
    EXPECT_EQ(tray.actions, L"RM");
}

TEST(TrayIconMouse, RaisesMouseEventsWithButtonModifiersAndCursorPosition) {
    TProbeTrayIcon tray(nullptr);
    struct Event {
        wchar_t kind;
        int button;
        ui::TShiftState shift;
        POINT at;
    };
    std::vector<Event> events;
    tray.OnMouseDown = [&](framework::TComponent&, ui::TMouseButton button, ui::TShiftState shift, int x, int y) {
        events.push_back({L'D', button, shift, {x, y}});
    };
    tray.OnMouseUp = [&](framework::TComponent&, ui::TMouseButton button, ui::TShiftState shift, int x, int y) {
        events.push_back({L'U', button, shift, {x, y}});
    };
    int doubleClicks = 0;
    tray.OnDblClick = [&](framework::TComponent&) { ++doubleClicks; };

    SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, WM_MOUSEMOVE);  // no handler: nothing
    BYTE saved[256];
    GetKeyboardState(saved);
    BYTE held[256];
    std::copy(std::begin(saved), std::end(saved), held);
    held[VK_SHIFT] = 0x80;
    held[VK_CONTROL] = 0x80;
    SetKeyboardState(held);
    SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, WM_RBUTTONDOWN);
    SetKeyboardState(saved);
    SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, WM_MBUTTONUP);
    SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, WM_LBUTTONDOWN);
    SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, WM_MBUTTONDBLCLK);

    POINT cursor{};
    GetCursorPos(&cursor);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, L'D');
    EXPECT_EQ(events[0].button, ui::mbRight);
    EXPECT_EQ(events[0].shift, ui::ssShift | ui::ssCtrl | ui::ssRight);
    EXPECT_EQ(events[1].kind, L'U');
    EXPECT_EQ(events[1].button, ui::mbMiddle);
    EXPECT_EQ(events[1].shift, ui::ssMiddle);
    EXPECT_EQ(events[2].button, ui::mbLeft);
    EXPECT_EQ(events[2].shift, ui::ssLeft);
    EXPECT_EQ(events[2].at.x, cursor.x);
    EXPECT_EQ(events[2].at.y, cursor.y);
    EXPECT_EQ(doubleClicks, 1);

    int moves = 0;
    tray.OnMouseMove = [&](framework::TComponent&, ui::TShiftState, int, int) { ++moves; };
    SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, WM_MOUSEMOVE);
    EXPECT_EQ(moves, 1);
}

TEST_F(TrayIcon, PopsUpItsMenuAtTheChosenActionAndBringsTheFormForward) {
    TTrayIcon& tray = *Form().TrayIcon_Main;
    framework::TPopupMenu& menu = Form().CreateComponent<framework::TPopupMenu>();
    menu.Add(L"Item", nullptr);
    int popups = 0;
    menu.OnPopup = [&](framework::TComponent&) { ++popups; };
    tray.PopupMenu = &menu;
    tray.PopupMenuOn = ui::imRightClickUp;
    // The menu runs its own loop; a timer inside that loop closes it again.
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, WM_RBUTTONUP);
    KillTimer(nullptr, timer);
    EXPECT_EQ(popups, 1);

    // Freeing the menu clears the reference; the action then only brings the form forward.
    Form().FreeComponent(menu);
    EXPECT_EQ(tray.PopupMenu, nullptr);
    SendMessageW(tray.GetHandle(), ui::kTrayIconCallback, 0, WM_RBUTTONUP);
    EXPECT_EQ(popups, 1);
}

TEST_F(TrayIcon, AnimatesThroughTheImagesInOrderAndWrapsAnIndexPastTheEnd) {
    auto& probe = Form().CreateComponent<TProbeTrayIcon>();
    probe.Icons = Form().ImageList_TrayIcon;
    int replaced = 0;
    probe.OnAnimate = [&](framework::TComponent&) { ++replaced; };
    probe.SetAnimateInterval(30);
    probe.SetAnimate(true);
    EXPECT_TRUE(probe.AnimationTimer().Running());
    testing_support::WaitUntil([&] { return probe.indices.size() >= 5; }, 5s, true);
    probe.SetAnimate(false);
    ASSERT_GE(probe.indices.size(), 5u);
    EXPECT_EQ(std::vector<int>(probe.indices.begin(), probe.indices.begin() + 5), (std::vector<int>{1, 2, 0, 1, 2}));
    EXPECT_EQ(replaced, 0) << "a handler assigned later does not replace the animation step";

    probe.indices.clear();
    probe.SetIconIndex(7);
    probe.DoOnAnimate(probe);
    EXPECT_EQ(probe.indices, (std::vector<int>{7, 0}));
    EXPECT_EQ(IconPixels(probe.CurrentIcon().Handle()), ImagePixels(*probe.Icons, 0));

    // Without images the animation is refused, and a step does nothing.
    probe.Icons = nullptr;
    probe.SetAnimate(true);
    EXPECT_FALSE(probe.GetAnimate());
    EXPECT_FALSE(probe.AnimationTimer().Running());
    probe.indices.clear();
    probe.DoOnAnimate(probe);
    EXPECT_TRUE(probe.indices.empty());
    Form().FreeComponent(probe);
}

TEST_F(TrayIcon, FreeingTheImageListWhileAnimatingLeavesTicksDoingNothing) {
    auto& list = Form().CreateComponent<framework::TImageList>();
    list.SetWidth(32);
    list.SetHeight(32);
    auto& probe = Form().CreateComponent<TProbeTrayIcon>();
    probe.Icons = &list;
    probe.SetAnimateInterval(20);
    probe.SetAnimate(true);
    Form().FreeComponent(list);
    EXPECT_EQ(probe.Icons, nullptr);
    EXPECT_TRUE(probe.AnimationTimer().Running());
    probe.indices.clear();
    testing_support::WaitUntil([] { return false; }, 100ms, true);
    EXPECT_TRUE(probe.indices.empty());
    Form().FreeComponent(probe);
}

TEST_F(TrayIcon, HintAcceptsUpToSixtyThreeCharactersAndAnEmptyHintRemovesTheTooltip) {
    TTrayIcon& tray = *Form().TrayIcon_Main;
    const std::wstring fits(63, L'h');
    tray.SetHint(fits);
    EXPECT_EQ(tray.Hint(), fits);
    EXPECT_EQ(std::wstring(tray.NotifyIconData().szTip), fits);
    EXPECT_TRUE(tray.NotifyIconData().uFlags & NIF_TIP);

    tray.SetHint(std::wstring(64, L'x'));
    EXPECT_EQ(tray.Hint(), fits) << "a hint of 64 characters is refused";
    EXPECT_EQ(std::wstring(tray.NotifyIconData().szTip), fits);

    tray.SetHint(L"");
    EXPECT_EQ(tray.Hint(), L"");
    EXPECT_STREQ(tray.NotifyIconData().szTip, L"");
    EXPECT_EQ(tray.NotifyIconData().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
    EXPECT_TRUE(ShellHasIcon(tray.NotifyIconData()));
}

TEST_F(TrayIcon, EndOfSessionRemovesTheIconAndARestartedShellGetsItBack) {
    TTrayIcon& tray = *Form().TrayIcon_Main;
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    EXPECT_EQ(SendMessageW(tray.GetHandle(), WM_QUERYENDSESSION, 0, 0), 1);
    // The session's end and a fresh notification area are announced to top-level windows only;
    // the icon's window is message-only and hears of them through the application window.
    for (const WPARAM ending : {FALSE, TRUE}) {
        SendMessageW(Application->Handle(), WM_ENDSESSION, ending, 0);
        EXPECT_FALSE(ShellHasIcon(tray.NotifyIconData())) << "wParam " << ending;
        EXPECT_TRUE(tray.Visible());
        EXPECT_TRUE(tray.Hooked());

        SendMessageW(Application->Handle(), taskbarCreated, 0, 0);
        EXPECT_TRUE(ShellHasIcon(tray.NotifyIconData()));
    }
    Drain();
    tray.SetVisible(false);
    SendMessageW(Application->Handle(), taskbarCreated, 0, 0);
    EXPECT_FALSE(ShellHasIcon(tray.NotifyIconData())) << "a hidden icon is not brought back";
}

struct RefusingShell {
    static inline std::vector<DWORD> requests;
    static BOOL WINAPI Refuse(DWORD message, PNOTIFYICONDATAW) {
        requests.push_back(message);
        return FALSE;
    }
};

TEST(TrayIconShell, RefusalsRaiseOutOfResourcesWithTheProgramsMessages) {
    TTrayIcon tray(nullptr);
    framework::SetShellNotifyIcon(&RefusingShell::Refuse);
    RefusingShell::requests.clear();
    try {
        tray.SetVisible(true);
        ADD_FAILURE() << "no exception";
    } catch (const framework::EOutOfResources& error) {
        EXPECT_EQ(error.Message(), L"Cannot Create System Shell Notification Icon");
    }
    EXPECT_TRUE(tray.Visible());
    EXPECT_FALSE(tray.Hooked());
    EXPECT_TRUE(tray.Hide()) << "unchanged";

    framework::SetShellNotifyIcon(nullptr);
    tray.SetVisible(true);
    EXPECT_TRUE(tray.Hooked());
    framework::SetShellNotifyIcon(&RefusingShell::Refuse);
    try {
        tray.SetVisible(false);
        ADD_FAILURE() << "no exception";
    } catch (const framework::EOutOfResources& error) {
        EXPECT_EQ(error.Message(), L"Cannot Remove System Shell Notification Icon");
    }
    EXPECT_FALSE(tray.Visible());
    EXPECT_TRUE(tray.Hooked()) << "the hook stays when the shell refuses the removal";

    // Every assignment asks the shell again, even for the value it already has.
    RefusingShell::requests.clear();
    EXPECT_THROW(tray.SetVisible(true), framework::EOutOfResources);
    EXPECT_THROW(tray.SetVisible(true), framework::EOutOfResources);
    EXPECT_EQ(RefusingShell::requests, (std::vector<DWORD>{NIM_ADD, NIM_ADD}));
    framework::SetShellNotifyIcon(nullptr);
    tray.SetVisible(false);
    EXPECT_FALSE(tray.Hooked());
}

}  // namespace
}  // namespace gui_test
