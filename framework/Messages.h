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
// Sent by a control to its form when it receives the keyboard focus.
inline constexpr UINT CM_FOCUSCHANGED = CM_BASE + 1;

}  // namespace framework
