// TTrayIcon: the application's icon in the notification area. It turns mouse actions on the
// icon into events, takes the application out of sight and back, and animates the icon from
// an image list.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/Application.h"
#include "framework/Component.h"
#include "framework/Icon.h"
#include "framework/ImageList.h"
#include "framework/NotifyIcon.h"
#include "framework/PopupMenu.h"
#include "framework/ShiftState.h"
#include "framework/Timer.h"

namespace ui {

using framework::kTrayIconCallback;
using framework::ssAlt;
using framework::ssCtrl;
using framework::ssDouble;
using framework::ssLeft;
using framework::ssMiddle;
using framework::ssRight;
using framework::ssShift;
using framework::TComponent;
using framework::TMessage;
using framework::TNotifyEvent;
using framework::TShiftState;

// The mouse action at which Restore or ShowMenu runs.
enum TTrayIconMessage : std::uint8_t {
    imClick,
    imDoubleClick,
    imMouseDown,
    imMouseUp,
    imLeftClickUp,
    imLeftDoubleClick,
    imRightClickUp,
    imRightDoubleClick,
    imNone,
};

enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

using TMouseEvent = std::function<void(TComponent& sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent& sender, TShiftState shift, int x, int y)>;

class TTrayIcon : public TComponent {
public:
    explicit TTrayIcon(TComponent* owner);
    ~TTrayIcon() override;

    // Published properties.
    bool Visible() const noexcept { return m_visible; }
    virtual void SetVisible(bool value);
    const std::wstring& Hint() const noexcept { return m_hint; }
    void SetHint(std::wstring_view value);
    bool Hide() const noexcept { return m_hide; }
    void SetHide(bool value) noexcept { m_hide = value; }
    framework::TPopupMenu* PopupMenu = nullptr;
    TTrayIconMessage RestoreOn = imDoubleClick;
    TTrayIconMessage PopupMenuOn = imNone;
    framework::TImageList* Icons = nullptr;
    int IconIndex() const noexcept { return m_iconIndex; }
    virtual void SetIconIndex(int value);
    int GetAnimateInterval() const noexcept;
    void SetAnimateInterval(int value);
    bool GetAnimate() const noexcept { return m_animate; }
    void SetAnimate(bool value);
    HWND GetHandle() const noexcept { return m_shellIcon.Handle(); }

    // Events, raised only when assigned.
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TMouseMoveEvent OnMouseMove;
    TMouseMoveEvent OnMouseExit;
    TMouseMoveEvent OnMouseEnter;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnAnimate;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    virtual void Minimize();
    virtual void Restore();
    // Shows the current icon (and tooltip) in the notification area.
    virtual void Update();
    virtual void ShowMenu();
    // Shows the application's own icon.
    virtual void SetDefaultIcon();
    // Removes the icon from the notification area without changing Visible or the hook.
    void EndSession();
    // The keyboard modifiers held now.
    static TShiftState ShiftState();

    // The icon window's procedure.
    virtual void DoMessage(TMessage& message);
    // Sees every message of the application window while the icon is shown, and passes on to the
    // icon's window the broadcasts it cannot hear itself; never ends its handling.
    bool ApplicationHookProc(TMessage& message);

    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoMouseMove(TShiftState shift, int x, int y);
    virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoOnAnimate(TComponent& sender);

    void Loaded() override;
    void Notification(TComponent& component, framework::TOperation operation) override;

    // The record every request to the shell carries.
    const NOTIFYICONDATAW& NotifyIconData() const noexcept { return m_shellIcon.Data(); }
    const framework::TIcon& CurrentIcon() const noexcept { return m_icon; }
    const framework::TTimer& AnimationTimer() const noexcept { return *m_timer; }
    // Whether ApplicationHookProc is in the application window's hook list.
    bool Hooked() const noexcept;

private:
    // Asks the shell to show the icon and hooks the application window; throws when refused.
    void AddToShell();
    void HandleMouse(UINT mouseMessage);
    void RestoreOrShowMenuOn(TTrayIconMessage point);

    framework::TIcon m_icon;
    std::unique_ptr<framework::TTimer> m_timer;
    std::wstring m_hint;
    int m_iconIndex = 0;
    bool m_visible = false;
    bool m_hide = true;
    bool m_animate = false;
    // A description made the icon visible; the shell has not been asked yet.
    bool m_addWhenLoaded = false;
    framework::TWindowHook m_hook;
    framework::TNotifyIcon m_shellIcon;
};

}  // namespace ui
