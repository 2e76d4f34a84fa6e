// The main window as its stored description builds it: components, geometry, texts, colours,
// keyboard behaviour and links.
#include "framework/Win32.h"
#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "framework/Shell.h"
#include "framework/Text.h"
#include "resources/resource.h"
#include "tests/gui/GuiTest.h"

namespace gui_test {
namespace {

using namespace testing_support;

struct ExpectedControl {
    const wchar_t* name;
    const wchar_t* windowClass;
    const wchar_t* text;
    RECT rect;  // left, top, right, bottom in the parent's client area at 96 DPI
};

// Creation order matters too: it is the children's z-order.
constexpr ExpectedControl kFormControls[] = {
    {L"Image_Logo", L"TImage", L"", {0, 0, 325, 57}},
    {L"Label1", L"Static", L"Version 1.0 (Build 050501)", {0, 64, 124, 77}},
    {L"Label2", L"Static", L"Made by the Torvane Project", {0, 80, 184, 93}},
    {L"Label3", L"Static", L"torvane.example.org", {0, 96, 120, 109}},
    {L"Bevel1", L"TBevel", L"", {0, 57, 325, 59}},
    {L"Label5", L"Static", L"How to Use", {248, 64, 304, 77}},
    {L"StatusBar_Main", L"msctls_statusbar32", L"", {0, 340, 325, 359}},
    {L"Button_Run", L"Button", L"&Run", {200, 312, 259, 334}},
    {L"Button_Close", L"Button", L"&Close", {264, 312, 323, 334}},
    {L"ListView_Main", L"SysListView32", L"", {0, 120, 329, 257}},
    {L"GroupBox1", L"Button", L"Note: Must Open BitComet After Click Run.", {0, 264, 321, 305}},
};

RECT RectInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

framework::TWinControl& Control(const wchar_t* name) {
    auto* control = dynamic_cast<framework::TWinControl*>(ui::Form_Main->FindComponent(name));
    if (control == nullptr) {
        throw std::runtime_error("no control");
    }
    return *control;
}

// The text colour the parent's reflection gives a control, as the control would paint it.
COLORREF ReflectedTextColor(HWND control) {
    const HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(control));
    const COLORREF color = GetTextColor(dc);
    DeleteDC(dc);
    return color;
}

LOGFONTW ControlFont(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// Presses a key on the focused control through the application's message handling, with the
// given modifier keys held.
void PressKey(UINT key, std::initializer_list<int> modifiers = {}) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    BYTE held[256];
    std::copy(std::begin(state), std::end(state), held);
    for (int modifier : modifiers) {
        held[modifier] = 0x80;
    }
    SetKeyboardState(held);
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    Pump();
    SetKeyboardState(state);
}

// Types a key as the user does, through the system's input, which turns F1 into a help request.
void TypeKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    WaitUntil([] { return GetQueueStatus(QS_INPUT) != 0; }, 2s, false);
    Pump();
}

void ClickLabel(HWND label) {
    PostMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    Pump();
}

using MainWindow = MainWindowTest;

