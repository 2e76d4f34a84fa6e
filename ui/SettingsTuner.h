// The settings tuner: takes the managed settings out of the client's settings file and, when
// tuning, writes the two connection limits back with the tuned value.
#pragma once

#include "framework/XmlDocument.h"

#include <functional>
#include <string>
#include <string_view>

namespace ui {

// The value that asks for the managed settings to be removed and none written back.
inline constexpr wchar_t kRestoreMarker[] = L"NULL";

// Edits a loaded settings document in memory. The settings container is the document
// element's first child, whatever its kind; every direct child of it that bears a managed name
// (compared exactly, prefix included) is removed, and unless value is the restore marker the
// two connection limits are appended with value, in the container's namespace and prefix.
// Raises EListError when the document element has no children, and EXmlError when the
// container cannot hold the new settings.
void TuneSettings(framework::TXMLDocument& document, std::wstring_view value);

// Loads the file that settingsPath names, tunes it and saves it to the path settingsPath names
// then. False, with the file as it was, when any step fails or a path is empty; never raises.
bool TuneSettingsFile(framework::TXMLDocument& document,
                      const std::function<std::wstring()>& settingsPath,
                      std::wstring_view value) noexcept;

}  // namespace ui
