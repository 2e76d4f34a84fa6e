#include "ui/SettingsTuner.h"

#include "framework/Win32.h"

#include <algorithm>
#include <array>

#include "framework/Exceptions.h"
#include "framework/Files.h"
#include "framework/Text.h"

namespace ui {

namespace {

// The settings the tuner manages, in the order it handles them; the first two are written back.
constexpr std::array<std::wstring_view, 4> kManagedNames = {
    L"ConnectedPeersMax",
    L"MaxTcpConnectionAttempts",
    L"GlobalMaxUploadRate",
    L"GlobalMaxDownloadRate",
};
constexpr std::size_t kWrittenBackCount = 2;

bool IsManaged(const framework::TXmlName& container, const framework::TXmlName& child) {
    return std::any_of(kManagedNames.begin(), kManagedNames.end(), [&](std::wstring_view name) {
        return child.qualified == name || (child.local == name && child.namespaceURI == container.namespaceURI);
    });
}

}  // namespace

framework::TXmlChildEdit SettingsEdit(std::wstring_view value) {
    framework::TXmlChildEdit edit;
    edit.remove = IsManaged;
    if (value != kRestoreMarker) {
        for (std::size_t index = 0; index < kWrittenBackCount; ++index) {
            edit.append.push_back({std::wstring(kManagedNames[index]), std::wstring(value)});
        }
    }
    return edit;
}

namespace {

enum class Stage { Locate, Load, Edit, Save };

TTuneProblem ProblemOfSystemError(unsigned long code, Stage stage) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            return stage == Stage::Load ? TTuneProblem::NoFile : TTuneProblem::Other;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return TTuneProblem::InUse;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return TTuneProblem::AccessDenied;
        case ERROR_FILE_READ_ONLY:
            return TTuneProblem::ReadOnly;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return TTuneProblem::DiskFull;
        default:
            return TTuneProblem::Other;
    }
}

// The exception in flight, in the user's terms.
void DescribeFailure(Stage stage, TTuneFailure& failure) noexcept {
    try {
        throw;
    } catch (const framework::ERegistryException& error) {
        failure.problem = TTuneProblem::Registry;
        failure.detail = error.Message();
    } catch (const framework::EOSError& error) {
        failure.problem = ProblemOfSystemError(error.ErrorCode(), stage);
        failure.detail = framework::SystemErrorText(error.ErrorCode());
    } catch (const framework::EXmlParseError& error) {
        failure.problem = stage == Stage::Save ? TTuneProblem::NotVerified : TTuneProblem::NotXml;
        failure.detail = error.Reason();
        failure.fault = error.Fault();
        failure.line = error.Line();
        failure.column = error.Column();
    } catch (const framework::Exception& error) {
        failure.problem = stage == Stage::Edit   ? TTuneProblem::NoSettings
                          : stage == Stage::Save ? TTuneProblem::NotVerified
                                                 : TTuneProblem::Other;
        failure.detail = error.Message();
    } catch (...) {
        failure.problem = TTuneProblem::Other;
    }
}

}  // namespace

bool TuneSettingsFile(framework::TXMLDocument& document,
                      const std::wstring& path,
                      const std::function<bool()>& stillNamed,
                      std::wstring_view value,
                      TTuneFailure* failure) noexcept {
    TTuneFailure result;
    Stage stage = Stage::Locate;
    try {
        result.path = path;
        if (result.path.empty()) {
            result.problem = TTuneProblem::NoClient;
        } else {
            stage = Stage::Load;
            std::vector<std::uint8_t> bytes = framework::ReadFileBytes(path);
            stage = Stage::Edit;
            const framework::TXmlFileEdit edit = document.PlanEdit(std::move(bytes), SettingsEdit(value), path);
            stage = Stage::Locate;
            // A reinstall elsewhere while a large file was read must not get this file's content.
            if (!stillNamed()) {
                result.problem = TTuneProblem::PathChanged;
            } else if (edit.Changes()) {
                stage = Stage::Save;
                edit.Write();
            }
        }
    } catch (...) {
        // The tuner reports failure by its result; the reason is there for whoever shows it.
        DescribeFailure(stage, result);
    }
    const bool tuned = result.problem == TTuneProblem::None;
    if (failure != nullptr) {
        *failure = std::move(result);
    }
    return tuned;
}

bool TuneSettingsFile(framework::TXMLDocument& document,
                      const std::function<std::wstring()>& settingsPath,
                      std::wstring_view value,
                      TTuneFailure* failure) noexcept {
    std::wstring path;
    std::wstring target;
    try {
        path = settingsPath();
        // Resolved once: the load and the save work on the same file, wherever a link points.
        target = path.empty() ? path : framework::FinalPath(path);
    } catch (...) {
        TTuneFailure result;
        DescribeFailure(Stage::Locate, result);
        if (failure != nullptr) {
            *failure = std::move(result);
        }
        return false;
    }
    return TuneSettingsFile(
        document, target, [&] { return settingsPath() == path; }, value, failure);
}

}  // namespace ui
