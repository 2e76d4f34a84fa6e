// TCustomControl: a control of the framework's own window class that draws itself.
#pragma once

#include "framework/WinControl.h"

namespace framework {

class TCustomControl : public TWinControl {
public:
    TCustomControl(TComponent* owner, const wchar_t* className);

protected:
    void CreateWnd(HWND parent, const RECT& rect) override;
    void WndProc(TMessage& message) override;

private:
    const wchar_t* m_className;
};

}  // namespace framework
