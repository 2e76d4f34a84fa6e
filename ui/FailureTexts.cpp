#include "ui/FailureTexts.h"

#include "framework/Win32.h"

#include <array>
#include <cstdint>

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

// How the sentence and the explanation's first lines name the file.
enum class TFileForm : std::uint8_t { File, LookedFor, Folder, Program };

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
    TFileForm form = TFileForm::File;
};

// The headline with the file: the explanation's first lines.
std::wstring Problem(const TParts& parts) {
    static constexpr unsigned kProblemWithFile[] = {IDS_PROBLEM_FILE, IDS_PROBLEM_LOOKED_FOR, IDS_PROBLEM_FOLDER,
                                                    IDS_PROBLEM_PROGRAM};
    return parts.file.empty()
               ? FormatText(IDS_PROBLEM, {parts.headline})
               : FormatText(kProblemWithFile[static_cast<int>(parts.form)], {parts.headline, parts.file});
}

TStatusReport Compose(const TParts& parts) {
    const unsigned withFile = parts.form == TFileForm::LookedFor ? IDS_SENTENCE_LOOKED_FOR : IDS_SENTENCE_FILE;
    const std::wstring sentence = parts.file.empty() ? FormatText(IDS_SENTENCE, {parts.headline, parts.tail})
                                                     : FormatText(withFile, {parts.headline, parts.tail, parts.file});
    return {sentence, Problem(parts) + kParagraph + parts.body};
}

// The system's words as part of a sentence: without their closing period (a Chinese Windows ends
// its messages in an ideographic one), and with the file name where the system leaves a place for it.
std::wstring Clause(std::wstring text, std::wstring_view fileName = {}) {
    if (const std::size_t insert = text.find(L"%1"); insert != std::wstring::npos && !fileName.empty()) {
        text.replace(insert, 2, fileName);
    }
    while (!text.empty() && std::wstring_view(L". \r\n\u3002").find(text.back()) != std::wstring_view::npos) {
        text.pop_back();
    }
    return text;
}

std::wstring WindowsSaysText(unsigned long code) {
    return code == 0 ? LoadText(IDS_WINDOWS_GAVE_NO_REASON)
                     : FormatText(IDS_WINDOWS_SAYS, {Clause(framework::SystemErrorText(code))});
}

// How a file that does not read as XML is damaged. The parser's own reasons speak of tokens and
// tags; what helps is whether the file is empty or cut short, or else where it goes wrong.
std::wstring DamageText(const TTuneResult& failure) {
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
    return failure.readerSays.empty() ? FormatText(IDS_DAMAGE_AT, {line, column})
                                      : FormatText(IDS_DAMAGE_AT_REASON, {line, column, Clause(failure.readerSays)});
}

// The kind of data a registry value of type holds, as the registry editor names it too.
std::wstring DataKind(unsigned long type) {
    switch (type) {
        case REG_DWORD:
        case REG_DWORD_BIG_ENDIAN:
            return LoadText(IDS_DATA_DWORD);
        case REG_QWORD:
            return LoadText(IDS_DATA_QWORD);
        case REG_MULTI_SZ:
            return LoadText(IDS_DATA_MULTI_SZ);
        case REG_BINARY:
            return LoadText(IDS_DATA_BINARY);
        case REG_NONE:
            return LoadText(IDS_DATA_NONE);
        default:
            return FormatText(IDS_DATA_OF_TYPE, {framework::DecimalText(type)});
    }
}

// What the registry value holds instead of a folder, as a clause that names the key.
std::wstring RegistryValueText(const TRegistryValue& value) {
    const std::wstring_view key = kClientKeyDisplayName;
    switch (value.problem) {
        case TFolderProblem::NotFullPath:
            return FormatText(IDS_FOLDER_NOT_FULL_PATH, {key, value.text});
        case TFolderProblem::NamesAFile:
            return FormatText(IDS_FOLDER_IS_FILE, {key, value.text});
        case TFolderProblem::WrongType:
            return FormatText(IDS_FOLDER_WRONG_TYPE, {key, DataKind(value.type)});
        case TFolderProblem::Unreadable:
        case TFolderProblem::None:
            break;
    }
    return FormatText(IDS_FOLDER_UNREADABLE, {key, value.text});
}

