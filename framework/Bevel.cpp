#include "framework/Bevel.h"

#include <algorithm>

namespace framework {

TBevel::TBevel(TComponent* owner) : TCustomControl(owner, L"TBevel") {}

void TBevel::Paint(HDC dc) {
    RECT client{};
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, BackgroundBrush());
    // A lowered top line: shadow above, highlight below, one pixel each at 96 DPI.
    const int thickness = std::max(1, Scale(1));
    RECT line{client.left, client.top, client.right, client.top + thickness};
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
    OffsetRect(&line, 0, thickness);
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

}  // namespace framework
