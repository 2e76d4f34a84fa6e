// The shell's "open" verb behind a seam, so that tests can see what would be opened without
// starting a browser.
#pragma once

#include "framework/Win32.h"

#include <functional>
#include <string>
#include <string_view>

namespace framework {

struct TShellRequest {
    HWND owner = nullptr;
    std::wstring verb;
    std::wstring file;
    int show = SW_SHOWNORMAL;
};

using TShellExecutor = std::function<void(const TShellRequest& request)>;

// Asks the shell to open file (a document, a relative name, or an address). Its result is not
// checked: a missing file or browser is the shell's to report.
void ShellOpen(HWND owner, std::wstring_view file, int show);

// Replaces what ShellOpen does; an empty executor restores the shell. Returns the one before.
TShellExecutor SetShellExecutor(TShellExecutor executor);

}  // namespace framework
