// TBevel: an etched line along the top of its rectangle, separating parts of a form.
#pragma once

#include "framework/CustomControl.h"

namespace framework {

// Drawn here rather than by an etched static control, which sizes itself under some systems:
// the line must keep exactly the width it was laid out with.
class TBevel : public TCustomControl {
public:
    explicit TBevel(TComponent* owner);

protected:
    void Paint(HDC dc) override;
};

}  // namespace framework
