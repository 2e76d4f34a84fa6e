// Where the client lives: its folder as the current user's registry names it, the executable in
// that folder, and the settings file the client uses, which a new installation keeps in the
// roaming application data folder instead. Nothing is cached; every call reads afresh.
#pragma once

#include <string>
#include <string_view>

namespace ui {

inline constexpr wchar_t kClientKey[] = L"Software\\BitComet";
inline constexpr wchar_t kClientKeyDisplayName[] = L"HKEY_CURRENT_USER\\Software\\BitComet";
inline constexpr wchar_t kSettingsFileName[] = L"BitComet.xml";
inline constexpr wchar_t kExecutableFileName[] = L"BitComet.exe";

// The folder as installers write it and the client reads it: an expandable string expanded,
// enclosing double quotes and trailing separators taken off, cut at its first NUL; empty when
// the key or its default value is missing or empty. Raises ERegistryException when the value is
// not a string.
std::wstring ClientFolder();

// The folder, one separator and fileName, or empty when there is no folder: a bare file name
// would otherwise resolve against the root of the current drive.
std::wstring ClientFilePath(std::wstring_view fileName);

// Where a client installed under Program Files keeps its settings: BitComet.xml in the BitComet
// folder of the user's roaming application data. Empty when the system names no such folder.
std::wstring RoamingSettingsPath();

// The settings file the client itself uses: the one in its folder when that exists, otherwise
// the roaming one when that exists, otherwise the path in its folder. Empty without a folder:
// a settings file alone makes no client.
std::wstring ClientSettingsPath();

// True when a file, not a folder, exists at exactly path; wildcards are not patterns here.
bool IsExistingFile(const std::wstring& path);

}  // namespace ui
