#include "framework/Label.h"

#include <algorithm>

namespace framework {

TLabel::TLabel(TComponent* owner) : TWinControl(owner) {}

void TLabel::CreateWnd(HWND parent, const RECT& rect) {
    // SS_NOTIFY makes the label hit-testable, which a link needs for its clicks and cursor.
    const DWORD notify = OnClick || Cursor() != TCursor::crDefault ? SS_NOTIFY : 0;
    CreateControlWindow(L"STATIC", SS_LEFT | SS_NOPREFIX | notify, 0, parent, rect);
}

void TLabel::InitializeWnd() {
    const HDC dc = GetDC(Handle());
    const HGDIOBJ oldFont = SelectObject(dc, Font().Handle(Dpi()));
    RECT needed{0, 0, 0, 0};
    DrawTextW(dc, Caption().c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    ReleaseDC(Handle(), dc);

    RECT rect{};
    GetClientRect(Handle(), &rect);
    if (needed.right > rect.right || needed.bottom > rect.bottom) {
        SetWindowPos(Handle(), nullptr, 0, 0, std::max(needed.right, rect.right), std::max(needed.bottom, rect.bottom),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool TLabel::CNCommand(WORD code) {
    if (code == STN_CLICKED) {
        Click();
        return true;
    }
    return false;
}

}  // namespace framework
