// TForm: a top-level window built from a stored description, with keyboard navigation, a cancel
// button, and the close protocol of the application's forms.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "framework/FormDescription.h"
#include "framework/Icon.h"
#include "framework/WinControl.h"

namespace framework {

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TFormPosition { poDesigned, poDesktopCenter };
enum class TFormBorderStyle { bsSingle, bsSizeable };
enum TBorderIcon : int { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };

class TForm;

// What a form needs from the application that runs it. The application implements it and hands
// it to each form whose window it creates.
class TFormHost {
public:
    // The window that owns the forms' windows: the taskbar button is its, and the forms
    // disappear with it when it is minimised.
    virtual HWND Handle() const noexcept = 0;
    virtual const TIcon& Icon() const noexcept = 0;
    virtual const TIcon& SmallIcon() const noexcept = 0;
    // The main form's close ends the program; any other form's close hides it.
    virtual bool IsMainForm(const TForm& form) const noexcept = 0;
    // A form was shown or hidden.
    virtual void FormVisibilityChanged() = 0;
    virtual void Minimize() = 0;
    virtual void Terminate() noexcept = 0;

protected:
    ~TFormHost() = default;
};

class TForm : public TWinControl {
public:
    TForm(TComponent* owner, const wchar_t* className);
    ~TForm() override;

    // Applies the stored description, creates the window with its controls, and runs the
    // creation handler. An exception from the handler is shown and creation still completes.
    // The host serves the form from then on; a form without a window never needs one.
    void CreateWindowAndComponents(TFormHost& host);

    bool Visible() const noexcept { return m_visible; }
    void Show();
    // Counts the form as shown but leaves it hidden behind the minimised application, which
    // brings it up when it is restored.
    void ShowMinimized();
    void Hide();
    // Runs the close protocol: close query, OnClose, then ends the program for the main form
    // or hides any other form.
    void Close();
    virtual bool CloseQuery();

    TWindowState WindowState() const noexcept { return m_windowState; }
    void SetWindowState(TWindowState state);

    // The controls the Tab key visits, in the order it visits them.
    std::vector<TWinControl*> TabList() const;
    // Keyboard handling that a dialog would do, the dialog manager's for the most part: Tab in the
    // tab order, Escape alone presses the cancel button, Enter the focused button, Alt with a
    // control's access key presses it; access keys are underlined while Alt is held. True when
    // consumed.
    bool PreProcessKey(MSG& msg);

    int Dpi() const noexcept override { return m_dpi; }

    // The window's design, read when the window is created.
    void SetClientWidth(int width) noexcept { m_clientWidth = width; }
    void SetClientHeight(int height) noexcept { m_clientHeight = height; }
    // TBorderIcon flags.
    void SetBorderIcons(int icons) noexcept { m_borderIcons = icons; }
    void SetBorderStyle(TFormBorderStyle style) noexcept { m_borderStyle = style; }
    void SetPosition(TFormPosition position) noexcept { m_position = position; }

    TNotifyEvent OnCreate;
    std::function<void(TComponent& sender, TCloseAction& action)> OnClose;
    // F1 was pressed in the form.
    TNotifyEvent OnHelp;

protected:
    // Applies the form's stored description: each form class provides its table here.
    virtual void ReadState() = 0;
    void ReadDescription(std::span<const TFormRow> rows);

    void CreateWnd(HWND parent, const RECT& rect) override;
    void WndProc(TMessage& message) override;
    void HandleDestroyed() override;
    void FocusChanged(TWinControl& control) noexcept override;

private:
    void DoClose(TCloseAction& action);
    void SelectNext(bool forward);
    void ShowAccessKeys(bool show);

    TFormHost* m_host = nullptr;

    const wchar_t* m_className;
    int m_dpi;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    int m_borderIcons = biSystemMenu | biMinimize | biMaximize;
    TFormBorderStyle m_borderStyle = TFormBorderStyle::bsSizeable;
    TFormPosition m_position = TFormPosition::poDesigned;
    TWindowState m_windowState = TWindowState::wsNormal;
    bool m_visible = false;
    TWinControl* m_activeControl = nullptr;
};

}  // namespace framework
