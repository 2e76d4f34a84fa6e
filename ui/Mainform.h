// TForm_Main: the program's one window, with the client locator, the settings tuner and the
// check list as its methods.
#pragma once

#include "framework/BitBtn.h"
#include "framework/Bevel.h"
#include "framework/CheckBox.h"
#include "framework/Form.h"
#include "framework/GroupBox.h"
#include "framework/Image.h"
#include "framework/ImageList.h"
#include "framework/Label.h"
#include "framework/ListView.h"
#include "framework/StatusBar.h"
#include "framework/XmlDocument.h"
#include "ui/SettingsTuner.h"
#include "ui/Trayicon.h"

#include <string>

namespace ui {

using framework::TCloseAction;
using framework::TComponent;

// The product's web site, shown by the link label and opened, with the product tag, on click.
inline constexpr wchar_t kHomePageHost[] = L"torvane.example.org";
inline constexpr wchar_t kHomePageUrl[] = L"https://torvane.example.org/?tag=fromclient_torvane10";

class TForm_Main : public framework::TForm {
public:
    explicit TForm_Main(TComponent* owner);
    ~TForm_Main() override;

    framework::TImage* Image_Logo = nullptr;
    framework::TLabel* Label1 = nullptr;
    framework::TLabel* Label2 = nullptr;
    framework::TLabel* Label3 = nullptr;
    framework::TBevel* Bevel1 = nullptr;
    framework::TLabel* Label5 = nullptr;
    framework::TStatusBar* StatusBar_Main = nullptr;
    framework::TBitBtn* Button_Run = nullptr;
    framework::TBitBtn* Button_Close = nullptr;
    framework::TListView* ListView_Main = nullptr;
    framework::TGroupBox* GroupBox1 = nullptr;
    framework::TCheckBox* CheckBox_OpenBitComet = nullptr;
    TTrayIcon* TrayIcon_Main = nullptr;
    framework::TImageList* ImageList_TrayIcon = nullptr;
    framework::TXMLDocument* XMLDoc1 = nullptr;

    // The client locator. Each call reads the registry afresh. The paths are empty when the
    // registry names no client folder; a registry value of the wrong type raises
    // ERegistryException. The settings file is the one the client uses: in its folder, or else
    // in the roaming application data folder.
    std::wstring GetBCXMLPath();
    std::wstring GetBCEXEPath();
    // True when a file (not a folder) exists at exactly the executable's path.
    bool IsBCInstalled();
    // The settings tuner: removes the four managed settings from the settings file and, unless
    // value is the restore marker "NULL", appends the two connection limits with value. Returns
    // false, with the file unchanged, when any step fails; LastTuneFailure then says why.
    bool OptiBT(std::wstring_view value);
    const TTuneFailure& LastTuneFailure() const noexcept { return m_lastTuneFailure; }

    // Plays the check list: row 0 shows whether the client is installed, then rows 1 to 7 turn
    // "OK" one after another, each after its pause, with pending messages handled before each.
    void Fill_ListView(bool installed);

    void FormCreate(TComponent& sender);
    void FormClose(TComponent& sender, TCloseAction& action);
    void Button_RunClick(TComponent& sender);
    void Button_CloseClick(TComponent& sender);
    void Label5Click(TComponent& sender);
    void Label3Click(TComponent& sender);

protected:
    void ReadState() override;

private:
    // Calls OptiBT with the settings file writable, and leaves it read-only afterwards. Without
    // a client folder no file is touched.
    bool OptiBTGuarded(std::wstring_view value);
    // The check list and the tune of a run; true when the file was tuned.
    bool RunChecksAndTune(bool installed);
    // Starts the client's executable, if there is a client folder.
    void StartClient();
    // The last failure of OptiBT as one sentence for the status bar: what went wrong, with which
    // file, and what the user can do about it.
    std::wstring FailureText() const;
    void ShowStatus(std::wstring_view text);

    TTuneFailure m_lastTuneFailure;

    // Set once the close sequence has run; a run whose check list was still playing then
    // stops instead of tuning the file again.
    bool m_closed = false;
};

// The single instance, set as soon as the application creates it.
extern TForm_Main* Form_Main;

}  // namespace ui
