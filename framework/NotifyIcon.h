// TNotifyIcon: one icon in the shell's notification area: the requests that add, change and
// remove it, the window its callbacks arrive at, and its return after the taskbar restarts.
#pragma once

#include "framework/Win32.h"
#include <shellapi.h>

#include <functional>
#include <string_view>

#include "framework/UtilityWindow.h"

namespace framework {

class TNotifyIcon {
public:
    // id tells the icon from others of the same window. The handler sees every message of the
    // icon's window: the callback message kTrayIconCallback, the end of the session, and the rest.
    TNotifyIcon(UINT id, TUtilityWindow::THandler handler);
    // Removes the icon from the notification area if it was ever added.
    ~TNotifyIcon();
    TNotifyIcon(const TNotifyIcon&) = delete;
    TNotifyIcon& operator=(const TNotifyIcon&) = delete;

    HWND Handle() const noexcept { return m_window.Handle(); }
    // The record every request to the shell carries.
    const NOTIFYICONDATAW& Data() const noexcept { return m_data; }

    // The picture and the tooltip the next request carries; an empty tooltip shows none.
    void SetIcon(HICON icon) noexcept { m_data.hIcon = icon; }
    void SetTip(std::wstring_view tip) noexcept;

    // Each asks the shell once and returns whether it agreed.
    // Adds the icon; from now on a restarted taskbar gets it back.
    bool Add();
    // Removes the icon; a restarted taskbar no longer gets it back.
    bool Delete();
    // Shows the current picture and tooltip in place of the ones the shell has.
    bool Modify();
    // Removes the icon but leaves it meant to be shown, as at the end of a session: a restarted
    // taskbar still gets it back.
    bool Withdraw();

    // The icon's window hears no broadcasts; the owner hands on each message of a top-level
    // window of its own, and the end of the session and a restarted taskbar go on to the icon's
    // window as if they had arrived there.
    void PassOnBroadcast(const TMessage& message);

private:
    bool Notify(DWORD message);
    void HandleMessage(TMessage& message);

    NOTIFYICONDATAW m_data{};
    TUtilityWindow::THandler m_handler;
    // Sent to every top-level window when the taskbar (re)starts with an empty notification area.
    UINT m_taskbarCreated;
    bool m_wanted = false;
    bool m_added = false;
    TUtilityWindow m_window;
};

using TShellNotifyIcon = std::function<BOOL(DWORD message, PNOTIFYICONDATAW data)>;

// Replaces Shell_NotifyIconW for every notification icon; an empty function restores it.
// Returns the one before.
TShellNotifyIcon SetShellNotifyIcon(TShellNotifyIcon function);

}  // namespace framework
