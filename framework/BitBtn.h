// TBitBtn: a push button with a small picture beside its caption.
#pragma once

#include "framework/Icon.h"
#include "framework/WinControl.h"

namespace framework {

class TBitBtn : public TWinControl {
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;

    // Pressing Escape on the form presses the cancel button.
    bool Cancel() const noexcept override { return m_cancel; }

    bool CNCommand(WORD code) override;
    void SetProperty(std::wstring_view name, const PropertyValue& value) override;

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
