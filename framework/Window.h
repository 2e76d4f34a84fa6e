// TWindow: the base that owns one HWND and routes its messages to a virtual procedure.
#pragma once

#include "framework/Win32.h"

#include <functional>

#include "framework/Messages.h"

namespace framework {

// Registration data for the framework's own window classes.
struct TWindowClass {
    const wchar_t* name = nullptr;
    UINT style = 0;
    HBRUSH background = nullptr;
    HICON icon = nullptr;
    // The caption's icon; without one the system makes it from icon each time a class registers.
    HICON smallIcon = nullptr;
    HCURSOR cursor = nullptr;
};

// Parameters of a window to create.
struct TCreateParams {
    DWORD exStyle = 0;
    DWORD style = 0;
    const wchar_t* text = L"";
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    HWND parent = nullptr;
    HMENU menuOrId = nullptr;
};

class TWindow {
public:
    TWindow() = default;
    virtual ~TWindow();

    // `this` lives inside the HWND, so the wrapper can neither be copied nor moved.
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND Handle() const noexcept { return m_handle; }
    bool HandleAllocated() const noexcept { return m_handle != nullptr; }

    // The wrapper of a window created by the framework, or null for any other window.
    static TWindow* FromHandle(HWND window) noexcept;

    // Destroys the window if it still exists; the wrapper stays usable for a new one.
    void DestroyHandle() noexcept;

protected:
    // Creates a window of one of the framework's own classes, registering the class first.
    void CreateOwnWindow(const TWindowClass& windowClass, const TCreateParams& params);
    // Creates a system control and subclasses it, so that its messages reach WndProc too.
    void CreateSystemControl(const wchar_t* className, const TCreateParams& params);

    // Every message of the window passes here first. The default hands it to DefaultHandler.
    virtual void WndProc(TMessage& message);
    // The system's own handling: DefWindowProc, or the control's original procedure.
    void DefaultHandler(TMessage& message);
    // Called after the window is gone (WM_NCDESTROY), with the handle already cleared.
    virtual void HandleDestroyed() {}

private:
    static LRESULT CALLBACK OwnWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK
    SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR refData);
    LRESULT Dispatch(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void Detach() noexcept;

    HWND m_handle = nullptr;
    bool m_subclassed = false;
};

// Every callback from the system into the framework ends in a catch-all that calls
// HandleCallbackException, so that no C++ exception ever unwinds through user32. It hands the
// exception being handled to the handler installed here (the application's exception handling);
// without one the exception is dropped. An empty handler removes the one installed.
void SetCallbackExceptionHandler(std::function<void()> handler);
void HandleCallbackException() noexcept;

}  // namespace framework
