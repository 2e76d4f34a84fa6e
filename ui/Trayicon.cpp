#include "ui/Trayicon.h"

#include "framework/Exceptions.h"
#include "framework/Form.h"
#include "framework/Text.h"
#include "resources/resource.h"

namespace ui {

using framework::Application;

namespace {

POINT CursorPosition() {
    POINT point{};
    GetCursorPos(&point);
    return point;
}

}  // namespace

// Fields take their defaults from their declarations, not from the property setters, which
// would already talk to the shell.
TTrayIcon::TTrayIcon(TComponent* owner)
    : TComponent(owner),
      m_timer(std::make_unique<framework::TTimer>(nullptr)),
      m_hook(framework::MakeWindowHook<&TTrayIcon::ApplicationHookProc>(*this)),
      // The instance's address makes the id unique per icon of the window.
      m_shellIcon(static_cast<UINT>(reinterpret_cast<UINT_PTR>(this)),
                  [this](TMessage& message) { DoMessage(message); }) {
    if (Application != nullptr) {
        m_icon.Assign(Application->Icon());
    }
    OnAnimate = [this](TComponent& sender) { DoOnAnimate(sender); };
    m_timer->SetEnabled(false);
    m_timer->SetOnTimer(OnAnimate);
    Update();
}

TTrayIcon::~TTrayIcon() {
    // The icon leaves the notification area with m_shellIcon. The application must never call
    // the hook of a component that is gone.
    if (Application != nullptr) {
        Application->UnhookMainWindow(m_hook);
    }
}

bool TTrayIcon::Hooked() const noexcept {
    return Application != nullptr && Application->HasHook(m_hook);
}

void TTrayIcon::SetVisible(bool value) {
    m_visible = value;
    if (Designing()) {
        return;
    }
    // While a description is read, the icon it will show is not known yet: the shell is asked
    // once, when the component is loaded, with that icon. Each request is a message the shell
    // answers before the call returns, and an icon it draws again.
    if (Loading() && (value || m_addWhenLoaded)) {
        m_addWhenLoaded = value;
        SetHide(value);
        return;
    }
    // Every assignment repeats the request: the shell, not this flag, knows what it shows.
    if (value) {
        AddToShell();
        SetHide(true);
    } else {
        if (!m_shellIcon.Delete()) {
            throw framework::EOutOfResources(framework::LoadText(IDS_CANNOT_REMOVE_NOTIFY_ICON));
        }
        SetHide(false);
        Application->UnhookMainWindow(m_hook);
    }
}

void TTrayIcon::AddToShell() {
    if (!m_shellIcon.Add()) {
        throw framework::EOutOfResources(framework::LoadText(IDS_CANNOT_CREATE_NOTIFY_ICON));
    }
    Application->HookMainWindow(m_hook);
}

void TTrayIcon::SetHint(std::wstring_view value) {
    // The shell's basic tooltip holds 64 characters; a longer text is refused, not cut.
    if (value == m_hint || value.size() >= 64) {
        return;
    }
    m_hint = value;
    m_shellIcon.SetTip(m_hint);
    Update();
}

void TTrayIcon::Update() {
    if (Designing()) {
        return;
    }
    m_shellIcon.SetIcon(m_icon.Handle());
    if (m_visible && !m_addWhenLoaded) {
        m_shellIcon.Modify();
    }
}

void TTrayIcon::SetIconIndex(int value) {
    m_iconIndex = value;
    if (Icons != nullptr) {
        Icons->GetIcon(value, m_icon);
    }
    Update();
}

int TTrayIcon::GetAnimateInterval() const noexcept {
    return static_cast<int>(m_timer->Interval());
}

void TTrayIcon::SetAnimateInterval(int value) {
    m_timer->SetInterval(static_cast<unsigned>(value));
}

void TTrayIcon::SetAnimate(bool value) {
    if (Icons != nullptr || Loading()) {
        m_animate = value;
    }
    if (Icons != nullptr && !Designing()) {
        m_timer->SetEnabled(value);
    }
}

void TTrayIcon::DoOnAnimate(TComponent&) {
    if (Icons == nullptr) {
        return;
    }
    const int count = Icons->Count();
    SetIconIndex(m_iconIndex < count - 1 ? m_iconIndex + 1 : 0);
}

void TTrayIcon::Loaded() {
    TComponent::Loaded();
    if (Icons != nullptr) {
        m_timer->SetEnabled(m_animate);
        Icons->GetIcon(m_iconIndex, m_icon);
    } else {
        m_animate = false;
        m_icon.Assign(Application->Icon());
    }
    if (m_addWhenLoaded) {
        m_addWhenLoaded = false;
        m_shellIcon.SetIcon(m_icon.Handle());
        AddToShell();
    } else {
        Update();
    }
}

void TTrayIcon::SetDefaultIcon() {
    m_icon.Assign(Application->Icon());
    Update();
}

void TTrayIcon::EndSession() {
    m_shellIcon.Withdraw();
}

TShiftState TTrayIcon::ShiftState() {
    return framework::KeyboardShiftState();
}

void TTrayIcon::DoMessage(TMessage& message) {
    message.Result = 0;
    switch (message.Msg) {
        case WM_QUERYENDSESSION:
            message.Result = 1;
            break;
        case WM_ENDSESSION:
            EndSession();
            break;
        case kTrayIconCallback:
            HandleMouse(static_cast<UINT>(message.LParam));
            break;
        default:
            break;
    }
}

void TTrayIcon::HandleMouse(UINT mouseMessage) {
    switch (mouseMessage) {
        case WM_MOUSEMOVE:
            if (OnMouseMove) {
                const POINT point = CursorPosition();
                DoMouseMove(ShiftState(), point.x, point.y);
            }
            break;
        case WM_LBUTTONDOWN: {
            const POINT point = CursorPosition();
            DoMouseDown(mbLeft, ShiftState() | ssLeft, point.x, point.y);
            break;
        }
        case WM_LBUTTONUP: {
            if (OnClick) {
                DoClick();
            }
            const POINT point = CursorPosition();
            DoMouseUp(mbLeft, ShiftState() | ssLeft, point.x, point.y);
            RestoreOrShowMenuOn(imLeftClickUp);
            break;
        }
        case WM_LBUTTONDBLCLK:
            DoDblClick();
            RestoreOrShowMenuOn(imLeftDoubleClick);
            break;
        case WM_RBUTTONDOWN: {
            const POINT point = CursorPosition();
            DoMouseDown(mbRight, ShiftState() | ssRight, point.x, point.y);
            break;
        }
        case WM_RBUTTONUP: {
            const POINT point = CursorPosition();
            DoMouseUp(mbRight, ShiftState() | ssRight, point.x, point.y);
            RestoreOrShowMenuOn(imRightClickUp);
            break;
        }
        case WM_RBUTTONDBLCLK:
            DoDblClick();
            RestoreOrShowMenuOn(imRightDoubleClick);
            break;
        case WM_MBUTTONDOWN: {
            const POINT point = CursorPosition();
            DoMouseDown(mbMiddle, ShiftState() | ssMiddle, point.x, point.y);
            break;
        }
        case WM_MBUTTONUP: {
            const POINT point = CursorPosition();
            DoMouseUp(mbMiddle, ShiftState() | ssMiddle, point.x, point.y);
            break;
        }
        case WM_MBUTTONDBLCLK:
            DoDblClick();
            break;
        default:
            break;
    }
}

// Restore first, then the menu, when both are set to act at the same point.
void TTrayIcon::RestoreOrShowMenuOn(TTrayIconMessage point) {
    if (RestoreOn == point) {
        Restore();
    }
    if (PopupMenuOn == point) {
        ShowMenu();
    }
}

void TTrayIcon::DoClick() {
    RestoreOrShowMenuOn(imClick);
    if (OnClick) {
        OnClick(*this);
    }
}

void TTrayIcon::DoDblClick() {
    RestoreOrShowMenuOn(imDoubleClick);
    if (OnDblClick) {
        OnDblClick(*this);
    }
}

void TTrayIcon::DoMouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) {
        OnMouseMove(*this, shift, x, y);
    }
}

