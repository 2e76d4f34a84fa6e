#include "framework/CustomControl.h"

namespace framework {

TCustomControl::TCustomControl(TComponent* owner, const wchar_t* className)
    : TWinControl(owner), m_className(className) {}

void TCustomControl::CreateWnd(HWND parent, const RECT& rect) {
    TWindowClass windowClass;
    windowClass.name = m_className;
    TCreateParams params;
    params.style = BaseStyle();
    params.x = rect.left;
    params.y = rect.top;
    params.width = rect.right - rect.left;
    params.height = rect.bottom - rect.top;
    params.parent = parent;
    CreateOwnWindow(windowClass, params);
}

void TCustomControl::WndProc(TMessage& message) {
    if (!HandlePaintMessage(message)) {
        TWinControl::WndProc(message);
    }
}

}  // namespace framework
