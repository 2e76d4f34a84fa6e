#include "framework/Application.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "framework/ErrorDisplay.h"
#include "framework/Form.h"
#include "framework/Paths.h"

namespace framework {

TApplication* Application = nullptr;

namespace {

constexpr wchar_t kApplicationClass[] = L"TApplication";
constexpr int kMaxTitle = 255;

// Until a title is set, the application window carries the executable's name without folder and
// extension, all but its first character in lower case.
std::wstring DefaultTitle() {
    std::wstring name = FileNameOf(ModuleFileName(nullptr));
    if (const auto dot = name.rfind(L'.'); dot != std::wstring::npos) {
        name.erase(dot);
    }
    if (name.size() > 1) {
        CharLowerBuffW(name.data() + 1, static_cast<DWORD>(name.size() - 1));
    }
    return name;
}

// A class's name as the source writes it ("std::runtime_error"), or as the runtime gives it where
// it cannot be read back.
std::string ReadableTypeName(const char* name) {
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> demangled(abi::__cxa_demangle(name, nullptr, nullptr, &status),
                                                                &std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(name);
}

// The program's icon at the caption's size, the one the system would pick from the same resource.
// Every class that shows the icon takes it: left to the system, each registration would make its
// own, some 1.7 ms of the start under Wine. Loaded once, it lives as long as the classes, which
// outlive any one application object. Not shared: under Wine a shared load answers with the large
// icon the program loaded first, whatever the size asked.
HICON SmallProgramIcon(HINSTANCE instance) {
    static const HICON icon = static_cast<HICON>(
        LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    return icon;
}

int StartupShowCommand() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWNORMAL;
}

}  // namespace

class TApplication::TApplicationWindow : public TWindow {
public:
    explicit TApplicationWindow(TApplication& application) : m_application(application) {}

    void Create(HICON icon, HICON smallIcon) {
        TWindowClass windowClass;
        windowClass.name = kApplicationClass;
        windowClass.icon = icon;
        windowClass.smallIcon = smallIcon;
        TCreateParams params;
        params.style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
        const std::wstring title = DefaultTitle();
        params.text = title.c_str();
        params.x = GetSystemMetrics(SM_CXSCREEN) / 2;
        params.y = GetSystemMetrics(SM_CYSCREEN) / 2;
        CreateOwnWindow(windowClass, params);
    }

