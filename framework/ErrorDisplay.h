// The error display: the modal boxes that show the program's failures to the user, and the one
// seam through which tests see those boxes instead of the system's.
#pragma once

#include "framework/Win32.h"

#include <functional>
#include <string>
#include <string_view>

namespace framework {

// The message text as the error display shows it: a period is added unless the text is empty
// or already ends in a character at or below '.' (period, '!', ')', '-', ',', blank, ...).
std::wstring WithClosingPeriod(std::wstring_view message);

// Shows message, with its closing period, in a modal box with the stop icon and one OK button,
// captioned caption and owned by owner (no owner when null). While it shows, the program's other
// top-level windows are disabled, as a dialog would disable its owner.
void ShowErrorMessage(HWND owner, const std::wstring& caption, std::wstring_view message);

// Reports a failure that is not one of the program's own exceptions, by its class name and the
// module and address it was thrown from, in a task-modal box without owner.
void ShowApplicationError(const std::string& className);

using TMessageBoxFunction =
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags)>;

// Replaces the system's message box in both boxes above; an empty function restores it.
// Returns the one before.
TMessageBoxFunction SetMessageBoxFunction(TMessageBoxFunction function);

}  // namespace framework
