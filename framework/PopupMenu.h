// TPopupMenu: a context menu popped up at a point on the screen.
#pragma once

#include "framework/Win32.h"

#include <string>
#include <vector>

#include "framework/Component.h"

namespace framework {

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    HMENU Handle() const noexcept { return m_menu; }
    // Appends an item; choosing it raises handler.
    void Add(std::wstring_view caption, TNotifyEvent handler);
    // Shows the menu at a point in screen coordinates and runs the chosen item, if any. The owner
    // window receives the menu's messages.
    void Popup(HWND owner, int x, int y);

    // Raised when the menu is popped up, before it shows.
    TNotifyEvent OnPopup;

private:
    HMENU m_menu;
    std::vector<TNotifyEvent> m_handlers;
};

}  // namespace framework
