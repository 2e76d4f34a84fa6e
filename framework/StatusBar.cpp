#include "framework/StatusBar.h"

#include "framework/Win32.h"
#include <commctrl.h>

namespace framework {

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {}

void TStatusBar::CreateWnd(HWND parent, const RECT& rect) {
    // The form places the bar itself, at the height it was designed with, so the bar must not
    // move or size itself; a fixed-size form has no use for a size grip.
    CreateControlWindow(STATUSCLASSNAMEW, CCS_NOPARENTALIGN | CCS_NORESIZE | SBT_TOOLTIPS, 0, parent, rect);
}

void TStatusBar::InitializeWnd() {
    ApplyPanels();
    SendMessageW(Handle(), SB_SIMPLE, m_simplePanel ? TRUE : FALSE, 0);
}

void TStatusBar::SetStatusText(std::wstring_view text) {
    m_statusText = text;
    if (Handle() != nullptr) {
        ApplyPanels();
    }
}

bool TStatusBar::CNNotify(NMHDR& header, LRESULT&) {
    if (header.code == NM_CLICK) {
        Click();
        return true;
    }
    return false;
}

void TStatusBar::ApplyPanels() {
    // Each panel's right edge is the sum of the widths before it; a text runs to the bar's end.
    std::vector<int> edges;
    if (!m_statusText.empty()) {
        edges.push_back(-1);
    } else {
        int right = 0;
        for (int width : m_panelWidths) {
            right += Scale(width);
            edges.push_back(right);
        }
    }
    if (!edges.empty()) {
        SendMessageW(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
        SendMessageW(Handle(), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(m_statusText.c_str()));
        SendMessageW(Handle(), SB_SETTIPTEXTW, 0, reinterpret_cast<LPARAM>(m_statusText.c_str()));
    }
}

}  // namespace framework
