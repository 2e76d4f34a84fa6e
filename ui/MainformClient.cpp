// TForm_Main's client locator and settings tuner: the window's side of ClientLocator and
// SettingsTuner, and what it tells the user when the settings file cannot be changed or the client
// cannot be started.
#include "ui/Mainform.h"

#include "framework/Text.h"
#include "ui/ClientLocator.h"
#include "ui/SettingsTuner.h"

#include <cwctype>

namespace ui {

namespace {

// The system's words as part of a sentence: without their closing period, and with the file name
// where the system leaves a place for it.
std::wstring Clause(std::wstring text, std::wstring_view fileName = {}) {
    if (const std::size_t insert = text.find(L"%1"); insert != std::wstring::npos && !fileName.empty()) {
        text.replace(insert, 2, fileName);
    }
    while (!text.empty() && (text.back() == L'.' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

std::wstring Capitalized(std::wstring text) {
    if (!text.empty()) {
        text.front() = static_cast<wchar_t>(std::towupper(text.front()));
    }
    return text;
}

// What went wrong with the settings file, as the part of a sentence that both the status bar and
// the close's message use.
std::wstring Cause(const TTuneFailure& failure) {
    switch (failure.problem) {
    case TTuneProblem::InUse:
        return L"the settings file is in use by another program";
    case TTuneProblem::AccessDenied:
        return L"Windows refused access to the settings file";
    case TTuneProblem::ReadOnly:
        return L"the settings file is read-only and could not be made writable";
    case TTuneProblem::NotXml:
        return L"the settings file is damaged, it does not read as XML: " + Clause(failure.detail);
    case TTuneProblem::NoSettings:
        return L"the settings file holds no settings that Torvane can change";
    case TTuneProblem::NotVerified:
        return L"the settings file was left as it was, because its new copy did not read back the same";
    case TTuneProblem::PathChanged:
        return L"BitComet's folder changed in the registry meanwhile, so nothing was written";
    case TTuneProblem::Registry:
        return std::wstring(L"the registry entry ") + kClientKeyDisplayName +
               L" does not name a folder that Torvane can use (" + Clause(failure.detail) + L")";
    case TTuneProblem::DiskFull:
        return L"there is no room left on the disk for the settings file's new copy";
    case TTuneProblem::None:
    case TTuneProblem::NoClient:
    case TTuneProblem::NoFile:
    case TTuneProblem::Other:
        break;
    }
    return L"the settings file could not be changed: " +
           (failure.detail.empty() ? std::wstring(L"Windows gave no reason") : Clause(failure.detail));
}

// What the user can do about it before clicking Run again; empty where nothing helps.
std::wstring Remedy(TTuneProblem problem) {
    switch (problem) {
    case TTuneProblem::InUse:
        return L"close BitComet, then click Run";
    case TTuneProblem::AccessDenied:
        return L"make sure you may change it, then click Run";
    case TTuneProblem::ReadOnly:
        return L"clear its read-only attribute, then click Run";
    case TTuneProblem::PathChanged:
        return L"click Run again";
    case TTuneProblem::Registry:
        return L"reinstall BitComet, then click Run";
    case TTuneProblem::DiskFull:
        return L"free some space on it, then click Run";
    default:
        return {};
    }
}

// The file's path comes last: where the bar is too narrow, what to do stays in sight, and the bar's
// tooltip holds the rest.
std::wstring PathPart(const std::wstring& path) {
    return path.empty() ? std::wstring(L".") : L" (" + path + L").";
}

}  // namespace

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
    default:
        break;
    }
    const std::wstring remedy = Remedy(failure.problem);
    return Capitalized(Cause(failure)) + (remedy.empty() ? std::wstring() : L": " + remedy) + PathPart(failure.path);
}

std::wstring TForm_Main::LaunchFailureText() const {
    const TLaunchFailure& failure = m_lastLaunchFailure;
    const DWORD attributes = GetFileAttributesW(failure.path.c_str());
    const bool notFound = failure.error == ERROR_FILE_NOT_FOUND || failure.error == ERROR_PATH_NOT_FOUND ||
                          failure.error == ERROR_INVALID_NAME || failure.error == ERROR_FILENAME_EXCED_RANGE;
    std::wstring cause;
    std::wstring remedy = L"reinstall BitComet, or start it yourself";
    if (attributes == INVALID_FILE_ATTRIBUTES && notFound) {
        cause = std::wstring(L"there is no ") + kExecutableFileName + L" in its folder";
    } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        cause = std::wstring(kExecutableFileName) + L" in its folder is a folder, not a program";
    } else if (attributes != INVALID_FILE_ATTRIBUTES && notFound && failure.path.size() >= MAX_PATH) {
        // The system says only that it found nothing, of a program that is there.
        cause = L"the path of its folder is too long for Windows to start a program from it";
        remedy = L"move BitComet to a folder with a shorter path, or start it yourself";
    } else {
        cause = Clause(framework::SystemErrorText(failure.error), kExecutableFileName);
    }
    return L"The settings are tuned, but BitComet could not be started, " + cause + L": " + remedy +
           PathPart(failure.path);
}

std::wstring TForm_Main::RestoreFailureText() const {
    const TTuneFailure& failure = m_lastTuneFailure;
    switch (failure.problem) {
    case TTuneProblem::None:
    case TTuneProblem::NoClient:
    case TTuneProblem::NoFile:
    // A file that does not read as settings was never tuned, and the start has said so already.
    case TTuneProblem::NotXml:
    case TTuneProblem::NoSettings:
        return {};
    case TTuneProblem::Registry:
        // Nothing was touched under a value that names no folder, unless a run came first.
        if (!m_tuned) {
            return {};
        }
        break;
    default:
        break;
    }
    return L"BitComet's settings could not be put back: " + Cause(failure) +
           L". The settings file stays as it is" + (m_tuned ? L", tuned and read-only" : L"") +
           L"; once BitComet has closed, start Torvane again and it puts them back" + PathPart(failure.path);
}

}  // namespace ui
