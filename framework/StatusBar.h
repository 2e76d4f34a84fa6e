// TStatusBar: the strip of panels along the bottom of a form.
#pragma once

#include "framework/WinControl.h"

#include <vector>

namespace framework {

class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);

    void SetProperty(std::wstring_view name, const PropertyValue& value) override;

protected:
    void CreateWnd(HWND parent, const RECT& rect) override;
    void InitializeWnd() override;

private:
    std::vector<int> m_panelWidths;
    bool m_simplePanel = false;
};

}  // namespace framework
