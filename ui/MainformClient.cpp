// TForm_Main's client locator and settings tuner: the window's side of ClientLocator and
// SettingsTuner, and what it tells the user when the settings file cannot be changed.
#include "ui/Mainform.h"

#include "ui/ClientLocator.h"
#include "ui/SettingsTuner.h"

namespace ui {

std::wstring TForm_Main::GetBCXMLPath() {
    return ClientSettingsPath();
}

std::wstring TForm_Main::GetBCEXEPath() {
    return ClientFilePath(kExecutableFileName);
}

bool TForm_Main::IsBCInstalled() {
    return IsExistingFile(GetBCEXEPath());
}

bool TForm_Main::OptiBT(std::wstring_view value) {
    return TuneSettingsFile(
        *XMLDoc1, [this] { return GetBCXMLPath(); }, value, &m_lastTuneFailure);
}

std::wstring TForm_Main::FailureText() const {
    const TTuneFailure& failure = m_lastTuneFailure;
    // The file's path comes last: where the bar is too narrow, what to do stays in sight, and the
    // bar's tooltip holds the rest.
    const std::wstring file = L" (" + failure.path + L").";
    switch (failure.problem) {
    case TTuneProblem::None:
        return {};
    case TTuneProblem::NoClient:
        return std::wstring(L"BitComet is not installed for this user: the registry entry ") +
               kClientKeyDisplayName + L" names no folder.";
    case TTuneProblem::NoFile: {
        // Both places the client itself would look in, as they are now.
        std::wstring places = failure.path;
        try {
            const std::wstring installed = ClientFilePath(kSettingsFileName);
            const std::wstring roaming = RoamingSettingsPath();
            places = roaming.empty() || roaming == installed ? installed : installed + L" and " + roaming;
        } catch (...) {
            // The registry changed since the path was taken: the path taken is what was looked for.
        }
        return L"BitComet has no settings file yet: start BitComet once and close it, then click Run (looked for " +
               places + L").";
    }
    case TTuneProblem::InUse:
        return L"The settings file is in use by another program: close BitComet, then click Run" + file;
    case TTuneProblem::AccessDenied:
        return L"Windows refused access to the settings file: make sure you may change it, then click Run" + file;
    case TTuneProblem::ReadOnly:
        return L"The settings file is read-only and could not be made writable: clear its read-only attribute, "
               L"then click Run" +
               file;
    case TTuneProblem::NotXml:
        return L"The settings file is damaged, it does not read as XML: " + failure.detail + file;
    case TTuneProblem::NoSettings:
        return L"The settings file holds no settings that Torvane can change" + file;
    case TTuneProblem::NotVerified:
        return L"The settings file was left as it was, because its new copy did not read back the same" + file;
    case TTuneProblem::PathChanged:
        return L"BitComet's folder changed in the registry meanwhile, so nothing was written: click Run again" + file;
    case TTuneProblem::Registry:
        return std::wstring(L"The registry entry ") + kClientKeyDisplayName +
               L" does not name a folder: " + failure.detail + L".";
    case TTuneProblem::Other:
        break;
    }
    return L"The settings file could not be changed" +
           (failure.detail.empty() ? std::wstring() : L": " + failure.detail) + file;
}

}  // namespace ui