// What a problem's texts may be filled in with.
enum class TFact : std::uint8_t {
    Nothing,
    Key,                // the client's registry key
    WindowsSays,        // what the system said of its error code, or that it gave no reason
    Damage,             // how the file is damaged
    RegistryValue,      // what the registry value holds instead of a folder
    NewSettingsAdvice,  // how the user gets a settings file the client writes anew
    ReaderSays,         // what the XML reader said, empty when it said nothing
};

std::wstring FactText(TFact fact, const TTuneResult& failure) {
    switch (fact) {
        case TFact::Nothing:
            break;
        case TFact::Key:
            return kClientKeyDisplayName;
        case TFact::WindowsSays:
            return WindowsSaysText(failure.systemError);
        case TFact::Damage:
            return DamageText(failure);
        case TFact::RegistryValue:
            return Clause(RegistryValueText(failure.registry));
        case TFact::NewSettingsAdvice:
            return LoadText(IDS_NEW_SETTINGS_BODY);
        case TFact::ReaderSays:
            return failure.readerSays.empty() ? std::wstring() : Clause(failure.readerSays);
    }
    return {};
}

// Each problem's texts: its headline, the rest of its sentence and the body of its explanation,
// the facts that fill their placeholders (%1 and %2, in this order), and how the file is named.
struct TProblemTexts {
    TTuneProblem problem;
    unsigned headline;
    unsigned tail;
    TFact tailFact;
    unsigned body;
    std::array<TFact, 2> bodyFacts;
    TFileForm form = TFileForm::File;
    // The body where its first fact is not known; 0 when the body always has it.
    unsigned plainBody = 0;
};

using enum TTuneProblem;
using enum TFact;
// clang-format off
constexpr TProblemTexts kProblemTexts[] = {
    {NoClient, IDS_NO_CLIENT, IDS_NO_CLIENT_TAIL, Key, IDS_NO_CLIENT_BODY, {Key}},
    {Registry, IDS_NOT_A_FOLDER, IDS_NOT_A_FOLDER_TAIL, RegistryValue, IDS_NOT_A_FOLDER_BODY, {RegistryValue}},
    {NoFolder, IDS_NO_FOLDER, IDS_NO_FOLDER_TAIL, Nothing, IDS_NO_FOLDER_BODY, {Key}, TFileForm::Folder},
    {NoFile, IDS_NO_FILE, IDS_NO_FILE_TAIL, Nothing, IDS_NO_FILE_BODY, {}, TFileForm::LookedFor},
    {NotAFile, IDS_NOT_A_FILE, IDS_NOT_A_FILE_TAIL, Nothing, IDS_NOT_A_FILE_BODY, {}, TFileForm::Folder},
    {InUse, IDS_IN_USE, IDS_IN_USE_TAIL, Nothing, IDS_IN_USE_BODY, {}},
    {AccessDenied, IDS_ACCESS_DENIED, IDS_ACCESS_DENIED_TAIL, Nothing, IDS_ACCESS_DENIED_BODY, {WindowsSays}},
    {ReadOnly, IDS_READ_ONLY, IDS_READ_ONLY_TAIL, Nothing, IDS_READ_ONLY_BODY, {}},
    // A settings file BitComet would not read: restored or replaced, it is the client's again.
    {NotXml, IDS_NOT_XML, IDS_NEW_SETTINGS_TAIL, Nothing, IDS_NOT_XML_BODY, {Damage, NewSettingsAdvice}},
    {NoSettings, IDS_NO_SETTINGS, IDS_NEW_SETTINGS_TAIL, Nothing, IDS_NO_SETTINGS_BODY, {NewSettingsAdvice}},
    {NotVerified, IDS_NOT_VERIFIED, IDS_NOT_VERIFIED_TAIL, Nothing, IDS_NOT_VERIFIED_BODY_REASON, {ReaderSays},
     TFileForm::File, IDS_NOT_VERIFIED_BODY},
    {PathChanged, IDS_PATH_CHANGED, IDS_PATH_CHANGED_TAIL, Nothing, IDS_PATH_CHANGED_BODY, {Key}},
    {DiskFull, IDS_DISK_FULL, IDS_DISK_FULL_TAIL, Nothing, IDS_DISK_FULL_BODY, {}},
    {ClientRunning, IDS_CLIENT_RUNNING, IDS_CLIENT_RUNNING_TAIL, Nothing, IDS_CLIENT_RUNNING_BODY, {},
     TFileForm::Program},
    {Other, IDS_OTHER, IDS_OTHER_TAIL, WindowsSays, IDS_OTHER_BODY, {WindowsSays}},
};
// clang-format on