TEST_F(MainWindow, IsAFixedSizeCentredWindowOwnedByTheApplication) {
    const HWND window = Form().Handle();
    EXPECT_EQ(WindowText(window), L"Torvane for BitComet 1.0");
    EXPECT_EQ(ClassName(window), L"TForm_Main");
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 325);
    EXPECT_EQ(client.bottom, 359);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_EQ(GetWindow(window, GW_OWNER), framework::Application->Handle());

    RECT frame{};
    GetWindowRect(window, &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST_F(MainWindow, BuildsEveryControlInCreationOrderWithItsGeometryAndText) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(Form().Handle(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    ASSERT_EQ(children.size(), std::size(kFormControls));
    for (std::size_t index = 0; index < children.size(); ++index) {
        const ExpectedControl& expected = kFormControls[index];
        SCOPED_TRACE(testing::Message() << "control " << index);
        const HWND window = Control(expected.name).Handle();
        EXPECT_EQ(children[index], window);
        EXPECT_EQ(ClassName(window), expected.windowClass);
        if (ClassName(window) != L"TImage") {
            EXPECT_EQ(WindowText(window), expected.text);
        }
        const RECT rect = RectInParent(window);
        EXPECT_EQ(rect.left, expected.rect.left);
        EXPECT_EQ(rect.top, expected.rect.top);
        EXPECT_EQ(rect.right, expected.rect.right);
        EXPECT_EQ(rect.bottom, expected.rect.bottom);
    }

    const HWND checkBox = Form().CheckBox_OpenBitComet->Handle();
    EXPECT_EQ(GetParent(checkBox), Form().GroupBox1->Handle());
    EXPECT_EQ(WindowText(checkBox), L"Auto Open BitComet  After Click Run");
    const RECT checkRect = RectInParent(checkBox);
    EXPECT_EQ(checkRect.left, 8);
    EXPECT_EQ(checkRect.top, 16);
    EXPECT_EQ(checkRect.right - checkRect.left, 193);
    EXPECT_EQ(checkRect.bottom - checkRect.top, 17);
    EXPECT_EQ(SendMessageW(checkBox, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(Form().CheckBox_OpenBitComet->Checked());
}

// The glyphs are icon resources: one that failed to load would leave a bare button, silently,
// and one whose mask missed the background would show it round the picture.
TEST_F(MainWindow, EachButtonShowsItsGlyphWithTheBackgroundMaskedOut) {
    constexpr COLORREF kBackground = RGB(12, 200, 90);
    constexpr std::uint32_t kBackgroundPixel = 0x0CC85A;
    for (const HWND button : {Form().Button_Run->Handle(), Form().Button_Close->Handle()}) {
        const auto icon = reinterpret_cast<HICON>(SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0));
        ASSERT_NE(icon, nullptr) << WindowText(button);
        EXPECT_EQ(IconSize(icon).cx, 16);
        const std::vector<std::uint32_t> drawn = IconPixels(icon, 16, kBackground);
        EXPECT_EQ(drawn.front(), kBackgroundPixel) << "the corner is background";
        const auto shown =
            std::count_if(drawn.begin(), drawn.end(), [](std::uint32_t pixel) { return pixel != kBackgroundPixel; });
        EXPECT_GT(shown, 40) << WindowText(button);
        EXPECT_LT(shown, 200) << WindowText(button);
    }
}

TEST_F(MainWindow, LinksAreBlueAndUnderlinedAndTheNoteIsRed) {
    for (HWND link : {Form().Label3->Handle(), Form().Label5->Handle()}) {
        EXPECT_EQ(ReflectedTextColor(link), RGB(0, 0, 255));
        EXPECT_TRUE(ControlFont(link).lfUnderline);
        EXPECT_EQ(std::wstring(ControlFont(link).lfFaceName), L"MS Sans Serif");
    }
    EXPECT_EQ(ReflectedTextColor(Form().Label1->Handle()), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_FALSE(ControlFont(Form().Label1->Handle()).lfUnderline);
    EXPECT_EQ(ControlFont(Form().Label1->Handle()).lfHeight, -11);
    EXPECT_EQ(ReflectedTextColor(Form().CheckBox_OpenBitComet->Handle()), RGB(0, 0, 0));

    // The note's caption is drawn by the group box itself; count its red pixels.
    const HWND box = Form().GroupBox1->Handle();
    RECT client{};
    GetClientRect(box, &client);
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    int red = 0;
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < client.right; ++x) {
            red += GetPixel(dc, x, y) == RGB(255, 0, 0) ? 1 : 0;
        }
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(red, 50) << "the caption of the note is not drawn in red";
}

TEST_F(MainWindow, CheckListHasTwoColumnsAndEightRowsWithEmptyStates) {
    const HWND list = Form().ListView_Main->Handle();
    const LONG style = GetWindowLongW(list, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(style & LVS_EDITLABELS, 0) << "the check list must be read-only";
    EXPECT_TRUE(ListView_GetExtendedListViewStyle(list) & LVS_EX_FULLROWSELECT);

    ASSERT_EQ(Form().ListView_Main->ColumnCount(), 2);
    const std::pair<const wchar_t*, int> columns[] = {{L"Check and Auto Optimize", 273}, {L"State", 50}};
    for (int index = 0; index < 2; ++index) {
        wchar_t caption[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = caption;
        column.cchTextMax = 64;
        ASSERT_TRUE(ListView_GetColumn(list, index, &column));
        EXPECT_STREQ(caption, columns[index].first);
        EXPECT_EQ(column.cx, columns[index].second);
    }

    const wchar_t* rows[] = {
        L"Check BitComet Installed...",     L"Check Computer's Memory...", L"Check Net Type...",
        L"Check and Optimize Free Port...", L"Check BitComet's Config...", L"Check Disk Speed and Buffer...",
        L"Initialize BitComet's Config...", L"Initialize Torvane..."};
    ASSERT_EQ(Form().ListView_Main->ItemCount(), 8);
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(Form().ListView_Main->ItemText(row, 0), rows[row]);
        EXPECT_EQ(Form().ListView_Main->ItemText(row, 1), L"");
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ListView_GetItem(list, &item);
        EXPECT_EQ(item.iImage, 0);
    }
    EXPECT_EQ(ListView_GetImageList(list, LVSIL_SMALL), nullptr);
}

TEST_F(MainWindow, StatusBarHasOneBlankPanelFiftyWide) {
    const HWND bar = Form().StatusBar_Main->Handle();
    int edges[4] = {};
    ASSERT_EQ(SendMessageW(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 1);
    EXPECT_EQ(edges[0], 50);
    EXPECT_FALSE(SendMessageW(bar, SB_ISSIMPLE, 0, 0));
    EXPECT_EQ(LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, 0, 0)), 0);
}

// A status sentence is longer than the bar: the whole of it is the bar's tooltip, and an empty text
// leaves no tip to show.
TEST_F(MainWindow, TheStatusTextIsTheBarsTooltip) {
    const HWND bar = Form().StatusBar_Main->Handle();
    const auto tipText = [bar] {
        std::pair<HWND, std::wstring> search{bar, L"(no tooltip)"};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM lParam) -> BOOL {
                auto& [bar, found] = *reinterpret_cast<std::pair<HWND, std::wstring>*>(lParam);
                if (testing_support::ClassName(window) != TOOLTIPS_CLASSW) {
                    return TRUE;
                }
                wchar_t text[512] = {};
                TTTOOLINFOW tool{};
                tool.cbSize = sizeof tool;
                tool.hwnd = bar;
                tool.uId = reinterpret_cast<UINT_PTR>(bar);
                tool.lpszText = text;
                if (!SendMessageW(window, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) {
                    return TRUE;
                }
                tool.lpszText = text;
                SendMessageW(window, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
                found = text;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.second;
    };
    const std::wstring sentence(200, L'x');
    Form().StatusBar_Main->SetStatusText(sentence);
    EXPECT_EQ(tipText(), sentence);
    Form().StatusBar_Main->SetStatusText(L"");
    EXPECT_EQ(tipText(), L"");
}

// The first clause of every status sentence, up to its colon, names the problem and must be read
// whole: in the bar's own font, at 96 and at 144 DPI, it fits the bar beside its borders and the
// gap before the text.
TEST_F(MainWindow, EveryStatusSentenceNamesItsProblemWithinTheBar) {
    const std::wstring file = m_client / L"BitComet.xml";
    std::vector<std::wstring> sentences;
    constexpr int kFirst = static_cast<int>(ui::TTuneProblem::NoClient);
    constexpr int kLast = static_cast<int>(ui::TTuneProblem::Other);
    for (int problem = kFirst; problem <= kLast; ++problem) {
        ui::TTuneResult failure;
        failure.problem = static_cast<ui::TTuneProblem>(problem);
        failure.path = file;
        failure.systemError = ERROR_SHARING_VIOLATION;
        failure.registry = {ui::TFolderProblem::NotFullPath, L"BitComet"};
        sentences.push_back(ui::TuneFailureReport(failure).sentence);
    }
    for (const ui::TLaunchProblem problem : {ui::TLaunchProblem::NoProgram, ui::TLaunchProblem::NotAProgram,
                                             ui::TLaunchProblem::PathTooLong, ui::TLaunchProblem::Other}) {
        sentences.push_back(
            ui::LaunchFailureReport({problem, m_client / L"BitComet.exe", ERROR_BAD_EXE_FORMAT}).sentence);
    }
    const HDC dc = GetDC(nullptr);
    for (const int dpi : {96, 144}) {
        const HGDIOBJ old = SelectObject(dc, Form().StatusBar_Main->Font().Handle(dpi));
        const int room = MulDiv(325 - 10, dpi, 96);
        for (const std::wstring& sentence : sentences) {
            const std::wstring clause = sentence.substr(0, sentence.find_first_of(L":\uFF1A"));
            SIZE size{};
            GetTextExtentPoint32W(dc, clause.c_str(), static_cast<int>(clause.size()), &size);
            EXPECT_LE(size.cx, room) << dpi << " DPI: " << framework::ToUtf8(sentence);
        }
        SelectObject(dc, old);
    }
    ReleaseDC(nullptr, dc);
}

// Draws text in font and tells whether any of its characters came out as the font's mark for a
// character it lacks: text of the private use area stands for one.
bool DrawsEveryCharacter(HFONT font, const std::wstring& text) {
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ oldFont = SelectObject(dc, font);
    const auto drawn = [&](const std::wstring& sample) {
        SIZE size{};
        GetTextExtentPoint32W(dc, sample.c_str(), static_cast<int>(sample.size()), &size);
        const HBITMAP bitmap = CreateCompatibleBitmap(dc, size.cx + 1, size.cy + 1);
        const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        RECT all{0, 0, size.cx + 1, size.cy + 1};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        TextOutW(dc, 0, 0, sample.c_str(), static_cast<int>(sample.size()));
        std::vector<COLORREF> pixels;
        for (int y = 0; y <= size.cy; ++y) {
            for (int x = 0; x <= size.cx; ++x) {
                pixels.push_back(GetPixel(dc, x, y));
            }
        }
        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
        return pixels;
    };
    bool every = true;
    for (const wchar_t character : text) {
        every = every && drawn(std::wstring(1, character)) != drawn(L"\uE000");
    }
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    return every;
}

// Every control's text fits it, whole, in the interface's language, and every character of it is
// drawn: a Chinese interface has a window font that holds Chinese.
TEST_F(MainWindow, EveryControlShowsItsWholeTextInTheInterfacesLanguage) {
    const auto width = [](HWND window, const std::wstring& text) {
        const HDC dc = GetDC(window);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        return static_cast<int>(size.cx);
    };
    const auto scaled = [&](int length) { return MulDiv(length, Form().Dpi(), 96); };
    RECT client{};
    GetClientRect(Form().Handle(), &client);
    struct Room {
        framework::TWinControl* control;
        int besides;  // what the control itself takes of its width at 96 DPI: a glyph, a box, margins
    };
    const Room rooms[] = {{Form().Label1, 0},      {Form().Label2, 0},        {Form().Label5, 0},
                          {Form().Button_Run, 24}, {Form().Button_Close, 24}, {Form().CheckBox_OpenBitComet, 18},
                          {Form().GroupBox1, 16}};
    for (const Room& room : rooms) {
        const HWND window = room.control->Handle();
        const std::wstring text = ShownText(WindowText(window));
        SCOPED_TRACE(framework::ToUtf8(text));
        RECT rect{};
        GetClientRect(window, &rect);
        EXPECT_LE(width(window, text), rect.right - scaled(room.besides));
        // A label that widens itself for its text still stays inside the window.
        EXPECT_LE(RectInParent(window).right, client.right);
        EXPECT_TRUE(DrawsEveryCharacter(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), text));
    }
    const HWND list = Form().ListView_Main->Handle();
    for (int row = 0; row < Form().ListView_Main->ItemCount(); ++row) {
        EXPECT_LE(width(list, Form().ListView_Main->ItemText(row, 0)), ListView_GetColumnWidth(list, 0) - scaled(12));
    }
    for (const unsigned state : {IDS_STATE_OK, IDS_STATE_ERROR, IDS_STATE_COLUMN}) {
        EXPECT_LE(width(list, framework::LoadText(state)), ListView_GetColumnWidth(list, 1) - scaled(12));
    }
    // Under a Traditional Chinese Windows (Wine's from the host's language) the window speaks
    // Traditional Chinese.
    wchar_t language[32] = {};
    GetEnvironmentVariableW(L"LANG", language, 32);
    if (std::wstring_view(language).starts_with(L"zh_TW")) {
        EXPECT_EQ(GetUserDefaultUILanguage(), MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL));
        EXPECT_EQ(WindowText(Form().Button_Run->Handle()), L"\u57F7\u884C(&R)");
        EXPECT_EQ(Form().ListView_Main->ItemText(0, 0),
                  L"\u6AA2\u67E5\u6BD4\u7279\u5F57\u661F\u662F\u5426\u5DF2\u5B89\u88DD...");
    }
}

TEST_F(MainWindow, EscapePressesCloseFromAnyControlButNotWithAModifier) {
    for (const int modifier : {VK_SHIFT, VK_CONTROL}) {
        PressKey(VK_ESCAPE, {modifier});
        EXPECT_FALSE(framework::Application->Terminated()) << "modifier " << modifier;
    }
    for (framework::TWinControl* control : {static_cast<framework::TWinControl*>(Form().ListView_Main),
                                            static_cast<framework::TWinControl*>(Form().Button_Run)}) {
        control->SetFocus();
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(framework::Application->Terminated()) << "focus on " << control->Name().size();
        EXPECT_TRUE(IsWindowVisible(Form().Handle())) << "the window stays until the loop ends";
        Drain();
    }
}

TEST_F(MainWindow, CloseButtonEndsTheProgram) {
    SendMessageW(Form().Button_Close->Handle(), BM_CLICK, 0, 0);
    Pump();
    EXPECT_TRUE(framework::Application->Terminated());
}

class ShellRecorder {
public:
    ShellRecorder() {
        m_previous = framework::SetShellExecutor(
            [this](const framework::TShellRequest& request) { requests.push_back(request); });
    }
    ~ShellRecorder() { framework::SetShellExecutor(std::move(m_previous)); }
    std::vector<framework::TShellRequest> requests;

private:
    framework::TShellExecutor m_previous;
};

TEST_F(MainWindow, HowToUseOpensTheHelpPageFromTheProgramFolder) {
    wchar_t saved[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    ScratchFolder elsewhere(L"cwd");
    SetCurrentDirectoryW(elsewhere.Path().c_str());
    ShellRecorder shell;

    ClickLabel(Form().Label5->Handle());

    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring programFolder = std::wstring(program).substr(0, std::wstring(program).find_last_of(L'\\'));
    SetCurrentDirectoryW(saved);

    EXPECT_TRUE(SamePath(current, programFolder)) << "the program's folder must be current";
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].verb, L"open");
    EXPECT_EQ(shell.requests[0].file, L"help.html");
    EXPECT_EQ(shell.requests[0].show, SW_SHOW);
    EXPECT_EQ(shell.requests[0].owner, Form().Handle());
}

TEST_F(MainWindow, HomePageLinkOpensTheTaggedSiteRoot) {
    ShellRecorder shell;
    ClickLabel(Form().Label3->Handle());
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].verb, L"open");
    EXPECT_EQ(shell.requests[0].file, L"https://torvane.example.org/?tag=fromclient_torvane10");
    EXPECT_EQ(shell.requests[0].show, SW_SHOW);
    EXPECT_EQ(shell.requests[0].owner, Form().Handle());
}

