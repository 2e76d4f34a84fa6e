#include "framework/WinControl.h"

#include <algorithm>

namespace framework {

namespace {

const TFont& DefaultFont() {
    static const TFont font;
    return font;
}

}  // namespace

TWinControl::TWinControl(TComponent* owner) : TComponent(owner) {}

TWinControl::~TWinControl() {
    DestroyHandle();
    for (TWinControl* child : m_controls) {
        child->m_parent = nullptr;
    }
    if (m_parent != nullptr) {
        std::erase(m_parent->m_controls, this);
    }
}

void TWinControl::SetParent(TWinControl* parent) {
    if (m_parent == parent) {
        return;
    }
    if (m_parent != nullptr) {
        std::erase(m_parent->m_controls, this);
    }
    m_parent = parent;
    if (m_parent != nullptr) {
        m_parent->m_controls.push_back(this);
    }
}

void TWinControl::SetBounds(const TBounds& bounds) {
    m_bounds = bounds;
    if (HandleAllocated()) {
        const RECT rect = PixelRect();
        SetWindowPos(Handle(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

int TWinControl::Dpi() const noexcept {
    return m_parent != nullptr ? m_parent->Dpi() : 96;
}

int TWinControl::Scale(int length) const noexcept {
    return MulDiv(length, Dpi(), 96);
}

void TWinControl::SetCaption(std::wstring_view caption) {
    m_caption = caption;
    if (HandleAllocated()) {
        SetWindowTextW(Handle(), m_caption.c_str());
    }
}

const TFont& TWinControl::Font() const noexcept {
    if (m_font) {
        return *m_font;
    }
    return m_parent != nullptr ? m_parent->Font() : DefaultFont();
}

TFont& TWinControl::OwnFont() {
    if (!m_font) {
        m_font.emplace(Font());
    }
    return *m_font;
}

TColor TWinControl::Color() const noexcept {
    if (m_color) {
        return *m_color;
    }
    return m_parent != nullptr ? m_parent->Color() : clBtnFace;
}

void TWinControl::SetEnabled(bool enabled) {
    m_enabled = enabled;
    if (HandleAllocated()) {
        EnableWindow(Handle(), enabled ? TRUE : FALSE);
    }
}

bool TWinControl::CanFocus() const noexcept {
    for (const TWinControl* control = this; control != nullptr; control = control->m_parent) {
        if (!control->HandleAllocated() || !IsWindowVisible(control->Handle()) || !IsWindowEnabled(control->Handle())) {
            return false;
        }
    }
    return true;
}

void TWinControl::SetFocus() {
    if (HandleAllocated()) {
        ::SetFocus(Handle());
    }
}

void TWinControl::Click() {
    if (OnClick) {
        OnClick(*this);
    }
}

void TWinControl::FocusChanged(TWinControl& control) noexcept {
    if (m_parent != nullptr) {
        m_parent->FocusChanged(control);
    }
}

DWORD TWinControl::BaseStyle() const noexcept {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE;
    if (!m_enabled) {
        style |= WS_DISABLED;
    }
    if (m_tabStop) {
        style |= WS_TABSTOP;
    }
    return style;
}

RECT TWinControl::PixelRect() const {
    RECT rect{Scale(m_bounds.left), Scale(m_bounds.top), Scale(m_bounds.left + m_bounds.width),
              Scale(m_bounds.top + m_bounds.height)};
    RECT client{};
    if (m_align != TAlign::alNone && m_parent != nullptr && m_parent->HandleAllocated() &&
        GetClientRect(m_parent->Handle(), &client)) {
        // An aligned control spans its parent's width and keeps its own height.
        const int height = rect.bottom - rect.top;
        rect.left = client.left;
        rect.right = client.right;
        rect.top = m_align == TAlign::alTop ? client.top : client.bottom - height;
        rect.bottom = rect.top + height;
    }
    return rect;
}

void TWinControl::CreateHandle() {
    if (!HandleAllocated()) {
        CreateWnd(m_parent != nullptr ? m_parent->Handle() : nullptr, PixelRect());
        ApplyFont();
        InitializeWnd();
    }
    for (TWinControl* child : m_controls) {
        child->CreateHandle();
    }
}

void TWinControl::CreateControlWindow(const wchar_t* className,
                                      DWORD style,
                                      DWORD exStyle,
                                      HWND parent,
                                      const RECT& rect) {
    TCreateParams params = ChildParams(parent, rect);
    params.exStyle = exStyle;
    params.style |= style;
    params.text = m_caption.c_str();
    CreateSystemControl(className, params);
}

TCreateParams TWinControl::ChildParams(HWND parent, const RECT& rect) const noexcept {
    TCreateParams params;
    params.style = BaseStyle();
    params.x = rect.left;
    params.y = rect.top;
    params.width = rect.right - rect.left;
    params.height = rect.bottom - rect.top;
    params.parent = parent;
    return params;
}

void TWinControl::ApplyFont() {
    if (HandleAllocated()) {
        SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle(Dpi())), FALSE);
    }
}

bool TWinControl::CNCommand(WORD) {
    return false;
}

bool TWinControl::CNNotify(NMHDR&, LRESULT&) {
    return false;
}

HBRUSH TWinControl::CNCtlColor(HDC dc) {
    SetTextColor(dc, ColorToRGB(Font().Color()));
    SetBkColor(dc, ColorToRGB(Color()));
    return BackgroundBrush();
}

void TWinControl::Paint(HDC) {}

bool TWinControl::HandlePaintMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_ERASEBKGND:
            // Paint covers the whole control; erasing first would only make it flicker.
            message.Result = 1;
            return true;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(Handle(), &paint);
            Paint(dc);
            EndPaint(Handle(), &paint);
            return true;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(message.WParam));
            return true;
        default:
            return false;
    }
}

