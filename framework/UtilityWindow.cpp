#include "framework/UtilityWindow.h"

namespace framework {

TUtilityWindow::TUtilityWindow(THandler handler) {
    TWindowClass windowClass;
    windowClass.name = L"TPUtilWindow";
    TCreateParams params;
    params.parent = HWND_MESSAGE;
    CreateOwnWindow(windowClass, params);
    // Attached once the window exists: its creation messages take the default handling.
    m_handler = std::move(handler);
}

void TUtilityWindow::WndProc(TMessage& message) {
    if (m_handler) {
        m_handler(message);
    } else {
        DefaultHandler(message);
    }
}

}  // namespace framework
