// TStatusBar: the strip of panels along the bottom of a form, which can also carry one line of
// text across its whole width.
#pragma once

#include <string>
#include <vector>

#include "framework/WinControl.h"

namespace framework {

class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);

    // Shows text in one panel across the whole bar, the whole of it also as the panel's tooltip
    // where the bar is too narrow for it. Empty text brings back the designed panels, blank.
    void SetStatusText(std::wstring_view text);

    // The designed panels, left to right; read when the window is created.
    void AddPanel(int width) { m_panelWidths.push_back(width); }
    void SetSimplePanel(bool simplePanel) noexcept { m_simplePanel = simplePanel; }

    // A click on the bar is its OnClick.
    bool CNNotify(NMHDR& header, LRESULT& result) override;

protected:
    void CreateWnd(HWND parent, const RECT& rect) override;
    void InitializeWnd() override;
    void HandleDestroyed() override;

private:
    void ApplyPanels();
    void ApplyTip();

    std::vector<int> m_panelWidths;
    bool m_simplePanel = false;
    std::wstring m_statusText;
    // Made with the first text, not with the bar.
    HWND m_tip = nullptr;
};

}  // namespace framework
