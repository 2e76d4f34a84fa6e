// The settings pass: takes the managed settings out of the client's settings file and, when
// tuning, writes the two connection limits back with the tuned value. Start, Run and close each
// make one; whatever stands in the way comes back as one typed result.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "framework/Exceptions.h"
#include "framework/XmlDocument.h"
#include "ui/ClientLocator.h"

namespace ui {

// The value that asks for the managed settings to be removed and none written back.
inline constexpr wchar_t kRestoreMarker[] = L"NULL";
// The value a run writes for the two connection limits.
inline constexpr wchar_t kTunedValue[] = L"1000";

// Why a settings file could not be tuned or restored, in the terms the user can act on.
enum class TTuneProblem {
    None,
    NoClient,       // the registry names no client folder
    Registry,       // the registry value names no folder that may be used
    NoFolder,       // the folder the registry names is not there
    NoFile,         // nothing at the settings file's path
    NotAFile,       // a folder stands at the settings file's path
    InUse,          // another program holds the file
    AccessDenied,   // Windows refused access to the file or its folder
    ReadOnly,       // the file is read-only and was not made writable
    NotXml,         // the file does not parse
    NoSettings,     // no settings container that can take the settings
    NotVerified,    // the written copy did not read back as the document that was meant
    PathChanged,    // the registry named another settings file by the time of the save
    DiskFull,       // no room on the disk for the new copy
    ClientRunning,  // the client runs, and would neither read the tuned file nor keep it
    Other,
};

// What a pass found, with the facts its explanation needs, taken when and where they were seen.
struct TTuneResult {
    TTuneProblem problem = TTuneProblem::None;
    // The settings file as the client locator named it; for NoFolder, the folder; for a running
    // client, its program; empty without one.
    std::wstring path;
    // For NoFile: the other place the client would have read its settings from; empty when none.
    std::wstring otherPlace;
    // For Registry: what the registry value holds.
    TRegistryValue registry;
    // The system's error code where the system refused, else 0.
    unsigned long systemError = 0;
    // The XML reader's own words where a text did not read as XML.
    std::wstring readerSays;
    // Where and how a file that does not read as XML is damaged.
    framework::TXmlFault fault = framework::TXmlFault::Malformed;
    long line = 0;
    long column = 0;

    bool Succeeded() const noexcept { return problem == TTuneProblem::None; }
};

// The edit of the settings container (the document element's first element child): every
// direct child that is a managed setting goes, and unless value is the restore marker the two
// connection limits are appended with value, in the container's prefix and namespace. A child is
// a managed setting when its name as written is a managed name, or when its local name is one and
// it is in the container's own namespace, so that settings a tune wrote under a prefix go again.
framework::TXmlChildEdit SettingsEdit(std::wstring_view value);

// Tunes the settings file of files with value, or restores it when value is the restore marker,
// changing only the bytes of the managed settings. The file is resolved once (a link's target is
// the file replaced, the link stays), made writable for the pass, read, edited, written as a copy
// that is read back and checked, and swapped in with the old file's protection; it is read-only
// after a pass that went through, and keeps its attributes after one that did not. A file with
// nothing to change is not written at all. stillLocated is asked right before the save whether the
// registry still names the file; when not, nothing is saved. Any failure leaves the file exactly
// as it was and comes back as the result; never raises.
TTuneResult RunSettingsPass(const TClientFiles& files,
                            std::wstring_view value,
                            const std::function<bool()>& stillLocated) noexcept;

}  // namespace ui
