// The parts of a path, and the path of one of the program's modules.
#pragma once

#include "framework/Win32.h"

#include <string>
#include <string_view>

namespace framework {

// The full path of a module of this process; null is the executable. Not limited to MAX_PATH.
std::wstring ModuleFileName(HMODULE module);

// The folder part of path, separator included, so that "C:\" stays a root; "." without one.
std::wstring FolderOf(std::wstring_view path);
// The part of path after its last separator: the whole path without one.
std::wstring FileNameOf(std::wstring_view path);

// Whether two paths or names are the same as the file system compares them: letter case aside, in
// every script, and nothing else.
bool SamePathText(std::wstring_view a, std::wstring_view b);

}  // namespace framework
