#include "framework/Window.h"

#include "framework/Win32.h"
#include <commctrl.h>

#include "framework/Exceptions.h"

namespace framework {

namespace {

// The subclass id is fixed: every subclassed control has exactly one wrapper.
constexpr UINT_PTR kSubclassId = 0x546F7276;  // "Torv"
// A subclassed control carries its wrapper as a window property, since comctl32's own lookup of
// subclass data is not in every import library.
constexpr wchar_t kWrapperProperty[] = L"Torvane.TWindow";

std::function<void()>& CallbackExceptionHandler() {
    static std::function<void()> handler;
    return handler;
}

}  // namespace

void SetCallbackExceptionHandler(std::function<void()> handler) {
    CallbackExceptionHandler() = std::move(handler);
}

void HandleCallbackException() noexcept {
    try {
        if (const auto& handler = CallbackExceptionHandler()) {
            handler();
        }
    } catch (...) {
        // The handler itself failed; the callback must still return to the system.
    }
}

TWindow::~TWindow() {
    DestroyHandle();
}

TWindow* TWindow::FromHandle(HWND window) noexcept {
    if (window == nullptr) {
        return nullptr;
    }
    if (HANDLE wrapper = GetPropW(window, kWrapperProperty); wrapper != nullptr) {
        return static_cast<TWindow*>(wrapper);
    }
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == &TWindow::OwnWindowProc) {
        return reinterpret_cast<TWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    return nullptr;
}

void TWindow::DestroyHandle() noexcept {
    if (m_handle != nullptr) {
        DestroyWindow(m_handle);
        // A window of another thread, or one that refused, must not keep a pointer to us.
        Detach();
    }
}

void TWindow::CreateOwnWindow(const TWindowClass& windowClass, const TCreateParams& params) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(instance, windowClass.name, &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = windowClass.style;
        wc.lpfnWndProc = &TWindow::OwnWindowProc;
        wc.hInstance = instance;
        wc.hIcon = windowClass.icon;
        wc.hIconSm = windowClass.smallIcon;
        wc.hCursor = windowClass.cursor != nullptr ? windowClass.cursor : LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = windowClass.background;
        wc.lpszClassName = windowClass.name;
        Win32Check(RegisterClassExW(&wc) != 0, L"Cannot register window class");
    }
    const HWND window = CreateWindowExW(params.exStyle, windowClass.name, params.text, params.style, params.x, params.y,
                                        params.width, params.height, params.parent, params.menuOrId, instance, this);
    Win32Check(window != nullptr, L"Cannot create window");
}

void TWindow::CreateSystemControl(const wchar_t* className, const TCreateParams& params) {
    const HWND window =
        CreateWindowExW(params.exStyle, className, params.text, params.style, params.x, params.y, params.width,
                        params.height, params.parent, params.menuOrId, GetModuleHandleW(nullptr), nullptr);
    Win32Check(window != nullptr, L"Cannot create control");
    if (!SetPropW(window, kWrapperProperty, this) ||
        !SetWindowSubclass(window, &TWindow::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        const DWORD error = GetLastError();
        RemovePropW(window, kWrapperProperty);
        DestroyWindow(window);
        throw EOSError(error, L"Cannot subclass control");
    }
    m_handle = window;
    m_subclassed = true;
}

void TWindow::WndProc(TMessage& message) {
    DefaultHandler(message);
}

void TWindow::DefaultHandler(TMessage& message) {
    if (m_handle == nullptr) {
        return;
    }
    message.Result = m_subclassed ? DefSubclassProc(m_handle, message.Msg, message.WParam, message.LParam)
                                  : DefWindowProcW(m_handle, message.Msg, message.WParam, message.LParam);
}

void TWindow::Detach() noexcept {
    if (m_handle == nullptr) {
        return;
    }
    if (m_subclassed) {
        RemoveWindowSubclass(m_handle, &TWindow::SubclassProc, kSubclassId);
        RemovePropW(m_handle, kWrapperProperty);
    } else if (IsWindow(m_handle)) {
        SetWindowLongPtrW(m_handle, GWLP_USERDATA, 0);
    }
    m_handle = nullptr;
    m_subclassed = false;
    HandleDestroyed();
}

LRESULT TWindow::Dispatch(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    TMessage message{msg, wParam, lParam, 0};
    try {
        WndProc(message);
    } catch (...) {
        HandleCallbackException();
    }
    if (msg == WM_NCDESTROY) {
        // The system's own cleanup has run (DefaultHandler); now nothing may point here any more.
        if (m_subclassed) {
            RemoveWindowSubclass(window, &TWindow::SubclassProc, kSubclassId);
            RemovePropW(window, kWrapperProperty);
        }
        m_handle = nullptr;
        m_subclassed = false;
        HandleDestroyed();
    }
    return message.Result;
}

LRESULT CALLBACK TWindow::OwnWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        if (msg != WM_NCCREATE) {
            return DefWindowProcW(window, msg, wParam, lParam);
        }
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_handle = window;
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    return self->Dispatch(window, msg, wParam, lParam);
}

LRESULT CALLBACK
TWindow::SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
    return reinterpret_cast<TWindow*>(refData)->Dispatch(window, msg, wParam, lParam);
}

}  // namespace framework
