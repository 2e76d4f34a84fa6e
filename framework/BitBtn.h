// TBitBtn: a push button with a small picture beside its caption.
#pragma once

#include "framework/Icon.h"
#include "framework/WinControl.h"

namespace framework {

class TBitBtn : public TWinControl {
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;

    // The glyph, an icon resource, and one at twice the size for screens above 120 DPI; read when
    // the window is created.
    void SetGlyph(ResourceRef glyph) noexcept { m_glyphId = glyph.id; }
    void SetGlyph2x(ResourceRef glyph) noexcept { m_glyph2xId = glyph.id; }
    // Pressing Escape on the form presses the cancel button; read when the window is created.
    bool Cancel() const noexcept { return m_cancel; }
    void SetCancel(bool cancel) noexcept { m_cancel = cancel; }

    bool CNCommand(WORD code) override;

protected:
    void CreateWnd(HWND parent, const RECT& rect) override;
    void InitializeWnd() override;
    void WndProc(TMessage& message) override;

private:
    int m_glyphId = 0;
    int m_glyph2xId = 0;
    bool m_cancel = false;
    TIcon m_glyph;
};

}  // namespace framework
