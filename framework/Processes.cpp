#include "framework/Processes.h"

#include "framework/Win32.h"
#include <tlhelp32.h>

#include <vector>

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

std::wstring RunningProgram(std::span<const std::wstring> paths) {
    struct Candidate {
        const std::wstring* path;
        std::wstring final;
    };
    std::vector<Candidate> candidates;
    for (const std::wstring& path : paths) {
        if (!path.empty()) {
            candidates.push_back({&path, FinalPath(path)});
        }
    }
    const TFileHandle snapshot(candidates.empty() ? INVALID_HANDLE_VALUE
                                                  : CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return {};
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        // Only a process of the same file name can run the file; the others are not even opened.
        const std::wstring name = FileNameOf(entry.szExeFile);
        std::wstring image;
        for (const Candidate& candidate : candidates) {
            if (!SamePathText(name, FileNameOf(*candidate.path)) && !SamePathText(name, FileNameOf(candidate.final))) {
                continue;
            }
            if (image.empty()) {
                image = ImagePath(entry.th32ProcessID);
                if (image.empty()) {
                    break;
                }
            }
            if (SamePathText(image, *candidate.path) || SamePathText(image, candidate.final) ||
                SamePathText(FinalPath(image), candidate.final)) {
                return *candidate.path;
            }
        }
    }
    return {};
}

}  // namespace framework