// Dark pixels in the top row of a label, where its text leaves room for the focus cue.
int CuePixels(HWND label) {
    UpdateWindow(label);
    RECT client{};
    GetClientRect(label, &client);
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    const HDC dc = GetDC(label);
    int pixels = 0;
    for (int x = 0; x < client.right; ++x) {
        pixels += GetPixel(dc, x, 0) != background ? 1 : 0;
    }
    ReleaseDC(label, dc);
    return pixels;
}

// What the mouse reaches, the keyboard reaches too: Tab visits every control, the links included,
// and shows where the focus is; Enter or Space on a link opens it, F1 opens the help page, and Alt
// with an access key presses its button, whose access keys are underlined only while Alt is held.
TEST_F(MainWindow, TheKeyboardReachesEverything) {
    std::vector<std::wstring> order;
    for (framework::TWinControl* control : Form().TabList()) {
        order.push_back(control->Name());
    }
    EXPECT_EQ(order, (std::vector<std::wstring>{L"Button_Run", L"Button_Close", L"ListView_Main",
                                                L"CheckBox_OpenBitComet", L"Label5", L"Label3"}));
    EXPECT_EQ(GetFocus(), Form().Button_Run->Handle());

    const HWND expected[] = {
        Form().Button_Close->Handle(), Form().ListView_Main->Handle(), Form().CheckBox_OpenBitComet->Handle(),
        Form().Label5->Handle(),       Form().Label3->Handle(),        Form().Button_Run->Handle()};
    for (HWND next : expected) {
        const bool toLabel5 = next == Form().Label5->Handle();
        if (toLabel5) {
            EXPECT_EQ(CuePixels(next), 0) << "no cue without the focus";
        }
        PressKey(VK_TAB);
        EXPECT_EQ(GetFocus(), next);
        if (toLabel5) {
            EXPECT_GT(CuePixels(next), 0) << "the focused link shows no focus cue";
        }
    }
    PressKey(VK_TAB, {VK_SHIFT});
    EXPECT_EQ(GetFocus(), Form().Label3->Handle());

    wchar_t saved[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    {
        ShellRecorder shell;
        PressKey(VK_SPACE);
        Form().Label5->SetFocus();
        PressKey(VK_RETURN);
        Form().ListView_Main->SetFocus();
        TypeKey(VK_F1);
        std::vector<std::wstring> opened;
        for (const framework::TShellRequest& request : shell.requests) {
            opened.push_back(request.file);
        }
        EXPECT_EQ(opened, (std::vector<std::wstring>{L"https://torvane.example.org/?tag=fromclient_torvane10",
                                                     L"help.html", L"help.html"}));
    }
    SetCurrentDirectoryW(saved);

    BOOL alwaysUnderlined = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &alwaysUnderlined, 0);
    const auto underlined = [&] {
        return (SendMessageW(Form().Button_Run->Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) == 0;
    };
    EXPECT_EQ(underlined(), alwaysUnderlined != FALSE) << "before Alt";
    PostMessageW(GetFocus(), WM_SYSKEYDOWN, VK_MENU, LPARAM{1} << 29);
    Pump();
    EXPECT_TRUE(underlined()) << "while Alt is held";
    PostMessageW(GetFocus(), WM_SYSKEYDOWN, 'C', LPARAM{1} << 29);
    Pump();
    EXPECT_TRUE(framework::Application->Terminated()) << "Alt+C is Close";
    PostMessageW(GetFocus(), WM_KEYUP, VK_MENU, LPARAM{3} << 30);
    Pump();
    EXPECT_EQ(underlined(), alwaysUnderlined != FALSE) << "after Alt";
    Drain();
}

TEST_F(MainWindow, BannerIsDecodedAtItsOwnSizeAndStretchedIntoTheImage) {
    EXPECT_EQ(Form().Image_Logo->Picture().Width(), 329);
    EXPECT_EQ(Form().Image_Logo->Picture().Height(), 56);
}

}  // namespace
}  // namespace gui_test
