#include "ui/FailureTexts.h"

#include "framework/Paths.h"
#include "framework/Text.h"
#include "framework/Win32.h"
#include "ui/ClientLocator.h"

#include <cwctype>

namespace ui {

namespace {

using framework::TXmlFault;

// Between the paragraphs of an explanation.
constexpr wchar_t kParagraph[] = L"\r\n\r\n";

// One failure in the pieces both texts are made of.
struct TParts {
    // Names the problem: the sentence's first clause and the explanation's first line.
    std::wstring headline;
    // The rest of the sentence, as clauses after the colon, without the file.
    std::wstring tail;
    // The explanation after its first line, as sentences in paragraphs.
    std::wstring body;
    // Which file, with how the sentence and the explanation introduce it; empty when none.
    std::wstring file;
    std::wstring fileInSentence;
    std::wstring fileLabel = L"File";
};

TStatusReport Compose(const TParts& parts) {
    const std::wstring file =
        parts.file.empty() ? std::wstring(L".") : L" (" + parts.fileInSentence + parts.file + L").";
    const std::wstring fileLine = parts.file.empty() ? std::wstring() : L"\r\n" + parts.fileLabel + L": " + parts.file;
    return {parts.headline + L": " + parts.tail + file, parts.headline + L"." + fileLine + kParagraph + parts.body};
}

// The system's words as part of a sentence: without their closing period, and with the file name
// where the system leaves a place for it.
std::wstring Clause(std::wstring text, std::wstring_view fileName = {}) {
    if (const std::size_t insert = text.find(L"%1"); insert != std::wstring::npos && !fileName.empty()) {
        text.replace(insert, 2, fileName);
    }
    while (!text.empty() && (text.back() == L'.' || text.back() == L' ' || text.back() == L'\r' ||
                             text.back() == L'\n')) {
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

std::wstring SystemSays(const std::wstring& detail) {
    return detail.empty() ? std::wstring(L"Windows gave no reason") : L"Windows says: " + Clause(detail);
}

// How a file that does not read as XML is damaged. The parser's own reasons speak of tokens and
// tags; what helps is whether the file is empty or cut short, or else where it goes wrong.
std::wstring Damage(const TTuneFailure& failure) {
    const std::wstring line = framework::DecimalText(failure.line);
    switch (failure.fault) {
        case TXmlFault::Empty:
            return L"It is empty.";
        case TXmlFault::CutShort:
            return L"It ends early, at line " + line + L", as a file does whose writing was cut off.";
        case TXmlFault::Encoding:
            return L"Its first line declares an encoding that Windows does not know, or one its content is not "
                   L"written in.";
        case TXmlFault::Malformed:
            break;
    }
    if (failure.line <= 0) {
        return L"It does not read as XML.";
    }
    return L"It stops being XML at line " + line + L", column " + framework::DecimalText(failure.column) +
           (failure.detail.empty() ? std::wstring(L".") : L" (the XML reader says: " + Clause(failure.detail) + L").");
}

// A settings file BitComet would not read: restored or replaced, it is the client's again.
constexpr wchar_t kNewSettingsTail[] =
    L"Torvane left it as it was; restore it from a backup, or move it away and start BitComet once and close it, "
    L"then click Run";
constexpr wchar_t kNewSettingsBody[] =
    L"Torvane left it as it was.\r\n\r\nRestore it from a backup, or move it out of its folder (keep it if you "
    L"like) and start BitComet once and close it, so that BitComet writes a new one; then click Run.";

// The places the client itself would look in for its settings file, as they are now.
std::wstring PlacesLookedIn(const std::wstring& taken, std::wstring_view separator) {
    try {
        const std::wstring installed = ClientFilePath(kSettingsFileName);
        const std::wstring roaming = RoamingSettingsPath();
        return roaming.empty() || roaming == installed ? installed : installed + std::wstring(separator) + roaming;
    } catch (...) {
        // The registry changed since the path was taken: the path taken is what was looked for.
        return taken;
    }
}

TParts PartsOf(const TTuneFailure& failure) {
    const std::wstring key = kClientKeyDisplayName;
    TParts parts;
    parts.file = failure.path;
    switch (failure.problem) {
        case TTuneProblem::None:
            break;
        case TTuneProblem::NoClient:
            parts.headline = L"BitComet is not installed for this user";
            parts.tail = L"the registry entry " + key + L" names no folder; install BitComet, then click Run";
            parts.body = L"The registry entry " + key +
                         L", where BitComet's installer notes its folder, names none. Torvane changed no file and "
                         L"started nothing." + kParagraph + L"Install BitComet for this Windows user, then click Run.";
            break;
        case TTuneProblem::NoFile: {
            const std::wstring folder = framework::FolderOf(failure.path);
            if (!failure.path.empty() && GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
                parts.headline = L"BitComet's folder does not exist";
                parts.tail = L"BitComet was moved or uninstalled; reinstall it, then click Run";
                parts.body = L"The registry entry " + key +
                             L" names a folder that is not there: BitComet was moved or uninstalled. Torvane changed "
                             L"no file and started nothing." + kParagraph +
                             L"Reinstall BitComet for this Windows user, then click Run.";
                parts.file = folder;
                parts.fileLabel = L"Folder";
                break;
            }
            parts.headline = L"BitComet has no settings file yet";
            parts.tail = L"start BitComet once and close it, then click Run";
            parts.body = L"BitComet writes its settings file when it closes." + std::wstring(kParagraph) +
                         L"Start BitComet once and close it, then click Run.";
            parts.file = PlacesLookedIn(failure.path, L" and ");
            parts.fileInSentence = L"looked for ";
            parts.fileLabel = L"Looked for";
            break;
        }
        case TTuneProblem::ClientRunning:
            parts.headline = L"BitComet is running";
            parts.tail = L"exit it from its notification-area icon's menu before you click Run, so that it starts "
                         L"with the new limits";
            parts.body = L"BitComet reads its settings when it starts and writes its own back when it exits, so the "
                         L"running BitComet would keep its old limits, and could not save your changes when it "
                         L"exits. Torvane changes the settings file only while BitComet is not running." +
                         std::wstring(kParagraph) +
                         L"Exit BitComet from its notification-area icon's menu, then click Run: Torvane tunes the "
                         L"settings and, with \"Auto Open BitComet\" ticked, starts BitComet with the new limits.";
            parts.fileLabel = L"Program";
            break;
        case TTuneProblem::InUse:
            parts.headline = L"The settings file is in use by another program";
            parts.tail = L"close the program that holds it, usually BitComet, then click Run";
            parts.body = L"Another program holds the file open, so it could not be replaced. Torvane left it as it "
                         L"was." + std::wstring(kParagraph) +
                         L"Close the program that holds it (usually BitComet, also from its notification-area "
                         L"icon; else an editor, a backup or a sync tool), then click Run.";
            break;
        case TTuneProblem::AccessDenied:
            parts.headline = L"Windows refused access to the settings file";
            parts.tail = L"make sure you may change it, then click Run";
            parts.body = SystemSays(failure.detail) + L". Torvane left the file as it was." + kParagraph +
                         L"Make sure your Windows user may change the file and its folder (Properties, Security), "
                         L"then click Run.";
            break;
        case TTuneProblem::ReadOnly:
            parts.headline = L"The settings file is read-only";
            parts.tail = L"clear its read-only attribute, then click Run";
            parts.body = L"Torvane could not make it writable and left it as it was." + std::wstring(kParagraph) +
                         L"Clear the Read-only box in the file's Properties, then click Run.";
            break;
        case TTuneProblem::NotXml:
            parts.headline = L"The settings file is damaged";
            parts.tail = kNewSettingsTail;
            parts.body = Damage(failure) + L" BitComet does not write such a file. " + kNewSettingsBody;
            break;
        case TTuneProblem::NoSettings:
            parts.headline = L"The settings file holds no settings";
            parts.tail = kNewSettingsTail;
            parts.body = L"It reads as XML, but it is not the settings file BitComet writes: there is no settings "
                         L"element in it. " + std::wstring(kNewSettingsBody);
            break;
        case TTuneProblem::NotVerified:
            parts.headline = L"The new settings did not read back as written";
            parts.tail = L"the settings file was left as it was; click Run to try again";
            parts.body = L"Torvane writes the new settings to a copy beside the file and reads the copy back before "
                         L"it takes the file's place. The copy read back differently" +
                         (failure.detail.empty() ? std::wstring() : L" (" + Clause(failure.detail) + L")") +
                         L", so it was removed and the settings file left as it was." + kParagraph +
                         L"Click Run to try again; if this happens again, check the disk.";
            break;
        case TTuneProblem::PathChanged:
            parts.headline = L"BitComet's folder changed meanwhile";
            parts.tail = L"the registry names another one now, so nothing was written; click Run again";
            parts.body = L"While Torvane worked, the registry entry " + key +
                         L" came to name another folder, as a reinstall does, so nothing was written." + kParagraph +
                         L"Click Run again: it works on the folder the registry names now.";
            break;
        case TTuneProblem::Registry:
            parts.headline = L"BitComet's registry entry does not name a folder";
            parts.tail = Clause(failure.detail) + L"; reinstall BitComet, then click Run";
            parts.body = Clause(failure.detail) + L". It should hold the full path of BitComet's folder, such as " +
                         L"C:\\Program Files\\BitComet. Torvane changed no file and started nothing." + kParagraph +
                         L"Reinstall BitComet for this Windows user, then click Run.";
            break;
        case TTuneProblem::DiskFull:
            parts.headline = L"There is no room left on the disk";
            parts.tail = L"the settings file's new copy did not fit; free some space on it, then click Run";
            parts.body = L"The new copy of the settings file did not fit beside it. Torvane left the file as it was." +
                         std::wstring(kParagraph) + L"Free some space on that disk, then click Run.";
            break;
        case TTuneProblem::Other:
            parts.headline = L"The settings file could not be changed";
            parts.tail = Clause(SystemSays(failure.detail)) + L"; click Run to try again";
            parts.body = SystemSays(failure.detail) + L". Torvane left the file as it was." + kParagraph +
                         L"Click Run to try again.";
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
    std::wstring cause;
    std::wstring remedy = L"reinstall BitComet, or start it yourself";
    if (attributes == INVALID_FILE_ATTRIBUTES && notFound) {
        cause = std::wstring(L"there is no ") + kExecutableFileName + L" in its folder";
    } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        cause = std::wstring(kExecutableFileName) + L" in its folder is a folder, not a program";
    } else if (attributes != INVALID_FILE_ATTRIBUTES && notFound && executable.size() >= MAX_PATH) {
        // The system says only that it found nothing, of a program that is there.
        cause = L"the path of its folder is too long for Windows to start a program from it";
        remedy = L"move BitComet to a folder with a shorter path, or start it yourself";
    } else {
        cause = Clause(framework::SystemErrorText(error), kExecutableFileName);
    }
    TParts parts;
    parts.headline = L"BitComet could not be started";
    parts.tail = cause + L"; the settings are tuned: " + remedy;
    parts.body = L"The settings are tuned, but Windows could not start BitComet: " + cause + L"." + kParagraph +
                 Capitalized(remedy) +
                 L": BitComet picks up the tuned settings when it starts.";
    parts.file = executable;
    parts.fileLabel = L"Program";
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
    const TParts parts = PartsOf(failure);
    return L"BitComet's settings could not be put back. " + parts.headline + L"." +
           (parts.file.empty() ? std::wstring() : L"\r\n" + parts.fileLabel + L": " + parts.file) + kParagraph +
           L"The settings file stays as it is" +
           (tuned ? L", tuned and read-only, so BitComet cannot save its own settings" : L"") +
           L". Once BitComet has closed, start Torvane again, and it puts them back.";
}

}  // namespace ui
