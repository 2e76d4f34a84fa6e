// The settings tuner: takes the managed settings out of the client's settings file and, when
// tuning, writes the two connection limits back with the tuned value.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "framework/Exceptions.h"
#include "framework/XmlDocument.h"

namespace ui {

// The value that asks for the managed settings to be removed and none written back.
inline constexpr wchar_t kRestoreMarker[] = L"NULL";

// Why a settings file could not be tuned or restored, in the terms the user can act on.
enum class TTuneProblem {
    None,
    NoClient,       // the registry names no client folder
    NoFile,         // nothing at the settings file's path
    InUse,          // another program holds the file
    AccessDenied,   // Windows refused access to the file or its folder
    ReadOnly,       // the file is read-only and was not made writable
    NotXml,         // the file does not parse
    NoSettings,     // no settings container that can take the settings
    NotVerified,    // the written copy did not read back as the document that was saved
    PathChanged,    // the registry named another settings file by the time of the save
    Registry,       // the registry value is not a folder name
    DiskFull,       // no room on the disk for the new copy
    ClientRunning,  // the client runs, and would neither read the tuned file nor keep it
    Other,
};

struct TTuneFailure {
    TTuneProblem problem = TTuneProblem::None;
    // The settings file as the client locator named it; empty without one. For a running client,
    // its executable.
    std::wstring path;
    // The parser's or the system's own words, where they say more than the problem.
    std::wstring detail;
    // Where and how a file that does not read as XML is damaged.
    framework::TXmlFault fault = framework::TXmlFault::Malformed;
    long line = 0;
    long column = 0;
};

// The edit of the settings container (the document element's first element child): every
// direct child that is a managed setting goes, and unless value is the restore marker the two
// connection limits are appended with value, in the container's prefix and namespace. A child is
// a managed setting when its name as written is a managed name, or when its local name is one and
// it is in the container's own namespace, so that settings a tune wrote under a prefix go again.
framework::TXmlChildEdit SettingsEdit(std::wstring_view value);

// Tunes or restores the settings file at path, changing only the bytes of the managed settings; a
// file with nothing to change is not written at all. path is where the file finally lives, a
// link's target, which the caller resolved once: replacing the link would turn it into a plain
// file. stillNamed is asked right before the save whether the registry still names that file;
// when not, nothing is saved. False, with the file
// as it was and the reason in failure (when given), when any step fails or path is empty; never
// raises.
bool TuneSettingsFile(framework::TXMLDocument& document,
                      const std::wstring& path,
                      const std::function<bool()>& stillNamed,
                      std::wstring_view value,
                      TTuneFailure* failure = nullptr) noexcept;

// The same for the file that settingsPath names now (a link followed), asked again before the save.
bool TuneSettingsFile(framework::TXMLDocument& document,
                      const std::function<std::wstring()>& settingsPath,
                      std::wstring_view value,
                      TTuneFailure* failure = nullptr) noexcept;

}  // namespace ui
