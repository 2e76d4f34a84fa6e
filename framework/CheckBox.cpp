#include "framework/CheckBox.h"

namespace framework {

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
}

bool TCheckBox::Checked() const {
    return HandleAllocated() ? SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED : m_checked;
}

void TCheckBox::SetChecked(bool checked) {
    m_checked = checked;
    if (HandleAllocated()) {
        SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void TCheckBox::CreateWnd(HWND parent, const RECT& rect) {
    CreateControlWindow(L"BUTTON", BS_AUTOCHECKBOX, 0, parent, rect);
}

void TCheckBox::InitializeWnd() {
    SetChecked(m_checked);
}

bool TCheckBox::CNCommand(WORD code) {
    if (code == BN_CLICKED) {
        m_checked = SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
        Click();
        return true;
    }
    return false;
}

}  // namespace framework
