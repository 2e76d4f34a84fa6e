// TGroupBox: a framed caption around a group of controls, which it parents.
#pragma once

#include "framework/WinControl.h"

namespace framework {

class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* owner);

protected:
    void CreateWnd(HWND parent, const RECT& rect) override;
    void WndProc(TMessage& message) override;
    void Paint(HDC dc) override;
};

}  // namespace framework
