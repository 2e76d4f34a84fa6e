#include "framework/CustomControl.h"

namespace framework {

TCustomControl::TCustomControl(TComponent* owner, const wchar_t* className)
    : TWinControl(owner), m_className(className) {}

void TCustomControl::CreateWnd(HWND parent, const RECT& rect) {
    TWindowClass windowClass;
    windowClass.name = m_className;
    CreateOwnWindow(windowClass, ChildParams(parent, rect));
}

void TCustomControl::WndProc(TMessage& message) {
    if (!HandlePaintMessage(message)) {
        TWinControl::WndProc(message);
    }
}

}  // namespace framework
