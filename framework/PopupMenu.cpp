#include "framework/PopupMenu.h"

namespace framework {

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), m_menu(CreatePopupMenu()) {}

TPopupMenu::~TPopupMenu() {
    DestroyMenu(m_menu);
}

void TPopupMenu::Add(std::wstring_view caption, TNotifyEvent handler) {
    m_handlers.push_back(std::move(handler));
    AppendMenuW(m_menu, MF_STRING, m_handlers.size(), std::wstring(caption).c_str());
}

void TPopupMenu::Popup(HWND owner, int x, int y) {
    if (OnPopup) {
        OnPopup(*this);
    }
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(m_menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, owner, nullptr));
    // The menu closes properly only when its owner gets a message after it (a known quirk of
    // menus shown from the notification area).
    PostMessageW(owner, WM_NULL, 0, 0);
    if (chosen >= 1 && chosen <= m_handlers.size() && m_handlers[chosen - 1]) {
        m_handlers[chosen - 1](*this);
    }
}

}  // namespace framework
