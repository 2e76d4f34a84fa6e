// The message record every window procedure of the framework works with, and the program's
// private message numbers.
#pragma once

#include "framework/Win32.h"

namespace framework {

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// Private messages of the framework, in one block so that they never collide.
inline constexpr UINT CM_BASE = WM_APP + 0x100;
// Posted to the application window to hand the focus on to the main form.
inline constexpr UINT CM_ACTIVATEMAINFORM = CM_BASE + 1;

// The message the shell sends a notification icon's window for mouse actions on the icon. Its
// number is part of the icon's outside interface, hence not in the block above; only the icon's
// own window ever receives it.
inline constexpr UINT kTrayIconCallback = WM_USER + 1;

}  // namespace framework
