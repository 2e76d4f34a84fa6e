// TCheckBox: a check box with its caption.
#pragma once

#include "framework/WinControl.h"

namespace framework {

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);

    bool Checked() const;
    void SetChecked(bool checked);

    bool CNCommand(WORD code) override;

protected:
    void CreateWnd(HWND parent, const RECT& rect) override;
    void InitializeWnd() override;

private:
    bool m_checked = false;
};

}  // namespace framework
