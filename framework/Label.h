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
    // Widens the label when its text needs more room than it was laid out with, as happens
    // with the substitute fonts of a high DPI; it never shrinks below its designed size.
    void InitializeWnd() override;
    // A link that has the focus shows the focus cue around its text, and Enter or Space
    // clicks it, as they would press a button.
    void WndProc(TMessage& message) override;

private:
    // The text's extent in the label's client area, in its font.
    RECT TextRect() const;
    void DrawFocusCue() const;
};

}  // namespace framework