HBRUSH TWinControl::BackgroundBrush() const {
    const TColor color = Color();
    if (color.IsSystem()) {
        return GetSysColorBrush(static_cast<int>(color.value & ~TColor::kSystemFlag));
    }
    const COLORREF rgb = ColorToRGB(color);
    if (!m_brush || m_brushColor != rgb) {
        m_brush.Reset(CreateSolidBrush(rgb));
        m_brushColor = rgb;
    }
    return static_cast<HBRUSH>(m_brush.Get());
}

TWinControl* TWinControl::NotifyingChild(HWND window) const noexcept {
    auto* child = dynamic_cast<TWinControl*>(FromHandle(window));
    return child != this ? child : nullptr;
}

void TWinControl::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_COMMAND:
            if (TWinControl* child = NotifyingChild(reinterpret_cast<HWND>(message.LParam)); child != nullptr) {
                // A disabled control does not act. Wine's button still notifies BN_CLICKED for a
                // BM_CLICK while disabled, so the notification is dropped here for every control.
                if (!child->Enabled() || child->CNCommand(HIWORD(message.WParam))) {
                    return;
                }
            }
            break;
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(message.LParam);
            if (TWinControl* child = NotifyingChild(header.hwndFrom);
                child != nullptr && child->CNNotify(header, message.Result)) {
                return;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            if (TWinControl* child = NotifyingChild(reinterpret_cast<HWND>(message.LParam)); child != nullptr) {
                message.Result = reinterpret_cast<LRESULT>(child->CNCtlColor(reinterpret_cast<HDC>(message.WParam)));
                return;
            }
            break;
        case WM_SETCURSOR:
            if (m_cursor == TCursor::crHandPoint && reinterpret_cast<HWND>(message.WParam) == Handle() &&
                LOWORD(message.LParam) == HTCLIENT) {
                ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
                message.Result = TRUE;
                return;
            }
            break;
        case WM_SETFOCUS:
            if (m_parent != nullptr) {
                m_parent->FocusChanged(*this);
            }
            break;
        default:
            break;
    }
    DefaultHandler(message);
}

}  // namespace framework
