#include "ui/SettingsPass.h"

#include "framework/Win32.h"

#include <algorithm>
#include <array>

#include "framework/Exceptions.h"
#include "framework/Files.h"
#include "framework/Paths.h"

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

// The read-only mark is off for the length of a pass, so that the file can be replaced. After a
// pass that went through the file is read-only, on top of the attributes the new copy took over
// from the old one; after one that did not, it keeps the attributes it had, so that a damaged
// file is not made read-only. Only the read-only mark ever changes: a hidden file stays hidden.
class TReadOnlyGuard {
public:
    explicit TReadOnlyGuard(const std::wstring& file) : m_file(file), m_before(GetFileAttributesW(file.c_str())) {
        if (WasReadOnly()) {
            framework::SetSettableAttributes(m_file, m_before & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        }
    }
    ~TReadOnlyGuard() {
        if (!m_protected && WasReadOnly()) {
            framework::SetSettableAttributes(m_file, m_before);
        }
    }
    TReadOnlyGuard(const TReadOnlyGuard&) = delete;
    TReadOnlyGuard& operator=(const TReadOnlyGuard&) = delete;

    void Protect() {
        const DWORD now = GetFileAttributesW(m_file.c_str());
        framework::SetSettableAttributes(m_file,
                                         (now != INVALID_FILE_ATTRIBUTES ? now : m_before) | FILE_ATTRIBUTE_READONLY);
        m_protected = true;
    }

private:
    bool WasReadOnly() const noexcept {
        return m_before != INVALID_FILE_ATTRIBUTES && (m_before & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
               (m_before & FILE_ATTRIBUTE_READONLY) != 0;
    }

    const std::wstring& m_file;
    const DWORD m_before;
    bool m_protected = false;
};

// How far a pass got: what a failure means depends on it.
enum class Stage { Resolve, Read, Plan, Write };

TTuneProblem ProblemOfSystemError(unsigned long code, Stage stage) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            return stage == Stage::Read ? TTuneProblem::NoFile : TTuneProblem::Other;
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

// A settings file that is not there: either the client's folder is gone with it, or the client has
// not written one yet, and then the user learns every place the client would have read it from.
void DescribeMissingFile(const TClientFiles& files, TTuneResult& result) {
    const std::wstring folder = framework::FolderOf(files.settings);
    if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
        result.problem = TTuneProblem::NoFolder;
        result.path = folder;
    } else if (!files.roamingSettings.empty() && files.roamingSettings != files.settings) {
        result.otherPlace = files.roamingSettings;
    }
}

// The exception in flight, in the user's terms.
void DescribeFailure(Stage stage, const TClientFiles& files, TTuneResult& result) noexcept {
    try {
        throw;
    } catch (const framework::EOSError& error) {
        result.problem = ProblemOfSystemError(error.ErrorCode(), stage);
        result.systemError = error.ErrorCode();
        if (result.problem == TTuneProblem::NoFile) {
            DescribeMissingFile(files, result);
        }
    } catch (const framework::EXmlParseError& error) {
        result.problem = stage == Stage::Write ? TTuneProblem::NotVerified : TTuneProblem::NotXml;
        result.readerSays = error.Reason();
        result.fault = error.Fault();
        result.line = error.Line();
        result.column = error.Column();
    } catch (const framework::EXmlError&) {
        result.problem = stage == Stage::Plan    ? TTuneProblem::NoSettings
                         : stage == Stage::Write ? TTuneProblem::NotVerified
                                                 : TTuneProblem::Other;
    } catch (...) {
        result.problem = TTuneProblem::Other;
    }
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

TTuneResult RunSettingsPass(const TClientFiles& files,
                            std::wstring_view value,
                            const std::function<bool()>& stillLocated) noexcept {
    TTuneResult result;
    if (files.registry.problem != TFolderProblem::None) {
        // A folder that is no full path would be looked for wherever the program runs.
        result.problem = TTuneProblem::Registry;
        result.registry = files.registry;
        return result;
    }
    if (files.settings.empty()) {
        result.problem = TTuneProblem::NoClient;
        return result;
    }
    result.path = files.settings;
    Stage stage = Stage::Resolve;
    try {
        // Resolved once, so that the guard, the read and the replace concern one file: the one a
        // link points to, since replacing the link would turn it into a plain file.
        const std::wstring file = framework::FinalPath(files.settings);
        // A folder of the file's name is nobody's settings: neither it nor anything in it is touched.
        if (const DWORD attributes = GetFileAttributesW(file.c_str());
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            result.problem = TTuneProblem::NotAFile;
            return result;
        }
        TReadOnlyGuard guard(file);
        stage = Stage::Read;
        std::vector<std::uint8_t> bytes = framework::ReadFileBytes(file);
        stage = Stage::Plan;
        const framework::TXmlFileEdit edit =
            framework::TXMLDocument::PlanEdit(std::move(bytes), SettingsEdit(value), file);
        // A reinstall elsewhere while a large file was read must not get this file's content.
        if (!stillLocated()) {
            result.problem = TTuneProblem::PathChanged;
            return result;
        }
        stage = Stage::Write;
        if (edit.Changes()) {
            edit.Write();
        }
        guard.Protect();
    } catch (...) {
        DescribeFailure(stage, files, result);
    }
    return result;
}

}  // namespace ui
