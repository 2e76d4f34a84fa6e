// Where the client lives: its folder as the current user's registry names it, the executable in
// that folder, and the settings file the client uses, which a new installation keeps in the
// roaming application data folder instead. Nothing is cached; every call reads afresh.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "framework/Exceptions.h"

namespace ui {

inline constexpr wchar_t kClientKey[] = L"Software\\BitComet";
inline constexpr wchar_t kClientKeyDisplayName[] = L"HKEY_CURRENT_USER\\Software\\BitComet";
inline constexpr wchar_t kSettingsFileName[] = L"BitComet.xml";
inline constexpr wchar_t kExecutableFileName[] = L"BitComet.exe";
// The client's own program on 64-bit Windows, in the same folder as BitComet.exe or in its place.
inline constexpr wchar_t kExecutable64FileName[] = L"BitComet_x64.exe";

// Why the registry's value names no folder that may be used.
enum class TFolderProblem {
    None,
    NotFullPath,  // a string, but no full folder path
    NamesAFile,   // the path of a file, such as the client's program, instead of its folder
    WrongType,    // data that is no string
    Unreadable,   // the value could not be read
};

// What the registry value holds where it names no folder that may be used, as it was read.
struct TRegistryValue {
    TFolderProblem problem = TFolderProblem::None;
    // The text it holds (NotFullPath, NamesAFile), or the registry's reason (Unreadable).
    std::wstring text;
    // The type of its data (WrongType).
    unsigned long type = 0;
};

// A registry value that is a string but no full folder path, or the path of a file. A relative
// one would be taken from wherever the program happens to run, and a program planted there would
// be started.
class EClientFolderError : public framework::ERegistryException {
public:
    EClientFolderError(TFolderProblem problem, std::wstring value);
    TFolderProblem Problem() const noexcept { return m_problem; }
    const std::wstring& Value() const noexcept { return m_value; }

private:
    TFolderProblem m_problem;
    std::wstring m_value;
};

// The folder as installers write it and the client reads it: an expandable string expanded,
// enclosing double quotes and trailing separators taken off, cut at its first NUL; empty when
// the key or its default value is missing or empty. Raises ERegistryException when the value is
// not a string, and EClientFolderError when it is not a full path ("C:\...", "\\server\share",
// or the "\\?\" form) or names a file.
std::wstring ClientFolder();

// folder, one separator and fileName, or empty when there is no folder: a bare file name would
// otherwise resolve against the current drive.
std::wstring FilePathIn(const std::wstring& folder, std::wstring_view fileName);

// The settings file the client in folder uses: the one in its folder when that exists, otherwise
// the roaming one when that exists, otherwise the path in its folder. Empty without a folder: a
// settings file alone makes no client. roaming, when given, receives the roaming file's path
// where it was looked for.
std::wstring SettingsPathIn(const std::wstring& folder, std::wstring* roaming = nullptr);

// The program files of the client in folder, BitComet.exe and BitComet_x64.exe, each of which is the
// client when it runs or is there; empty without a folder.
using TProgramFiles = std::array<std::wstring, 2>;
TProgramFiles ProgramFilesIn(const std::wstring& folder);

// The client's program in folder, the one its shortcut starts: BitComet_x64.exe on 64-bit Windows
// when the folder holds it, otherwise BitComet.exe. Empty without a folder.
std::wstring ProgramIn(const std::wstring& folder);

// The same for the folder the registry names now.
std::wstring ClientFilePath(std::wstring_view fileName);
std::wstring ClientSettingsPath();
std::wstring ClientProgramPath();

// Where a client installed under Program Files keeps its settings: BitComet.xml in the BitComet
// folder of the user's roaming application data. Empty when the system names no such folder.
std::wstring RoamingSettingsPath();

// The client's files as the registry names them at one moment, for a sequence that works on them
// from its start to its end.
struct TClientFiles {
    std::wstring folder;      // empty without a client folder
    std::wstring settings;    // the settings file the client uses; empty without a client folder
    std::wstring executable;  // the client's program (ProgramIn); empty without a client folder
    // The program files of the client's folder (ProgramFilesIn).
    TProgramFiles programs;
    // The roaming settings file, where it was looked for because the client's folder holds none.
    std::wstring roamingSettings;
    // What the registry value holds instead of a folder that may be used.
    TRegistryValue registry;
};

// Reads the registry once. A value that names no folder that may be used, also one that is not a
// string, is told in registry.
TClientFiles LocateClientFiles();

// Whether the registry still names the settings file that files were located with; false when it
// names another, none, or cannot be read.
bool StillLocated(const TClientFiles& files);

// True when a file, not a folder, exists at exactly path; wildcards are not patterns here.
bool IsExistingFile(const std::wstring& path);

// Whether the client is installed: either of its program files is there.
bool IsInstalled(const TProgramFiles& programs);

}  // namespace ui
