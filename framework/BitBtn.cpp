#include "framework/BitBtn.h"

namespace framework {

TBitBtn::TBitBtn(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
}

TBitBtn::~TBitBtn() {
    // The button refers to the glyph until its window is gone.
    DestroyHandle();
}

void TBitBtn::CreateWnd(HWND parent, const RECT& rect) {
    CreateControlWindow(L"BUTTON", BS_PUSHBUTTON, 0, parent, rect);
}

void TBitBtn::InitializeWnd() {
    if (m_cancel) {
        // The control the dialog manager presses for Escape.
        SetWindowLongPtrW(Handle(), GWLP_ID, IDCANCEL);
    }
    const int id = ResourceForDpi(m_glyphId, m_glyph2xId);
    if (id != 0 && m_glyph.Empty()) {
        // The glyph comes with its mask: made from a bitmap and its background colour through an
        // image list, it took more than twice as long at start.
        m_glyph.Adopt(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR)));
    }
    if (!m_glyph.Empty()) {
        SendMessageW(Handle(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_glyph.Handle()));
    }
}

bool TBitBtn::CNCommand(WORD code) {
    if (code == BN_CLICKED) {
        Click();
        return true;
    }
    return false;
}

void TBitBtn::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            // The focused button is the one Enter presses, so it carries the default frame.
            TWinControl::WndProc(message);
            if (HandleAllocated()) {
                SendMessageW(Handle(), BM_SETSTYLE, message.Msg == WM_SETFOCUS ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                             TRUE);
            }
            return;
        default:
            TWinControl::WndProc(message);
    }
}

}  // namespace framework
