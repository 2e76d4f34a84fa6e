#include "framework/Label.h"

#include <algorithm>

#include "framework/Handles.h"
namespace framework {

TLabel::TLabel(TComponent* owner) : TWinControl(owner) {}

void TLabel::CreateWnd(HWND parent, const RECT& rect) {
    // SS_NOTIFY makes the label hit-testable, which a link needs for its clicks and cursor.
    const DWORD notify = OnClick || Cursor() != TCursor::crDefault ? SS_NOTIFY : 0;
    CreateControlWindow(L"STATIC", SS_LEFT | SS_NOPREFIX | notify, 0, parent, rect);
}

RECT TLabel::TextRect() const {
    // Measured as the screen shows it, in a DC of its own: the label's own DC would first have the
    // system work out what of the label can be seen, some 0.3 ms a label at start under Wine.
    const TMemoryDC dc(CreateCompatibleDC(nullptr));
    const TSelectedObject font(dc.Get(), Font().Handle(Dpi()));
    RECT needed{0, 0, 0, 0};
    DrawTextW(dc.Get(), Caption().c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return needed;
}

void TLabel::InitializeWnd() {
    const RECT needed = TextRect();
    RECT rect{};
    GetClientRect(Handle(), &rect);
    if (needed.right > rect.right || needed.bottom > rect.bottom) {
        SetWindowPos(Handle(), nullptr, 0, 0, std::max(needed.right, rect.right), std::max(needed.bottom, rect.bottom),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TLabel::DrawFocusCue() const {
    // Hidden, as on every control, while the user works with the mouse and Windows says so.
    if (GetFocus() != Handle() || (SendMessageW(Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0) {
        return;
    }
    RECT client{};
    GetClientRect(Handle(), &client);
    RECT cue = TextRect();
    cue.right = std::min(cue.right + 2, client.right);
    cue.bottom = client.bottom;
    const TWindowDC dc(Handle());
    DrawFocusRect(dc.Get(), &cue);
}

void TLabel::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_UPDATEUISTATE:
            TWinControl::WndProc(message);
            InvalidateRect(Handle(), nullptr, TRUE);
            return;
        case WM_PAINT:
            if (GetFocus() == Handle()) {
                // The cue is drawn inverted, so it goes only onto text painted afresh: all of it.
                InvalidateRect(Handle(), nullptr, TRUE);
                TWinControl::WndProc(message);
                DrawFocusCue();
                return;
            }
            break;
        case WM_GETDLGCODE:
            // The dialog manager would take Enter for a default button that the form does not have.
            if (const auto* key = reinterpret_cast<const MSG*>(message.LParam);
                OnClick && key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
                message.Result = DLGC_WANTMESSAGE | DLGC_STATIC;
                return;
            }
            break;
        case WM_KEYDOWN:
            if (OnClick && (message.WParam == VK_RETURN || message.WParam == VK_SPACE)) {
                Click();
                return;
            }
            break;
        default:
            break;
    }
    TWinControl::WndProc(message);
}

bool TLabel::CNCommand(WORD code) {
    if (code == STN_CLICKED) {
        Click();
        return true;
    }
    return false;
}

}  // namespace framework
