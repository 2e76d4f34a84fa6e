// TLabel: a line of static text; with a click handler and the hand cursor it serves as a link.
#pragma once

#include "framework/WinControl.h"

namespace framework {

class TLabel : public TWinControl {
public:
    explicit TLabel(TComponent* owner);

    bool CNCommand(WORD code) override;

protected:
    void CreateWnd(HWND parent, const RECT& rect) override;
};

}  // namespace framework
