// TForm_Main: the program's one window, its three sequences (start, Run, close), and the check
// list. The client locator and the settings pass have their faces here as its methods.
#pragma once

#include <string>

#include "framework/Bevel.h"
#include "framework/BitBtn.h"
#include "framework/CheckBox.h"
#include "framework/Form.h"
#include "framework/GroupBox.h"
#include "framework/Image.h"
#include "framework/ImageList.h"
#include "framework/Label.h"
#include "framework/ListView.h"
#include "framework/StatusBar.h"
#include "framework/XmlDocument.h"
#include "ui/ClientLocator.h"
#include "ui/FailureTexts.h"
#include "ui/SettingsPass.h"
#include "ui/Trayicon.h"

namespace ui {

using framework::TCloseAction;
using framework::TComponent;

// The product's web site, shown by the link label and opened, with the product tag, on click.
inline constexpr wchar_t kHomePageHost[] = L"torvane.example.org";
inline constexpr wchar_t kHomePageUrl[] = L"https://torvane.example.org/?tag=fromclient_torvane10";
// The help page in English, beside the program; the pages in other languages stand beside it.
inline constexpr wchar_t kHelpPage[] = L"help.html";

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
    // ERegistryException, and one that is no full folder path EClientFolderError. The settings
    // file is the one the client uses: in its folder, or else in the roaming application data
    // folder.
    std::wstring GetBCXMLPath();
    // The client's program: BitComet_x64.exe on 64-bit Windows where the folder holds it, else
    // BitComet.exe.
    std::wstring GetBCEXEPath();
    // True when a file (not a folder) exists at exactly the path of either program file.
    bool IsBCInstalled();
    // The settings pass on the files a sequence located: removes the four managed settings from
    // the settings file and, unless value is the restore marker "NULL", appends the two connection
    // limits with value. Returns false, with the file unchanged, when any step fails;
    // LastTuneFailure then says why.
    bool OptiBT(const TClientFiles& files, std::wstring_view value);
    const TTuneResult& LastTuneFailure() const noexcept { return m_lastTuneFailure; }

    // Plays the check list: row 0 shows whether the client is installed, then rows 1 to 7 turn
    // "OK" one after another, each after its pause, with pending messages handled before each.
    void Fill_ListView(bool installed);

    void FormCreate(TComponent& sender);
    void FormClose(TComponent& sender, TCloseAction& action);
    void Button_RunClick(TComponent& sender);
    void Button_CloseClick(TComponent& sender);
    void Label5Click(TComponent& sender);
    void Label3Click(TComponent& sender);
    void StatusBar_MainClick(TComponent& sender);

protected:
    void ReadState() override;

private:
    // The check list and the tune of a run; true when the file was tuned and the program is not
    // closing.
    bool RunChecksAndTune(const TClientFiles& files, bool installed);
    // A close was handled, or the session ends: a run then goes no further.
    bool Closing() const;
    // The sentence goes into the status bar, and a click on the bar shows the whole explanation.
    void ShowStatus(const TStatusReport& report);
    // The whole explanation of the status, in the error display.
    void ExplainStatus();

    TTuneResult m_lastTuneFailure;
    std::wstring m_statusExplanation;

    // Set once the close sequence has run; a run whose check list was still playing then
    // stops instead of tuning the file again.
    bool m_closed = false;
    // Set once a run has tuned the file.
    bool m_tuned = false;
};

// The single instance, set as soon as the application creates it.
extern TForm_Main* Form_Main;

}  // namespace ui