void TTrayIcon::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    RestoreOrShowMenuOn(imMouseDown);
    if (OnMouseDown) {
        OnMouseDown(*this, button, shift, x, y);
    }
}

void TTrayIcon::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    RestoreOrShowMenuOn(imMouseUp);
    if (OnMouseUp) {
        OnMouseUp(*this, button, shift, x, y);
    }
}

void TTrayIcon::ShowMenu() {
    const POINT point = CursorPosition();
    // The menu closes when the user clicks elsewhere only if the program is in the foreground.
    if (framework::TForm* active = Application->ActiveForm(); active != nullptr) {
        SetForegroundWindow(active->Handle());
    }
    if (PopupMenu != nullptr) {
        PopupMenu->Popup(Application->Handle(), point.x, point.y);
    }
}

void TTrayIcon::Minimize() {
    Application->Minimize();
    // The taskbar button goes too: the icon alone stands for the program.
    ShowWindow(Application->Handle(), SW_HIDE);
    if (OnMinimize) {
        OnMinimize(*this);
    }
}

void TTrayIcon::Restore() {
    Application->Restore();
    ShowWindow(Application->Handle(), SW_RESTORE);
    SetForegroundWindow(Application->Handle());
    if (OnRestore) {
        OnRestore(*this);
    }
}

bool TTrayIcon::ApplicationHookProc(TMessage& message) {
    // The hook is in place exactly while the icon is meant to be shown, which is when the icon
    // needs the end of a session and a restarted taskbar.
    m_shellIcon.PassOnBroadcast(message);
    // wParam is compared whole: only the exact commands count.
    if (message.Msg == WM_SYSCOMMAND && message.WParam == SC_MINIMIZE) {
        Minimize();
    }
    if (message.Msg == WM_SYSCOMMAND && message.WParam == SC_RESTORE) {
        Restore();
    }
    return false;
}

void TTrayIcon::Notification(TComponent& component, framework::TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == framework::TOperation::opRemove) {
        if (&component == Icons) {
            Icons = nullptr;
        } else if (&component == PopupMenu) {
            PopupMenu = nullptr;
        }
    }
}

}  // namespace ui
