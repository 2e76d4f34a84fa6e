#include "framework/GroupBox.h"

#include "framework/Win32.h"
#include <uxtheme.h>

#include "framework/Handles.h"
namespace framework {

namespace {

// Part and state of a group box frame in the visual-styles theme (vsstyle.h).
constexpr int kGroupBoxPart = 4;
constexpr int kGroupBoxNormal = 1;

}  // namespace

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {}

void TGroupBox::CreateWnd(HWND parent, const RECT& rect) {
    CreateControlWindow(L"BUTTON", BS_GROUPBOX, WS_EX_CONTROLPARENT, parent, rect);
}

void TGroupBox::Paint(HDC dc) {
    // The box draws itself: the system's group box ignores the caption colour when themed (and
    // under Wine), and a warning caption must stay red.
    RECT client{};
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, BackgroundBrush());

    const TSelectedObject font(dc, Font().Handle(Dpi()));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT frame = client;
    frame.top += metrics.tmHeight / 2;
    if (const HTHEME theme = IsAppThemed() ? OpenThemeData(Handle(), L"BUTTON") : nullptr; theme != nullptr) {
        DrawThemeBackground(theme, dc, kGroupBoxPart, kGroupBoxNormal, &frame, nullptr);
        CloseThemeData(theme);
    } else {
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    }

    if (!Caption().empty()) {
        RECT text{Scale(8), 0, client.right - Scale(8), metrics.tmHeight};
        DrawTextW(dc, Caption().c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        text.right += Scale(2);
        FillRect(dc, &text, BackgroundBrush());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(IsWindowEnabled(Handle()) ? Font().Color() : SystemColor(COLOR_GRAYTEXT)));
        OffsetRect(&text, Scale(1), 0);
        DrawTextW(dc, Caption().c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX);
    }
}

void TGroupBox::WndProc(TMessage& message) {
    if (HandlePaintMessage(message)) {
        return;
    }
    TWinControl::WndProc(message);
    if (message.Msg == WM_ENABLE || message.Msg == WM_SETTEXT) {
        InvalidateRect(Handle(), nullptr, TRUE);
    }
}

}  // namespace framework