    using TWindow::DefaultHandler;

protected:
    void WndProc(TMessage& message) override { m_application.WndProc(message); }

private:
    TApplication& m_application;
};

TApplication::TApplication()
    : TComponent(nullptr), m_window(std::make_unique<TApplicationWindow>(*this)), m_showCommand(StartupShowCommand()) {
    Application = this;
    SetCallbackExceptionHandler([this] { HandleException(); });
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    HICON icon = LoadIconW(instance, L"MAINICON");
    if (icon != nullptr) {
        m_smallIcon.Share(SmallProgramIcon(instance));
    } else {
        icon = LoadIconW(nullptr, IDI_APPLICATION);
    }
    m_icon.Share(icon);
    // The class's icon is the taskbar button's: a WM_SETICON of the same icon would only have it
    // converted for the display once more (some 4 ms of the start under Wine).
    m_window->Create(icon, m_smallIcon.Handle());
    const HMENU systemMenu = GetSystemMenu(m_window->Handle(), FALSE);
    DeleteMenu(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(systemMenu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(systemMenu, SC_MOVE, MF_BYCOMMAND);
}

TApplication::~TApplication() {
    // Forms and other components go while the application window still exists.
    DestroyComponents();
    m_window->DestroyHandle();
    if (Application == this) {
        Application = nullptr;
        SetCallbackExceptionHandler(nullptr);
    }
}

HWND TApplication::Handle() const noexcept {
    return m_window->Handle();
}

std::wstring TApplication::Title() const {
    wchar_t text[kMaxTitle + 1] = {};
    GetWindowTextW(Handle(), text, kMaxTitle + 1);
    return text;
}

void TApplication::SetTitle(std::wstring_view title) {
    if (Title() != title) {
        SetWindowTextW(Handle(), std::wstring(title).c_str());
    }
}

std::vector<TForm*> TApplication::Forms() const {
    std::vector<TForm*> forms;
    for (std::size_t index = 0; index < ComponentCount(); ++index) {
        if (auto* form = dynamic_cast<TForm*>(&Components(index)); form != nullptr) {
            forms.push_back(form);
        }
    }
    return forms;
}

void TApplication::Notification(TComponent& component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && &component == m_mainForm) {
        m_mainForm = nullptr;
    }
    if (operation == TOperation::opRemove && dynamic_cast<TForm*>(&component) != nullptr) {
        FormVisibilityChanged();
    }
}

TForm* TApplication::ActiveForm() const {
    const HWND active = GetActiveWindow();
    for (TForm* form : Forms()) {
        if (form->Handle() == active && active != nullptr) {
            return form;
        }
    }
    return nullptr;
}

void TApplication::Run() {
    if (m_mainForm != nullptr) {
        switch (m_showCommand) {
            case SW_SHOWMAXIMIZED:
                m_mainForm->SetWindowState(TWindowState::wsMaximized);
                break;
            case SW_SHOWMINNOACTIVE:
                m_mainForm->SetWindowState(TWindowState::wsMinimized);
                break;
            default:
                break;
        }
        if (m_mainForm->WindowState() == TWindowState::wsMinimized) {
            m_mainForm->ShowMinimized();
        } else {
            m_mainForm->Show();
        }
    }
    while (!m_terminated) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException();
        }
    }
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    if (msg.message == WM_QUIT) {
        // Never dispatched: whoever retrieves it only marks the application as terminated.
        m_terminated = true;
        return true;
    }
    if (!IsKeyMessage(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) {
        WaitMessage();
    }
}

void TApplication::Terminate() noexcept {
    PostQuitMessage(0);
}

bool TApplication::IsKeyMessage(MSG& msg) {
    switch (msg.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_SYSCHAR:
            break;
        default:
            return false;
    }
    const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    auto* form = dynamic_cast<TForm*>(TWindow::FromHandle(root));
    return form != nullptr && form->PreProcessKey(msg);
}

void TApplication::Minimize() {
    const HWND window = Handle();
    if (!IsIconic(window)) {
        // The forms are owned by the application window and disappear with it. Windows hides
        // owned windows of a minimised owner by itself; Wine does not, hence the explicit call.
        ShowWindow(window, SW_MINIMIZE);
        ShowOwnedPopups(window, FALSE);
    }
}

void TApplication::Restore() {
    const HWND window = Handle();
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
        ShowOwnedPopups(window, TRUE);
        if (m_mainForm != nullptr && m_mainForm->Visible()) {
            // Also brings up a form that was never on screen (a start minimised).
            ShowWindow(m_mainForm->Handle(), SW_SHOW);
            SetActiveWindow(m_mainForm->Handle());
        }
    }
}

void TApplication::FormVisibilityChanged() {
    const std::vector<TForm*> forms = Forms();
    SetWindowVisible(std::any_of(forms.begin(), forms.end(), [](const TForm* form) { return form->Visible(); }));
}

void TApplication::SetWindowVisible(bool visible) {
    const HWND window = Handle();
    if ((IsWindowVisible(window) != FALSE) != visible && !IsIconic(window)) {
        SetWindowPos(
            window, nullptr, 0, 0, 0, 0,
            SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
}

void TApplication::HookMainWindow(TWindowHook hook) {
    if (!HasHook(hook)) {
        m_hooks.push_back(hook);
    }
}

void TApplication::UnhookMainWindow(TWindowHook hook) noexcept {
    std::erase(m_hooks, hook);
}

bool TApplication::HasHook(TWindowHook hook) const noexcept {
    return std::find(m_hooks.begin(), m_hooks.end(), hook) != m_hooks.end();
}

void TApplication::WndProc(TMessage& message) {
    // A hook may remove itself (or another) while it runs: walk a copy, and skip the removed.
    const std::vector<TWindowHook> hooks = m_hooks;
    for (const TWindowHook& hook : hooks) {
        if (HasHook(hook) && hook.call(hook.object, message)) {
            return;
        }
    }
    switch (message.Msg) {
        case WM_SYSCOMMAND:
            switch (message.WParam & 0xFFF0) {
                case SC_MINIMIZE:
                    Minimize();
                    return;
                case SC_RESTORE:
                    Restore();
                    return;
                default:
                    break;
            }
            break;
        case WM_CLOSE:
            if (m_mainForm != nullptr) {
                m_mainForm->Close();
            }
            return;
        case WM_ENDSESSION:
            if (message.WParam != 0) {
                m_terminated = true;
                // Wake the loop, which may be waiting for a posted message.
                PostMessageW(Handle(), WM_NULL, 0, 0);
            }
            return;
        case WM_SETFOCUS:
            PostMessageW(Handle(), CM_ACTIVATEMAINFORM, 0, 0);
            break;
        case CM_ACTIVATEMAINFORM:
            if (GetFocus() == Handle() && !IsIconic(Handle()) && m_mainForm != nullptr &&
                IsWindowVisible(m_mainForm->Handle()) && IsWindowEnabled(m_mainForm->Handle())) {
                SetActiveWindow(m_mainForm->Handle());
            }
            return;
        default:
            break;
    }
    m_window->DefaultHandler(message);
}

void TApplication::HandleException() noexcept {
    try {
        if (const HWND capture = GetCapture(); capture != nullptr) {
            SendMessageW(capture, WM_CANCELMODE, 0, 0);
        }
        try {
            throw;
        } catch (const EAbort&) {
        } catch (const Exception& exception) {
            ShowException(exception);
        } catch (const std::exception& exception) {
            ShowApplicationError(ReadableTypeName(typeid(exception).name()));
        } catch (...) {
            const std::type_info* type = abi::__cxa_current_exception_type();
            ShowApplicationError(type != nullptr ? ReadableTypeName(type->name()) : "unknown");
        }
    } catch (...) {
        // The error display itself failed (out of memory, say); there is nobody left to tell.
    }
}

void TApplication::ShowException(const Exception& exception) {
    ShowErrorMessage(Handle(), Title(), exception.Message());
}

}  // namespace framework
