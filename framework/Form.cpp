#include "framework/Form.h"

#include <algorithm>

#include "framework/Exceptions.h"
#include "framework/Handles.h"
#include "framework/ShiftState.h"

namespace framework {

namespace {

int SystemDpi() noexcept {
    const TWindowDC screen(nullptr);
    const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

// Children of parent in the order the Tab key visits them: by tab order, creation order
// breaking ties, each container followed by its own children.
void AppendTabOrder(const TWinControl& parent, std::vector<TWinControl*>& list) {
    std::vector<TWinControl*> children = parent.Controls();
    std::stable_sort(children.begin(), children.end(),
                     [](const TWinControl* a, const TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
    for (TWinControl* child : children) {
        if (child->TabStop()) {
            list.push_back(child);
        }
        AppendTabOrder(*child, list);
    }
}

// Whether the control a key goes to takes Tab itself, as an editor does.
bool WantsTab(const MSG& msg) {
    const LRESULT code = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    return (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) != 0;
}

}  // namespace

TForm::TForm(TComponent* owner, const wchar_t* className)
    : TWinControl(owner), m_className(className), m_dpi(SystemDpi()) {
    OwnFont();
}

TForm::~TForm() {
    DestroyComponents();
    DestroyHandle();
}

void TForm::CreateWindowAndComponents(TFormHost& host) {
    m_host = &host;
    ReadState();
    CreateHandle();
    ShowAccessKeys(false);
    if (OnCreate) {
        try {
            OnCreate(*this);
        } catch (...) {
            HandleCallbackException();
        }
    }
}

void TForm::ReadDescription(std::span<const TFormRow> rows) {
    struct Deferred {
        const TFormRow* row;
        TComponent* target;
    };
    std::vector<TComponent*> created;
    std::vector<Deferred> references;
    // The objects that enclose the row being read, the form outermost.
    std::vector<TComponent*> enclosing{this};
    BeginLoading();

    for (const TFormRow& row : rows) {
        enclosing.resize(row.depth + 1u);
        TComponent& target = *enclosing.back();
        switch (row.kind) {
            case TFormRow::Kind::Object: {
                TComponent& component = row.apply(*this, target, row.value);
                created.push_back(&component);
                enclosing.push_back(&component);
                break;
            }
            case TFormRow::Kind::Assign:
                row.apply(*this, target, row.value);
                break;
            case TFormRow::Kind::Reference:
                references.push_back({&row, &target});
                break;
        }
    }

    // References to other components are resolved once they all exist, as a form file's are.
    for (const Deferred& reference : references) {
        reference.row->apply(*this, *reference.target, reference.row->value);
    }
    for (TComponent* component : created) {
        component->Loaded();
    }
    Loaded();
}

namespace description {

void ThrowMissingReference(const TComponent& component) {
    throw Exception(L"A reference of " + component.Name() + L" names a component the description does not create");
}

}  // namespace description

void TForm::CreateWnd(HWND, const RECT&) {
    DWORD style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
    if ((m_borderIcons & biSystemMenu) != 0) {
        style |= WS_SYSMENU;
        style |= (m_borderIcons & biMinimize) != 0 ? WS_MINIMIZEBOX : 0;
        style |= (m_borderIcons & biMaximize) != 0 ? WS_MAXIMIZEBOX : 0;
    }
    style |= m_borderStyle == TFormBorderStyle::bsSizeable ? WS_THICKFRAME : 0;
    const DWORD exStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;
    RECT frame{0, 0, Scale(m_clientWidth), Scale(m_clientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);

    TWindowClass windowClass;
    windowClass.name = m_className;
    windowClass.style = CS_DBLCLKS;
    windowClass.icon = m_host->Icon().Handle();
    windowClass.smallIcon = m_host->SmallIcon().Handle();
    TCreateParams params;
    params.exStyle = exStyle;
    params.style = style;
    params.text = Caption().c_str();
    params.width = frame.right - frame.left;
    params.height = frame.bottom - frame.top;
    // Placed as it is made: a move afterwards costs a round of window messages before the start.
    params.x = CW_USEDEFAULT;
    params.y = CW_USEDEFAULT;
    if (m_position == TFormPosition::poDesktopCenter) {
        params.x = (GetSystemMetrics(SM_CXSCREEN) - params.width) / 2;
        params.y = (GetSystemMetrics(SM_CYSCREEN) - params.height) / 2;
    }
    // Owned by the application window: the taskbar button is the application's, and the form
    // disappears with it when the application is minimised.
    params.parent = m_host->Handle();
    CreateOwnWindow(windowClass, params);
}

void TForm::Show() {
    m_visible = true;
    m_host->FormVisibilityChanged();
    ShowWindow(Handle(), m_windowState == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
}

void TForm::ShowMinimized() {
    m_visible = true;
    m_host->Minimize();
}

void TForm::Hide() {
    m_visible = false;
    ShowWindow(Handle(), SW_HIDE);
    m_host->FormVisibilityChanged();
}

void TForm::SetWindowState(TWindowState state) {
    m_windowState = state;
    if (HandleAllocated() && IsWindowVisible(Handle())) {
        ShowWindow(Handle(), state == TWindowState::wsMaximized   ? SW_MAXIMIZE
                             : state == TWindowState::wsMinimized ? SW_MINIMIZE
                                                                  : SW_RESTORE);
    }
}

bool TForm::CloseQuery() {
    return true;
}

void TForm::Close() {
    if (!CloseQuery()) {
        return;
    }
    const bool mainForm = m_host->IsMainForm(*this);
    TCloseAction action = mainForm ? TCloseAction::caFree : TCloseAction::caHide;
    DoClose(action);
    if (action == TCloseAction::caNone) {
        return;
    }
    if (mainForm) {
        // The form stays on screen until the message loop ends.
        m_host->Terminate();
    } else if (action == TCloseAction::caMinimize) {
        ShowWindow(Handle(), SW_MINIMIZE);
    } else {
        Hide();
    }
}

void TForm::DoClose(TCloseAction& action) {
    if (OnClose) {
        OnClose(*this, action);
    }
}

std::vector<TWinControl*> TForm::TabList() const {
    std::vector<TWinControl*> list;
    AppendTabOrder(*this, list);
    return list;
}

void TForm::FocusChanged(TWinControl& control) noexcept {
    m_activeControl = &control;
}

void TForm::SelectNext(bool forward) {
    std::vector<TWinControl*> list = TabList();
    std::erase_if(list, [](const TWinControl* control) { return !control->CanFocus(); });
    if (list.empty()) {
        return;
    }
    const auto current = std::find(list.begin(), list.end(), m_activeControl);
    std::size_t index = 0;
    if (current != list.end()) {
        const std::size_t at = static_cast<std::size_t>(current - list.begin());
        index = forward ? (at + 1) % list.size() : (at + list.size() - 1) % list.size();
    } else if (!forward) {
        index = list.size() - 1;
    }
    // Whoever moves with the keyboard sees where the focus is, as in a dialog.
    SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    list[index]->SetFocus();
}

void TForm::ShowAccessKeys(bool show) {
    // A user who asked Windows to underline access keys always sees them.
    BOOL always = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0);
    const WORD action = show || always ? UIS_CLEAR : UIS_SET;
    SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(action, UISF_HIDEACCEL), 0);
}

bool TForm::PreProcessKey(MSG& msg) {
    switch (msg.message) {
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
            // Access keys are underlined while Alt is held. The key itself goes on to the system,
            // which so knows that Alt was not pressed alone and opens no menu when it is released.
            if (msg.wParam == VK_MENU) {
                ShowAccessKeys(msg.message == WM_SYSKEYDOWN);
            }
            break;
        case WM_KEYDOWN: {
            const TShiftState shift = KeyboardShiftState();
            if (msg.wParam == VK_TAB && (shift & (ssCtrl | ssAlt)) == 0 && !WantsTab(msg)) {
                // The dialog manager visits the controls in their z-order, which is the order the
                // description creates them in; the form has a tab order of its own.
                SelectNext((shift & ssShift) == 0);
                return true;
            }
            if (msg.wParam == VK_ESCAPE && shift != 0) {
                // The dialog manager cancels whatever modifier is held; here Escape alone closes.
                return false;
            }
            break;
        }
        default:
            break;
    }
    // The rest is the dialog manager's: Escape presses the control of id IDCANCEL, Enter the
    // focused push button, Alt with a character the button whose caption marks it as its access key.
    return IsDialogMessageW(Handle(), &msg) != FALSE;
}

void TForm::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_CLOSE:
            Close();
            return;
        case WM_HELP:
            // F1 in any control of the form: the system sends the request up the parent chain.
            if (OnHelp) {
                OnHelp(*this);
                message.Result = TRUE;
                return;
            }
            break;
        case WM_QUERYENDSESSION:
            message.Result = CloseQuery() ? TRUE : FALSE;
            return;
        case WM_SYSCOMMAND:
            if ((message.WParam & 0xFFF0) == SC_MINIMIZE && m_host->IsMainForm(*this)) {
                // The application minimises as a whole, so the command goes to its window,
                // where the application's hooks see it too.
                message.Result = SendMessageW(m_host->Handle(), WM_SYSCOMMAND, message.WParam, message.LParam);
                return;
            }
            break;
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(Handle(), &client);
            FillRect(reinterpret_cast<HDC>(message.WParam), &client, BackgroundBrush());
            message.Result = 1;
            return;
        }
        case WM_ACTIVATE:
            if (LOWORD(message.WParam) != WA_INACTIVE && HIWORD(message.WParam) == 0) {
                if (m_activeControl == nullptr || !m_activeControl->CanFocus()) {
                    const std::vector<TWinControl*> list = TabList();
                    const auto first = std::find_if(list.begin(), list.end(),
                                                    [](const TWinControl* control) { return control->CanFocus(); });
                    m_activeControl = first != list.end() ? *first : nullptr;
                }
                if (m_activeControl != nullptr) {
                    m_activeControl->SetFocus();
                    return;
                }
            }
            break;
        default:
            break;
    }
    TWinControl::WndProc(message);
}

void TForm::HandleDestroyed() {
    m_activeControl = nullptr;
}

}  // namespace framework
