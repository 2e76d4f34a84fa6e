// TStatusBar: the strip of panels along the bottom of a form, which can also carry one line of
// text across its whole width.
#pragma once

#include "framework/WinControl.h"

#include <string>
#include <vector>

namespace framework {

class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);

    // Shows text in one panel across the whole bar, the whole of it also as the panel's tooltip
    // where the bar is too narrow for it. Empty text brings back the designed panels, blank.
    void SetStatusText(std::wstring_view text);

    void SetProperty(std::wstring_view name, const PropertyValue& value) override;

protected:
    void CreateWnd(HWND parent, const RECT& rect) override;
    void InitializeWnd() override;

private:
    void ApplyPanels();

    std::vector<int> m_panelWidths;
    bool m_simplePanel = false;
    std::wstring m_statusText;
};

}  // namespace framework
