#include "framework/StatusBar.h"

#include "framework/Win32.h"
#include <commctrl.h>

namespace framework {

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {}

void TStatusBar::CreateWnd(HWND parent, const RECT& rect) {
    // The form places the bar itself, at the height it was designed with, so the bar must not
    // move or size itself; a fixed-size form has no use for a size grip.
    CreateControlWindow(STATUSCLASSNAMEW, CCS_NOPARENTALIGN | CCS_NORESIZE, 0, parent, rect);
}

void TStatusBar::InitializeWnd() {
    ApplyPanels();
    SendMessageW(Handle(), SB_SIMPLE, m_simplePanel ? TRUE : FALSE, 0);
}

void TStatusBar::HandleDestroyed() {
    // The tooltip belongs to the form's window and may have gone with it already.
    if (m_tip != nullptr && IsWindow(m_tip)) {
        DestroyWindow(m_tip);
    }
    m_tip = nullptr;
    TWinControl::HandleDestroyed();
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
    }
    ApplyTip();
}

// The whole text as the bar's tooltip, for a sentence the bar cuts off. The bar's own tooltip
// (SBT_TOOLTIPS) would be a window made with the bar, some 8 ms of every start under Wine, where
// most starts have no text to show: this one is made with the first text.
void TStatusBar::ApplyTip() {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(Handle());
    tool.lpszText = m_statusText.data();
    if (m_tip != nullptr) {
        SendMessageW(m_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    if (m_statusText.empty()) {
        return;
    }
    m_tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    if (m_tip != nullptr) {
        SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

}  // namespace framework
