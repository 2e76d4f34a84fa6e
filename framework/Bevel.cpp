#include "framework/Bevel.h"

namespace framework {

TBevel::TBevel(TComponent* owner) : TWinControl(owner) {}

void TBevel::CreateWnd(HWND parent, const RECT& rect) {
    CreateControlWindow(L"STATIC", SS_ETCHEDHORZ, 0, parent, rect);
}

}  // namespace framework
