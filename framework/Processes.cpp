#include "framework/Processes.h"

#include "framework/Win32.h"
#include <tlhelp32.h>

#include "framework/Files.h"
#include "framework/Handles.h"
#include "framework/Paths.h"

namespace framework {

namespace {

// The program file a process runs, or empty when the system does not say.
std::wstring ImagePath(DWORD processId) {
    const TKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) {
        return {};
    }
    std::wstring image(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = static_cast<DWORD>(image.size());
        if (QueryFullProcessImageNameW(process.Get(), 0, image.data(), &length)) {
            image.resize(length);
            break;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || image.size() >= 32768) {
            image.clear();
            break;
        }
        image.resize(image.size() * 2);
    }
    return image;
}

}  // namespace

bool IsProgramRunning(const std::wstring& path) {
    if (path.empty()) {
        return false;
    }
    const std::wstring final = FinalPath(path);
    const std::wstring names[] = {FileNameOf(path), FileNameOf(final)};
    const TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return false;
    }
    bool running = false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more && !running;
         more = Process32NextW(snapshot.Get(), &entry)) {
        // Only a process of the same file name can run the file; the others are not even opened.
        const std::wstring name = FileNameOf(entry.szExeFile);
        if (!SamePathText(name, names[0]) && !SamePathText(name, names[1])) {
            continue;
        }
        const std::wstring image = ImagePath(entry.th32ProcessID);
        running = !image.empty() &&
                  (SamePathText(image, path) || SamePathText(image, final) || SamePathText(FinalPath(image), final));
    }
    return running;
}

}  // namespace framework
