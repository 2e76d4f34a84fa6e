#include "ui/Mainform.h"

#include <array>

#include "framework/Application.h"
#include "framework/Files.h"
#include "framework/Paths.h"
#include "framework/Processes.h"
#include "framework/Shell.h"
#include "framework/Text.h"
#include "resources/resource.h"
#include "ui/ClientLaunch.h"

namespace ui {

TForm_Main* Form_Main = nullptr;

namespace {

using namespace framework;

// The check list: each row's caption, the pause before its State turns "OK" (4300 ms in all), and
// whether it stands for the settings file, so that it tells the truth when the file could not be
// tuned. Row 0 tells whether the client is installed.
struct TCheckRow {
    TListItem item;
    DWORD pauseBefore;
    bool settingsFile;
};
// clang-format off
constexpr TCheckRow kCheckRows[] = {
    {{{IDS_CHECK_INSTALLED}, 0}, 0, false},
    {{{IDS_CHECK_MEMORY}, 0}, 1000, false},
    {{{IDS_CHECK_NET_TYPE}, 0}, 500, false},
    {{{IDS_CHECK_FREE_PORT}, 0}, 1000, false},
    {{{IDS_CHECK_CONFIG}, 0}, 100, true},
    {{{IDS_CHECK_DISK}, 0}, 1500, false},
    {{{IDS_INITIALIZE_CONFIG}, 0}, 100, true},
    {{{IDS_INITIALIZE_TORVANE}, 0}, 100, false},
};
// clang-format on
constexpr auto kCheckItems = [] {
    std::array<TListItem, std::size(kCheckRows)> items{};
    for (std::size_t row = 0; row < items.size(); ++row) {
        items[row] = kCheckRows[row].item;
    }
    return items;
}();
constexpr TListColumn kCheckColumns[] = {{{IDS_CHECK_COLUMN}, 273}, {{IDS_STATE_COLUMN}, 50}};
constexpr int kStateColumn = 1;

TTuneResult RunningClient(const std::wstring& program) {
    TTuneResult result;
    result.problem = TTuneProblem::ClientRunning;
    result.path = program;
    return result;
}

// The stored window description: read top to bottom as a form file would be. The words it shows
// come from the string table, by id; the home page's address is no wording and stays here. It is
// laid out by hand, one row a line, nested as the window is.
// clang-format off
constexpr auto kDescription = FormDescription<TForm_Main>(
    Prop<&TForm::SetCaption>(ResourceText{IDS_MAIN_CAPTION}),
    Prop<&TForm::SetClientWidth>(325),
    Prop<&TForm::SetClientHeight>(359),
    Prop<&TForm::SetBorderStyle>(TFormBorderStyle::bsSingle),
    Prop<&TForm::SetBorderIcons>(biSystemMenu | biMinimize),
    Prop<&TForm::SetPosition>(TFormPosition::poDesktopCenter),
    Prop<&TForm::SetColor>(clBtnFace),
    Prop<&TForm::OwnFont, &TFont::SetName>(ResourceText{IDS_WINDOW_FONT}),
    Prop<&TForm::OwnFont, &TFont::SetHeight>(-11),
    Prop<&TForm::OwnFont, &TFont::SetColor>(clWindowText),
    Event<&TForm::OnCreate, &TForm_Main::FormCreate>(),
    Event<&TForm::OnClose, &TForm_Main::FormClose>(),
    Event<&TForm::OnHelp, &TForm_Main::Label5Click>(),

    Object<&TForm_Main::Image_Logo>(L"Image_Logo",
        Prop<&TImage::SetBounds>({0, 0, 325, 57}),
        Prop<&TImage::SetAlign>(TAlign::alTop),
        Prop<&TImage::SetStretch>(true),
        Prop<&TImage::SetPicture>(ResourceRef{IDR_BANNER}),
        Prop<&TImage::SetPicture2x>(ResourceRef{IDR_BANNER_2X})),
    Object<&TForm_Main::Label1>(L"Label1",
        Prop<&TLabel::SetBounds>({0, 64, 124, 13}),
        Prop<&TLabel::SetCaption>(ResourceText{IDS_VERSION_LINE})),
    Object<&TForm_Main::Label2>(L"Label2",
        Prop<&TLabel::SetBounds>({0, 80, 184, 13}),
        Prop<&TLabel::SetCaption>(ResourceText{IDS_MADE_BY})),
    Object<&TForm_Main::Label3>(L"Label3",
        Prop<&TLabel::SetBounds>({0, 96, 120, 13}),
        Prop<&TLabel::SetCaption>(kHomePageHost),
        Prop<&TLabel::SetCursor>(TCursor::crHandPoint),
        Prop<&TLabel::OwnFont, &TFont::SetColor>(clBlue),
        Prop<&TLabel::OwnFont, &TFont::SetStyle>(fsUnderline),
        Prop<&TLabel::SetTabStop>(true),
        Prop<&TLabel::SetTabOrder>(6),
        Event<&TLabel::OnClick, &TForm_Main::Label3Click>()),
    Object<&TForm_Main::Bevel1>(L"Bevel1",
        Prop<&TBevel::SetBounds>({0, 57, 325, 2})),
    Object<&TForm_Main::Label5>(L"Label5",
        Prop<&TLabel::SetBounds>({248, 64, 56, 13}),
        Prop<&TLabel::SetCaption>(ResourceText{IDS_HOW_TO_USE}),
        Prop<&TLabel::SetCursor>(TCursor::crHandPoint),
        Prop<&TLabel::OwnFont, &TFont::SetColor>(clBlue),
        Prop<&TLabel::OwnFont, &TFont::SetStyle>(fsUnderline),
        Prop<&TLabel::SetTabStop>(true),
        Prop<&TLabel::SetTabOrder>(5),
        Event<&TLabel::OnClick, &TForm_Main::Label5Click>()),
    Object<&TForm_Main::StatusBar_Main>(L"StatusBar_Main",
        Prop<&TStatusBar::SetBounds>({0, 340, 325, 19}),
        Prop<&TStatusBar::SetAlign>(TAlign::alBottom),
        Prop<&TStatusBar::AddPanel>(50),
        Prop<&TStatusBar::SetSimplePanel>(false),
        Prop<&TStatusBar::SetTabOrder>(0),
        Event<&TStatusBar::OnClick, &TForm_Main::StatusBar_MainClick>()),
    Object<&TForm_Main::Button_Run>(L"Button_Run",
        Prop<&TBitBtn::SetBounds>({200, 312, 59, 22}),
        Prop<&TBitBtn::SetCaption>(ResourceText{IDS_RUN}),
        Prop<&TBitBtn::SetGlyph>(ResourceRef{IDI_GLYPH_RETRY}),
        Prop<&TBitBtn::SetGlyph2x>(ResourceRef{IDI_GLYPH_RETRY_2X}),
        Prop<&TBitBtn::SetTabOrder>(1),
        Event<&TBitBtn::OnClick, &TForm_Main::Button_RunClick>()),
    Object<&TForm_Main::Button_Close>(L"Button_Close",
        Prop<&TBitBtn::SetBounds>({264, 312, 59, 22}),
        Prop<&TBitBtn::SetCaption>(ResourceText{IDS_CLOSE}),
        Prop<&TBitBtn::SetGlyph>(ResourceRef{IDI_GLYPH_CANCEL}),
        Prop<&TBitBtn::SetGlyph2x>(ResourceRef{IDI_GLYPH_CANCEL_2X}),
        Prop<&TBitBtn::SetCancel>(true),
        Prop<&TBitBtn::SetTabOrder>(2),
        Event<&TBitBtn::OnClick, &TForm_Main::Button_CloseClick>()),
    Object<&TForm_Main::ListView_Main>(L"ListView_Main",
        Prop<&TListView::SetBounds>({0, 120, 329, 137}),
        Prop<&TListView::SetViewStyle>(TViewStyle::vsReport),
        Prop<&TListView::SetReadOnly>(true),
        Prop<&TListView::SetRowSelect>(true),
        Prop<&TListView::SetTabOrder>(3),
        Prop<&TListView::SetColumns>(kCheckColumns),
        Prop<&TListView::SetItems>(kCheckItems)),
    Object<&TForm_Main::GroupBox1>(L"GroupBox1",
        Prop<&TGroupBox::SetBounds>({0, 264, 321, 41}),
        Prop<&TGroupBox::SetCaption>(ResourceText{IDS_OPEN_NOTE}),
        Prop<&TGroupBox::OwnFont, &TFont::SetColor>(clRed),
        Prop<&TGroupBox::SetTabOrder>(4),
        Object<&TForm_Main::CheckBox_OpenBitComet>(L"CheckBox_OpenBitComet",
            Prop<&TCheckBox::SetBounds>({8, 16, 193, 17}),
            Prop<&TCheckBox::SetCaption>(ResourceText{IDS_AUTO_OPEN}),
            Prop<&TCheckBox::OwnFont, &TFont::SetColor>(clBlack),
            Prop<&TCheckBox::SetChecked>(true),
            Prop<&TCheckBox::SetTabOrder>(0))),
    Object<&TForm_Main::TrayIcon_Main>(L"TrayIcon_Main",
        Prop<&TTrayIcon::SetVisible>(true),
        Prop<&TTrayIcon::SetHide>(true),
        Prop<&TTrayIcon::RestoreOn>(imDoubleClick),
        Prop<&TTrayIcon::PopupMenuOn>(imNone),
        Prop<&TTrayIcon::SetAnimateInterval>(400),
        Reference<&TTrayIcon::Icons, &TForm_Main::ImageList_TrayIcon>()),
    Object<&TForm_Main::ImageList_TrayIcon>(L"ImageList_TrayIcon",
        Prop<&TImageList::SetWidth>(32),
        Prop<&TImageList::SetHeight>(32),
        Prop<&TImageList::SetAllocBy>(4),
        Prop<&TImageList::SetShareImages>(true),
        Prop<&TImageList::AddMaskedStrip>(ResourceRef{IDB_TRAY_IMAGES})),
    Object<&TForm_Main::XMLDoc1>(L"XMLDoc1"));
// clang-format on

}  // namespace

TForm_Main::TForm_Main(TComponent* owner) : TForm(owner, L"TForm_Main") {}

TForm_Main::~TForm_Main() {
    DestroyComponents();
    if (Form_Main == this) {
        Form_Main = nullptr;
    }
}

void TForm_Main::ReadState() {
    ReadDescription(kDescription);
}

std::wstring TForm_Main::GetBCXMLPath() {
    return ClientSettingsPath();
}

std::wstring TForm_Main::GetBCEXEPath() {
    return ClientProgramPath();
}

bool TForm_Main::IsBCInstalled() {
    return IsInstalled(ProgramFilesIn(ClientFolder()));
}

bool TForm_Main::OptiBT(const TClientFiles& files, std::wstring_view value) {
    m_lastTuneFailure = RunSettingsPass(files, value, [&files] { return StillLocated(files); });
    return m_lastTuneFailure.Succeeded();
}

void TForm_Main::Fill_ListView(bool installed) {
    ListView_Main->SetItemText(0, kStateColumn, LoadText(installed ? IDS_STATE_OK : IDS_STATE_ERROR));
    for (std::size_t row = 1; row < std::size(kCheckRows); ++row) {
        Application->ProcessMessages();
        Sleep(kCheckRows[row].pauseBefore);
        ListView_Main->SetItemText(static_cast<int>(row), kStateColumn, LoadText(IDS_STATE_OK));
    }
}

bool TForm_Main::Closing() const {
    return m_closed || Application->Terminated();
}

void TForm_Main::ShowStatus(const TStatusReport& report) {
    StatusBar_Main->SetStatusText(report.sentence);
    m_statusExplanation = report.explanation;
    StatusBar_Main->SetCursor(m_statusExplanation.empty() ? TCursor::crDefault : TCursor::crHandPoint);
}

void TForm_Main::ExplainStatus() {
    if (!m_statusExplanation.empty()) {
        Application->ShowException(Exception(m_statusExplanation));
    }
}

void TForm_Main::StatusBar_MainClick(TComponent&) {
    ExplainStatus();
}

void TForm_Main::FormCreate(TComponent&) {
    const TClientFiles files = LocateClientFiles();
    // Copies that an interrupted save left beside the settings file go before anything else.
    if (!files.settings.empty()) {
        RemoveLeftoverTemporaryFiles(files.settings);
    }
    // Told from the start, so that the user knows before pressing Run; the whole of it is a click on
    // the bar away.
    if (!OptiBT(files, kRestoreMarker)) {
        ShowStatus(TuneFailureReport(m_lastTuneFailure));
    } else if (const std::wstring running = RunningProgram(files.programs); !running.empty()) {
        ShowStatus(TuneFailureReport(RunningClient(running)));
    }
}

void TForm_Main::FormClose(TComponent&, TCloseAction&) {
    // Nothing may keep the window from closing: a registry value the restore cannot use, or a
    // file it could not put back, is shown, and the program ends all the same.
    try {
        if (!OptiBT(LocateClientFiles(), kRestoreMarker)) {
            if (const std::wstring text = RestoreFailureText(m_lastTuneFailure, m_tuned); !text.empty()) {
                Application->ShowException(Exception(text));
            }
        }
    } catch (...) {
        Application->HandleException();
    }
    m_closed = true;
}

bool TForm_Main::RunChecksAndTune(const TClientFiles& files, bool installed) {
    Fill_ListView(installed);
    // A close that came during the last pause is still waiting: it counts as much as an earlier one.
    Application->ProcessMessages();
    if (Closing()) {
        // The close sequence has put the file back, or the session ends: leave the file so.
        return false;
    }
    // A running client would neither read the tuned file nor, once it is read-only, save its own
    // settings when it exits: the file is not touched while it runs.
    const std::wstring running = RunningProgram(files.programs);
    const bool clientRuns = !running.empty();
    if (clientRuns) {
        m_lastTuneFailure = RunningClient(running);
    }
    if (clientRuns || !OptiBT(files, kTunedValue)) {
        // The rows that stand for the settings file tell the truth about it.
        for (std::size_t row = 0; row < std::size(kCheckRows); ++row) {
            if (kCheckRows[row].settingsFile) {
                ListView_Main->SetItemText(static_cast<int>(row), kStateColumn, LoadText(IDS_STATE_ERROR));
            }
        }
        ShowStatus(TuneFailureReport(m_lastTuneFailure));
        return false;
    }
    m_tuned = true;
    // A close that came while the file was saved has put it back by now; nothing may follow it.
    Application->ProcessMessages();
    return !Closing();
}

void TForm_Main::Button_RunClick(TComponent&) {
    // Found once: the check list, the tune and the start all concern the same client.
    const TClientFiles files = LocateClientFiles();
    const bool installed = IsInstalled(files.programs);
    // Disabled before the check list plays: its message handling would otherwise let a
    // second click start a second run inside this one.
    Button_Run->SetEnabled(false);
    ShowStatus({});
    bool tuned = false;
    try {
        tuned = RunChecksAndTune(files, installed);
    } catch (...) {
        Button_Run->SetEnabled(true);
        throw;
    }
    if (!tuned) {
        // The window stays and no client is started: once the user has mended the cause, Run
        // tries again. A program that is closing has no use for it, nor for the explanation.
        Button_Run->SetEnabled(!Closing());
        if (!Closing()) {
            ExplainStatus();
        }
        return;
    }
    if (CheckBox_OpenBitComet->Checked()) {
        if (const TLaunchResult launch = StartClient(files); !launch.Succeeded()) {
            // The settings are tuned, but the user expects the client to run: the window stays,
            // says why, and Run stays disabled as after any tune.
            ShowStatus(LaunchFailureReport(launch));
            ExplainStatus();
            return;
        }
    }
    TrayIcon_Main->Minimize();
    TrayIcon_Main->SetAnimate(true);
}

void TForm_Main::Button_CloseClick(TComponent&) {
    Form_Main->Close();
}

void TForm_Main::Label5Click(TComponent&) {
    // The help page sits beside the executable and is opened by its relative name, so the
    // program's folder becomes the current directory first (and stays so). It is the page in the
    // interface's language, or the English one where that is missing.
    SetCurrentDirectoryW(FolderOf(ModuleFileName(nullptr)).c_str());
    const std::wstring page = LoadText(IDS_HELP_PAGE);
    ShellOpen(Handle(), IsExistingFile(page) ? page : std::wstring(kHelpPage), SW_SHOW);
}

void TForm_Main::Label3Click(TComponent&) {
    ShellOpen(Handle(), kHomePageUrl, SW_SHOW);
}

}  // namespace ui
