// TApplication: the application window, its hook list, the message loop, minimise and restore,
// and the application's exception handling.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Exceptions.h"
#include "framework/Form.h"
#include "framework/Icon.h"
#include "framework/Window.h"

namespace framework {

// A method that sees the application window's messages before the application does. It
// returns true to end the handling. Two hooks are the same when object and method match.
struct TWindowHook {
    void* object = nullptr;
    bool (*call)(void* object, TMessage& message) = nullptr;

    bool operator==(const TWindowHook&) const = default;
};

template <auto Method, class T>
TWindowHook MakeWindowHook(T& object) {
    return TWindowHook{&object,
                       [](void* self, TMessage& message) -> bool { return (static_cast<T*>(self)->*Method)(message); }};
}

class TApplication : public TComponent, public TFormHost {
public:
    TApplication();
    ~TApplication() override;

    HWND Handle() const noexcept override;
    std::wstring Title() const;
    void SetTitle(std::wstring_view title);
    const TIcon& Icon() const noexcept override { return m_icon; }
    const TIcon& SmallIcon() const noexcept override { return m_smallIcon; }

    // Creates a form owned by the application. The reference is set before the form's
    // window and components are built, so its creation handler can already use it.
    template <class Form>
    void CreateForm(Form*& reference) {
        reference = &CreateComponent<Form>();
        if (m_mainForm == nullptr) {
            m_mainForm = reference;
            // The application's window (the taskbar button) goes on screen before the main form's
            // window exists rather than with the form: under Wine, showing an owner that already
            // has an owned window takes some 10 ms of the start, against 2 ms before. Freeing a
            // form that never showed takes the button away again.
            SetWindowVisible(true);
        }
        reference->CreateWindowAndComponents(*this);
    }
    bool IsMainForm(const TForm& form) const noexcept override { return m_mainForm == &form; }
    // The form that holds the active window, if any.
    TForm* ActiveForm() const;

    // Runs the message loop until the termination mark is set.
    void Run();
    // Handles every pending message, then returns. A WM_QUIT only sets the termination mark.
    void ProcessMessages();
    // Handles one pending message, or waits for one when none is pending.
    void HandleMessage();
    void Terminate() noexcept override;
    bool Terminated() const noexcept { return m_terminated; }
    // The loop tests the mark only between messages; tests start a new loop with it cleared.
    void ClearTerminated() noexcept { m_terminated = false; }

    void Minimize() override;
    void Restore();

    void HookMainWindow(TWindowHook hook);
    void UnhookMainWindow(TWindowHook hook) noexcept;
    bool HasHook(TWindowHook hook) const noexcept;

    // Handles the exception in flight: drops EAbort, shows an Exception in the error display,
    // and reports anything else in an application-error box. Never throws.
    void HandleException() noexcept;
    // The error display, owned by the application window and captioned with the title.
    void ShowException(const Exception& exception);

private:
    class TApplicationWindow;
    friend class TApplicationWindow;

    void WndProc(TMessage& message);
    bool ProcessMessage(MSG& msg);
    bool IsKeyMessage(MSG& msg);
    void FormVisibilityChanged() override;
    void SetWindowVisible(bool visible);
    void Notification(TComponent& component, TOperation operation) override;
    // The forms the application created, in creation order.
    std::vector<TForm*> Forms() const;

    std::unique_ptr<TApplicationWindow> m_window;
    TIcon m_icon;
    TIcon m_smallIcon;
    TForm* m_mainForm = nullptr;
    std::vector<TWindowHook> m_hooks;
    int m_showCommand;
    bool m_terminated = false;
};

// The one application object of the process, like the main window's single instance.
extern TApplication* Application;

}  // namespace framework
