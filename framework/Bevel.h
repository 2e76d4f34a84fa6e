// TBevel: an etched line that separates parts of a form.
#pragma once

#include "framework/WinControl.h"

namespace framework {

class TBevel : public TWinControl {
public:
    explicit TBevel(TComponent* owner);

protected:
    void CreateWnd(HWND parent, const RECT& rect) override;
};

}  // namespace framework