const TProblemTexts& TextsOf(TTuneProblem problem) {
    for (const TProblemTexts& texts : kProblemTexts) {
        if (texts.problem == problem) {
            return texts;
        }
    }
    return kProblemTexts[std::size(kProblemTexts) - 1];
}

// The places the client looks in for its settings file.
std::wstring PlacesLookedIn(const TTuneResult& failure) {
    return failure.otherPlace.empty() ? failure.path : FormatText(IDS_PLACES, {failure.path, failure.otherPlace});
}

TParts PartsOf(const TTuneResult& failure) {
    const TProblemTexts& texts = TextsOf(failure.problem);
    TParts parts;
    parts.headline = LoadText(texts.headline);
    parts.tail = FormatText(texts.tail, {FactText(texts.tailFact, failure)});
    const std::wstring first = FactText(texts.bodyFacts[0], failure);
    parts.body = texts.plainBody != 0 && first.empty()
                     ? LoadText(texts.plainBody)
                     : FormatText(texts.body, {first, FactText(texts.bodyFacts[1], failure)});
    parts.file = texts.form == TFileForm::LookedFor ? PlacesLookedIn(failure) : failure.path;
    parts.form = texts.form;
    return parts;
}

}  // namespace

TStatusReport TuneFailureReport(const TTuneResult& failure) {
    if (failure.Succeeded()) {
        return {};
    }
    return Compose(PartsOf(failure));
}

TStatusReport LaunchFailureReport(const TLaunchResult& failure) {
    TParts parts;
    parts.headline = LoadText(IDS_LAUNCH);
    parts.file = failure.program;
    parts.form = TFileForm::Program;
    const std::wstring program = framework::FileNameOf(failure.program);
    std::wstring cause;
    switch (failure.problem) {
        case TLaunchProblem::None:
            return {};
        case TLaunchProblem::PathTooLong:
            parts.tail = LoadText(IDS_LAUNCH_PATH_TOO_LONG_TAIL);
            parts.body = LoadText(IDS_LAUNCH_PATH_TOO_LONG_BODY);
            return Compose(parts);
        case TLaunchProblem::NoProgram:
            cause = FormatText(IDS_LAUNCH_NO_PROGRAM, {program});
            break;
        case TLaunchProblem::NotAProgram:
            cause = FormatText(IDS_LAUNCH_NOT_A_PROGRAM, {program});
            break;
        case TLaunchProblem::Other:
            cause = Clause(framework::SystemErrorText(failure.systemError), program);
            break;
    }
    parts.tail = FormatText(IDS_LAUNCH_TAIL, {cause});
    parts.body = FormatText(IDS_LAUNCH_BODY, {cause});
    return Compose(parts);
}

std::wstring RestoreFailureText(const TTuneResult& failure, bool tuned) {
    switch (failure.problem) {
        case TTuneProblem::None:
        case TTuneProblem::NoClient:
        case TTuneProblem::NoFolder:
        case TTuneProblem::NoFile:
        case TTuneProblem::NotAFile:
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
