// TForm: a top-level window built from a stored description, with keyboard navigation, a cancel
// button, and the close protocol of the application's forms.
#pragma once

#include "framework/FormDescription.h"
#include "framework/WinControl.h"

#include <functional>
#include <span>
#include <vector>

namespace framework {

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TFormPosition { poDesigned, poDesktopCenter };
enum class TFormBorderStyle { bsSingle, bsSizeable };
enum TBorderIcon : int { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };

class TForm : public TWinControl {
public:
    TForm(TComponent* owner, const wchar_t* className);
    ~TForm() override;

    // Applies the stored description, creates the window with its controls, and runs the
    // creation handler. An exception from the handler is shown and creation still completes.
    void CreateWindowAndComponents();

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

    TWinControl* ActiveControl() const noexcept { return m_activeControl; }
    TWinControl* CancelButton() const noexcept { return m_cancelButton; }
    void SetCancelButton(TWinControl* button) noexcept { m_cancelButton = button; }
    // The controls the Tab key visits, in the order it visits them.
    std::vector<TWinControl*> TabList() const;
    // Keyboard handling that a dialog would do: Tab, Escape and Enter. True when consumed.
    bool PreProcessKey(const MSG& msg);
    void FocusChanged(TWinControl& control) noexcept;

    int Dpi() const noexcept override { return m_dpi; }

    void SetProperty(std::wstring_view name, const PropertyValue& value) override;
    void BindEvent(std::wstring_view name, TNotifyEvent handler) override;

    TNotifyEvent OnCreate;
    std::function<void(TComponent& sender, TCloseAction& action)> OnClose;

protected:
    // Applies the form's stored description: each form class provides its table here.
    virtual void ReadState() = 0;
    void ReadDescription(std::span<const TFormRow> rows);

    void CreateWnd(HWND parent, const RECT& rect) override;
    void WndProc(TMessage& message) override;
    void HandleDestroyed() override;

private:
    void DoClose(TCloseAction& action);
    void SelectNext(bool forward);
    void PlaceWindow();

    const wchar_t* m_className;
    int m_dpi = 96;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    int m_borderIcons = biSystemMenu | biMinimize | biMaximize;
    TFormBorderStyle m_borderStyle = TFormBorderStyle::bsSizeable;
    TFormPosition m_position = TFormPosition::poDesigned;
    TWindowState m_windowState = TWindowState::wsNormal;
    bool m_visible = false;
    TWinControl* m_activeControl = nullptr;
    TWinControl* m_cancelButton = nullptr;
};

}  // namespace framework
