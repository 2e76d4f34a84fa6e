// The processes of the session, as far as a program may ask which program file each runs.
#pragma once

#include <string>

namespace framework {

// True when a process of this session runs the program file at path: its image compared with
// path as Windows compares paths (case aside, the long-path form and the short names of folders
// alike), symbolic links followed on both sides. A process the user may not ask about does not
// count; neither does anything when path is empty.
bool IsProgramRunning(const std::wstring& path);

}  // namespace framework
