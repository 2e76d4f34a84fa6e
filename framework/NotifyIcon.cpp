#include "framework/NotifyIcon.h"

#include <utility>

#include "framework/Text.h"

namespace framework {

namespace {

TShellNotifyIcon& ShellNotifyIcon() {
    static TShellNotifyIcon function;
    return function;
}

}  // namespace

TShellNotifyIcon SetShellNotifyIcon(TShellNotifyIcon function) {
    return std::exchange(ShellNotifyIcon(), std::move(function));
}

TNotifyIcon::TNotifyIcon(UINT id, TUtilityWindow::THandler handler)
    : m_handler(std::move(handler)),
      m_taskbarCreated(RegisterWindowMessageW(L"TaskbarCreated")),
      m_window([this](TMessage& message) { HandleMessage(message); }) {
    m_data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    m_data.hWnd = m_window.Handle();
    m_data.uID = id;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON;
    m_data.uCallbackMessage = kTrayIconCallback;
}

TNotifyIcon::~TNotifyIcon() {
    if (m_added) {
        Notify(NIM_DELETE);
    }
}

void TNotifyIcon::SetTip(std::wstring_view tip) noexcept {
    CopyBounded(m_data.szTip, tip);
    if (tip.empty()) {
        m_data.uFlags &= ~static_cast<UINT>(NIF_TIP);
    } else {
        m_data.uFlags |= NIF_TIP;
    }
}

bool TNotifyIcon::Add() {
    m_wanted = true;
    m_added = true;
    return Notify(NIM_ADD);
}

bool TNotifyIcon::Delete() {
    m_wanted = false;
    return Notify(NIM_DELETE);
}

bool TNotifyIcon::Modify() {
    return Notify(NIM_MODIFY);
}

bool TNotifyIcon::Withdraw() {
    return Notify(NIM_DELETE);
}

bool TNotifyIcon::Notify(DWORD message) {
    if (const TShellNotifyIcon& function = ShellNotifyIcon()) {
        return function(message, &m_data) != FALSE;
    }
    return Shell_NotifyIconW(message, &m_data) != FALSE;
}

void TNotifyIcon::PassOnBroadcast(const TMessage& message) {
    if (message.Msg == WM_QUERYENDSESSION || message.Msg == WM_ENDSESSION ||
        (message.Msg == m_taskbarCreated && m_taskbarCreated != 0)) {
        SendMessageW(m_window.Handle(), message.Msg, message.WParam, message.LParam);
    }
}

void TNotifyIcon::HandleMessage(TMessage& message) {
    // A restarted shell has an empty notification area; the icon goes back in while it is meant
    // to be shown, or the user would have no way back to a hidden window.
    if (message.Msg == m_taskbarCreated && m_taskbarCreated != 0 && m_wanted) {
        Notify(NIM_ADD);
    }
    if (m_handler) {
        m_handler(message);
    }
}

}  // namespace framework
