// Where the client lives: its folder as the current user's registry names it, and the paths of
// its settings file and executable in that folder. Nothing is cached; every call reads afresh.
#pragma once

#include <string>
#include <string_view>

namespace ui {

inline constexpr wchar_t kClientKey[] = L"Software\\BitComet";
inline constexpr wchar_t kSettingsFileName[] = L"BitComet.xml";
inline constexpr wchar_t kExecutableFileName[] = L"BitComet.exe";

// The folder exactly as stored (an expandable string is not expanded), cut at its first NUL;
// empty when the key or its default value is missing or empty. Raises ERegistryException when
// the value is not a string.
std::wstring ClientFolder();

// The folder, a separator and fileName, or empty when there is no folder: a bare file name
// would otherwise resolve against the root of the current drive.
std::wstring ClientFilePath(std::wstring_view fileName);

// True when a file, not a folder, exists at exactly path; wildcards are not patterns here.
bool IsExistingFile(const std::wstring& path);

}  // namespace ui
