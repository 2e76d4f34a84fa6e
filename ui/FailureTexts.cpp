#include "ui/FailureTexts.h"

#include "framework/Win32.h"

#include "framework/Paths.h"
#include "framework/Text.h"
#include "resources/resource.h"
#include "ui/ClientLocator.h"

namespace ui {

namespace {

using framework::FormatText;
using framework::LoadText;
using framework::TXmlFault;

// Between the explanation's first lines and its body.
constexpr wchar_t kParagraph[] = L"\r\n\r\n";

// One failure in the pieces both texts are made of.
struct TParts {
    // Names the problem: the sentence's first clause and the explanation's first line.
    std::wstring headline;
    // The rest of the sentence, as clauses after the colon, without the file.
    std::wstring tail;
    // The explanation after its first lines, as sentences in paragraphs.
    std::wstring body;
    // Which file; empty when none.
    std::wstring file;
    // How the sentence and the explanation's first lines name the file.
    unsigned sentenceWithFile = IDS_SENTENCE_FILE;
    unsigned problemWithFile = IDS_PROBLEM_FILE;
};

// The headline with the file: the explanation's first lines.
std::wstring Problem(const TParts& parts) {
    return parts.file.empty() ? FormatText(IDS_PROBLEM, {parts.headline})
                              : FormatText(parts.problemWithFile, {parts.headline, parts.file});
}

TStatusReport Compose(const TParts& parts) {
    const std::wstring sentence = parts.file.empty()
                                      ? FormatText(IDS_SENTENCE, {parts.headline, parts.tail})
                                      : FormatText(parts.sentenceWithFile, {parts.headline, parts.tail, parts.file});
    return {sentence, Problem(parts) + kParagraph + parts.body};
}

// The system's words as part of a sentence: without their closing period, and with the file name
// where the system leaves a place for it.
std::wstring Clause(std::wstring text, std::wstring_view fileName = {}) {
    if (const std::size_t insert = text.find(L"%1"); insert != std::wstring::npos && !fileName.empty()) {
        text.replace(insert, 2, fileName);
    }
    while (!text.empty() &&
           (text.back() == L'.' || text.back() == L' ' || text.back() == L'\r' || text.back() == L'\n')) {
        text.pop_back();
    }
    return text;
}

std::wstring SystemSays(const std::wstring& detail) {
    return detail.empty() ? LoadText(IDS_WINDOWS_GAVE_NO_REASON) : FormatText(IDS_WINDOWS_SAYS, {Clause(detail)});
}

// How a file that does not read as XML is damaged. The parser's own reasons speak of tokens and
// tags; what helps is whether the file is empty or cut short, or else where it goes wrong.
std::wstring Damage(const TTuneFailure& failure) {
    const std::wstring line = framework::DecimalText(failure.line);
    switch (failure.fault) {
        case TXmlFault::Empty:
            return LoadText(IDS_DAMAGE_EMPTY);
        case TXmlFault::CutShort:
            return FormatText(IDS_DAMAGE_CUT_SHORT, {line});
        case TXmlFault::Encoding:
            return LoadText(IDS_DAMAGE_ENCODING);
        case TXmlFault::Malformed:
            break;
    }
    if (failure.line <= 0) {
        return LoadText(IDS_DAMAGE_NOT_XML);
    }
    const std::wstring column = framework::DecimalText(failure.column);
    return failure.detail.empty() ? FormatText(IDS_DAMAGE_AT, {line, column})
                                  : FormatText(IDS_DAMAGE_AT_REASON, {line, column, Clause(failure.detail)});
}

// The places the client itself would look in for its settings file, as they are now.
std::wstring PlacesLookedIn(const std::wstring& taken) {
    try {
        const std::wstring installed = ClientFilePath(kSettingsFileName);
        const std::wstring roaming = RoamingSettingsPath();
        return roaming.empty() || roaming == installed ? installed : FormatText(IDS_PLACES, {installed, roaming});
    } catch (...) {
        // The registry changed since the path was taken: the path taken is what was looked for.
        return taken;
    }
}

TParts PartsOf(const TTuneFailure& failure) {
    const std::wstring_view key = kClientKeyDisplayName;
    TParts parts;
    parts.file = failure.path;
    switch (failure.problem) {
        case TTuneProblem::None:
            break;
        case TTuneProblem::NoClient:
            parts.headline = LoadText(IDS_NO_CLIENT);
            parts.tail = FormatText(IDS_NO_CLIENT_TAIL, {key});
            parts.body = FormatText(IDS_NO_CLIENT_BODY, {key});
            break;
        case TTuneProblem::NoFile: {
            const std::wstring folder = framework::FolderOf(failure.path);
            if (!failure.path.empty() && GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
                parts.headline = LoadText(IDS_NO_FOLDER);
                parts.tail = LoadText(IDS_NO_FOLDER_TAIL);
                parts.body = FormatText(IDS_NO_FOLDER_BODY, {key});
                parts.file = folder;
                parts.problemWithFile = IDS_PROBLEM_FOLDER;
                break;
            }
            parts.headline = LoadText(IDS_NO_FILE);
            parts.tail = LoadText(IDS_NO_FILE_TAIL);
            parts.body = LoadText(IDS_NO_FILE_BODY);
            parts.file = PlacesLookedIn(failure.path);
            parts.sentenceWithFile = IDS_SENTENCE_LOOKED_FOR;
            parts.problemWithFile = IDS_PROBLEM_LOOKED_FOR;
            break;
        }
        case TTuneProblem::ClientRunning:
            parts.headline = LoadText(IDS_CLIENT_RUNNING);
            parts.tail = LoadText(IDS_CLIENT_RUNNING_TAIL);
            parts.body = LoadText(IDS_CLIENT_RUNNING_BODY);
            parts.problemWithFile = IDS_PROBLEM_PROGRAM;
            break;
        case TTuneProblem::InUse:
            parts.headline = LoadText(IDS_IN_USE);
            parts.tail = LoadText(IDS_IN_USE_TAIL);
            parts.body = LoadText(IDS_IN_USE_BODY);
            break;
        case TTuneProblem::AccessDenied:
            parts.headline = LoadText(IDS_ACCESS_DENIED);
            parts.tail = LoadText(IDS_ACCESS_DENIED_TAIL);
            parts.body = FormatText(IDS_ACCESS_DENIED_BODY, {SystemSays(failure.detail)});
            break;
        case TTuneProblem::ReadOnly:
            parts.headline = LoadText(IDS_READ_ONLY);
            parts.tail = LoadText(IDS_READ_ONLY_TAIL);
            parts.body = LoadText(IDS_READ_ONLY_BODY);
            break;
        case TTuneProblem::NotXml:
            // A settings file BitComet would not read: restored or replaced, it is the client's again.
            parts.headline = LoadText(IDS_NOT_XML);
            parts.tail = LoadText(IDS_NEW_SETTINGS_TAIL);
            parts.body = FormatText(IDS_NOT_XML_BODY, {Damage(failure), LoadText(IDS_NEW_SETTINGS_BODY)});
            break;
        case TTuneProblem::NoSettings:
            parts.headline = LoadText(IDS_NO_SETTINGS);
            parts.tail = LoadText(IDS_NEW_SETTINGS_TAIL);
            parts.body = FormatText(IDS_NO_SETTINGS_BODY, {LoadText(IDS_NEW_SETTINGS_BODY)});
            break;
        case TTuneProblem::NotVerified:
            parts.headline = LoadText(IDS_NOT_VERIFIED);
            parts.tail = LoadText(IDS_NOT_VERIFIED_TAIL);
            parts.body = failure.detail.empty() ? LoadText(IDS_NOT_VERIFIED_BODY)
                                                : FormatText(IDS_NOT_VERIFIED_BODY_REASON, {Clause(failure.detail)});
            break;
        case TTuneProblem::PathChanged:
            parts.headline = LoadText(IDS_PATH_CHANGED);
            parts.tail = LoadText(IDS_PATH_CHANGED_TAIL);
            parts.body = FormatText(IDS_PATH_CHANGED_BODY, {key});
            break;
        case TTuneProblem::Registry:
            parts.headline = LoadText(IDS_NOT_A_FOLDER);
            parts.tail = FormatText(IDS_NOT_A_FOLDER_TAIL, {Clause(failure.detail)});
            parts.body = FormatText(IDS_NOT_A_FOLDER_BODY, {Clause(failure.detail)});
            break;
        case TTuneProblem::DiskFull:
            parts.headline = LoadText(IDS_DISK_FULL);
            parts.tail = LoadText(IDS_DISK_FULL_TAIL);
            parts.body = LoadText(IDS_DISK_FULL_BODY);
            break;
        case TTuneProblem::Other:
            parts.headline = LoadText(IDS_OTHER);
            parts.tail = FormatText(IDS_OTHER_TAIL, {Clause(SystemSays(failure.detail))});
            parts.body = FormatText(IDS_OTHER_BODY, {SystemSays(failure.detail)});
            break;
    }
    return parts;
}

}  // namespace

TStatusReport TuneFailureReport(const TTuneFailure& failure) {
    if (failure.problem == TTuneProblem::None) {
        return {};
    }
    return Compose(PartsOf(failure));
}

TStatusReport LaunchFailureReport(const std::wstring& executable, unsigned long error) {
    const DWORD attributes = GetFileAttributesW(executable.c_str());
    const bool notFound = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                          error == ERROR_INVALID_NAME || error == ERROR_FILENAME_EXCED_RANGE;
    TParts parts;
    parts.headline = LoadText(IDS_LAUNCH);
    parts.file = executable;
    parts.problemWithFile = IDS_PROBLEM_PROGRAM;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && notFound &&
        executable.size() >= MAX_PATH) {
        // The system says only that it found nothing, of a program that is there.
        parts.tail = LoadText(IDS_LAUNCH_PATH_TOO_LONG_TAIL);
        parts.body = LoadText(IDS_LAUNCH_PATH_TOO_LONG_BODY);
        return Compose(parts);
    }
    std::wstring cause;
    if (attributes == INVALID_FILE_ATTRIBUTES && notFound) {
        cause = FormatText(IDS_LAUNCH_NO_PROGRAM, {kExecutableFileName});
    } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        cause = FormatText(IDS_LAUNCH_NOT_A_PROGRAM, {kExecutableFileName});
    } else {
        cause = Clause(framework::SystemErrorText(error), kExecutableFileName);
    }
    parts.tail = FormatText(IDS_LAUNCH_TAIL, {cause});
    parts.body = FormatText(IDS_LAUNCH_BODY, {cause});
    return Compose(parts);
}

std::wstring RestoreFailureText(const TTuneFailure& failure, bool tuned) {
    switch (failure.problem) {
        case TTuneProblem::None:
        case TTuneProblem::NoClient:
        case TTuneProblem::NoFile:
        case TTuneProblem::ClientRunning:
        // A file that does not read as settings was never tuned, and the start has said so already.
        case TTuneProblem::NotXml:
        case TTuneProblem::NoSettings:
            return {};
        case TTuneProblem::Registry:
            // Nothing was touched under a value that names no folder, unless a run came first.
            if (!tuned) {
                return {};
            }
            break;
        default:
            break;
    }
    return FormatText(tuned ? IDS_RESTORE_FAILED_TUNED : IDS_RESTORE_FAILED, {Problem(PartsOf(failure))});
}

}  // namespace ui
