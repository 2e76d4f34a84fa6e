#include "framework/Label.h"

namespace framework {

TLabel::TLabel(TComponent* owner) : TWinControl(owner) {}

void TLabel::CreateWnd(HWND parent, const RECT& rect) {
    // SS_NOTIFY makes the label hit-testable, which a link needs for its clicks and cursor.
    const DWORD notify = OnClick || Cursor() != TCursor::crDefault ? SS_NOTIFY : 0;
    CreateControlWindow(L"STATIC", SS_LEFT | SS_NOPREFIX | notify, 0, parent, rect);
}

bool TLabel::CNCommand(WORD code) {
    if (code == STN_CLICKED) {
        Click();
        return true;
    }
    return false;
}

}  // namespace framework
