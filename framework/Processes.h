// The processes of the session, as far as a program may ask which program file each runs.
#pragma once

#include <span>
#include <string>

namespace framework {

// The first of paths whose program file a process of this session runs, or empty when none: each
// process's image compared with the path as Windows compares paths (case aside, the long-path form
// and the short names of folders alike), symbolic links followed on both sides. A process the user
// may not ask about does not count; neither does an empty path.
std::wstring RunningProgram(std::span<const std::wstring> paths);

}  // namespace framework
