// TWinControl: a component with a window of its own inside the control tree of a form, with the
// published properties every control shares and the notifications its parent reflects to it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Font.h"
#include "framework/Handles.h"
#include "framework/Window.h"

namespace framework {

class TWinControl : public TComponent, public TWindow {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    void SetParent(TWinControl* parent);
    const std::vector<TWinControl*>& Controls() const noexcept { return m_controls; }

    const TBounds& Bounds() const noexcept { return m_bounds; }
    void SetBounds(const TBounds& bounds);
    // Pixels at the system DPI for a length given at 96 DPI.
    int Scale(int length) const noexcept;
    virtual int Dpi() const noexcept;
    // The picture resource to show at this DPI: above 120 DPI the copy at twice the size, where
    // there is one, so that it stays sharp.
    int ResourceForDpi(int id, int id2x) const noexcept { return Dpi() > 120 && id2x != 0 ? id2x : id; }

    const std::wstring& Caption() const noexcept { return m_caption; }
    void SetCaption(std::wstring_view caption);

    // The font used: the parent's until a font property of this control is set.
    const TFont& Font() const noexcept;
    TFont& OwnFont();
    // The background: the parent's until it is set.
    TColor Color() const noexcept;
    void SetColor(TColor color) noexcept { m_color = color; }
    TCursor Cursor() const noexcept { return m_cursor; }
    void SetCursor(TCursor cursor) noexcept { m_cursor = cursor; }
    // Read when the window is created.
    void SetAlign(TAlign align) noexcept { m_align = align; }

    int TabOrder() const noexcept { return m_tabOrder; }
    void SetTabOrder(int tabOrder) noexcept { m_tabOrder = tabOrder; }
    bool TabStop() const noexcept { return m_tabStop; }
    // Whether the control takes the focus when the user tabs to it; read when the window is
    // created.
    void SetTabStop(bool tabStop) noexcept { m_tabStop = tabStop; }
    bool Enabled() const noexcept { return m_enabled; }
    void SetEnabled(bool enabled);
    bool CanFocus() const noexcept;
    void SetFocus();

    // The control's click: the built-in action first, then OnClick if assigned.
    virtual void Click();
    TNotifyEvent OnClick;

    // Creates the window of this control and of its children, in creation order.
    void CreateHandle();
    // The control's rectangle in its parent's client area, in pixels at the system DPI.
    RECT PixelRect() const;

    // Reflected notifications, sent by the parent window to the control that raised them.
    virtual bool CNCommand(WORD code);
    virtual bool CNNotify(NMHDR& header, LRESULT& result);
    virtual HBRUSH CNCtlColor(HDC dc);

protected:
    // Creates this control's own window at the given pixel rectangle in its parent.
    virtual void CreateWnd(HWND parent, const RECT& rect) = 0;
    // Called after the window exists, before its children are created.
    virtual void InitializeWnd() {}
    DWORD BaseStyle() const noexcept;
    // The creation parameters every child window starts from: base style, bounds and parent.
    TCreateParams ChildParams(HWND parent, const RECT& rect) const noexcept;
    // Creates a system control of className with the shared styles plus style.
    void CreateControlWindow(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, const RECT& rect);
    void WndProc(TMessage& message) override;
    // Controls that draw themselves override Paint and pass their messages through
    // HandlePaintMessage, which answers erasing, painting and printing with it.
    virtual void Paint(HDC dc);
    bool HandlePaintMessage(TMessage& message);
    void ApplyFont();
    HBRUSH BackgroundBrush() const;
    // Told that control, this one or one below it, received the keyboard focus; the default
    // passes it on up the parent chain to the form, which keeps it as its active control.
    virtual void FocusChanged(TWinControl& control) noexcept;

private:
    // The wrapper of the child window that raised a notification, or null for any other window.
    TWinControl* NotifyingChild(HWND window) const noexcept;

    TWinControl* m_parent = nullptr;
    std::vector<TWinControl*> m_controls;
    TBounds m_bounds;
    std::wstring m_caption;
    std::optional<TFont> m_font;
    std::optional<TColor> m_color;
    TCursor m_cursor = TCursor::crDefault;
    TAlign m_align = TAlign::alNone;
    int m_tabOrder = -1;
    bool m_tabStop = false;
    bool m_enabled = true;
    mutable TGdiObject m_brush;
    mutable COLORREF m_brushColor = 0;
};

}  // namespace framework
