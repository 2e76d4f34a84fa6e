// TShiftState: the keyboard modifiers and mouse buttons held, and the modifiers held now.
#pragma once

#include "framework/Win32.h"

#include <cstdint>

namespace framework {

// A set of flags: keyboard modifiers and mouse buttons held.
using TShiftState = std::uint8_t;
inline constexpr TShiftState ssShift = 1 << 0;
inline constexpr TShiftState ssAlt = 1 << 1;
inline constexpr TShiftState ssCtrl = 1 << 2;
inline constexpr TShiftState ssLeft = 1 << 3;
inline constexpr TShiftState ssRight = 1 << 4;
inline constexpr TShiftState ssMiddle = 1 << 5;
inline constexpr TShiftState ssDouble = 1 << 6;

// Shift, Ctrl and Alt as the thread's keyboard state has them while the current message is
// handled.
inline TShiftState KeyboardShiftState() noexcept {
    TShiftState state = 0;
    if (GetKeyState(VK_SHIFT) < 0) {
        state |= ssShift;
    }
    if (GetKeyState(VK_CONTROL) < 0) {
        state |= ssCtrl;
    }
    if (GetKeyState(VK_MENU) < 0) {
        state |= ssAlt;
    }
    return state;
}

}  // namespace framework
