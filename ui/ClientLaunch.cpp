#include "ui/ClientLaunch.h"

#include "framework/Win32.h"

#include "framework/Handles.h"

namespace ui {

namespace {

// path, or where it has MAX_PATH characters or more, its short form where the volume keeps one that
// is shorter; empty when there is none.
std::wstring WithinMaxPath(const std::wstring& path) {
    if (path.size() < MAX_PATH) {
        return path;
    }
    std::wstring shortForm(GetShortPathNameW(path.c_str(), nullptr, 0), L'\0');
    if (!shortForm.empty()) {
        shortForm.resize(GetShortPathNameW(path.c_str(), shortForm.data(), static_cast<DWORD>(shortForm.size())));
    }
    return shortForm.size() < MAX_PATH ? shortForm : std::wstring();
}

// No program starts from a path of MAX_PATH characters or more: the short form, or else the
// long-path form may still reach it.
std::wstring StartablePath(const std::wstring& path) {
    if (std::wstring within = WithinMaxPath(path); !within.empty()) {
        return within;
    }
    if (path.starts_with(L"\\\\?\\")) {
        return path;
    }
    return path.starts_with(L"\\\\") ? L"\\\\?\\UNC\\" + path.substr(2) : L"\\\\?\\" + path;
}

bool IsNotFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
           error == ERROR_FILENAME_EXCED_RANGE;
}

// What stood in the way, told from what is at the program's path now: the system says only that it
// found nothing, also of a program that is there but out of its reach.
TLaunchProblem ProblemOf(const std::wstring& program, DWORD error) {
    const DWORD attributes = GetFileAttributesW(program.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return IsNotFound(error) ? TLaunchProblem::NoProgram : TLaunchProblem::Other;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return TLaunchProblem::NotAProgram;
    }
    return IsNotFound(error) && program.size() >= MAX_PATH ? TLaunchProblem::PathTooLong : TLaunchProblem::Other;
}

}  // namespace

TLaunchResult StartClient(const TClientFiles& files) {
    TLaunchResult result;
    result.program = files.executable;
    const std::wstring program = StartablePath(files.executable);
    // The path goes in as the program to run and, quoted, as the command line, so that a folder
    // with blanks in its name can never start another program.
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    // The client starts in its own folder, as its shortcut starts it, whatever folder this program
    // works in. A folder that no current directory can name leaves it this program's.
    const std::wstring folder = WithinMaxPath(files.folder);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        result.systemError = GetLastError();
        result.problem = ProblemOf(files.executable, result.systemError);
        return result;
    }
    // Nothing waits for the client: its handles go at once.
    const framework::TKernelHandle thread(process.hThread);
    const framework::TKernelHandle started(process.hProcess);
    return result;
}

}  // namespace ui
