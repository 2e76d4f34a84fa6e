#include "framework/Processes.h"

#include "framework/Win32.h"
#include <winternl.h>

#include <algorithm>
#include <memory>
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

// The session's processes as the system lists them, in one call, or null when it does not. A
// toolhelp snapshot is this same list copied into a mapping and read back an entry at a time:
// under Wine a view mapped and unmapped per process, some 3 ms of every start.
std::unique_ptr<std::byte[]> ProcessList() {
    constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    ULONG size = 256 * 1024;
    for (int attempt = 0; attempt < 8; ++attempt) {
        auto list = std::make_unique_for_overwrite<std::byte[]>(size);
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(SystemProcessInformation, list.get(), size, &needed);
        if (status == kInfoLengthMismatch) {
            // Processes may start between two calls: room to spare.
            size = std::max(size * 2, needed + needed / 4);
            continue;
        }
        return NT_SUCCESS(status) ? std::move(list) : nullptr;
    }
    return nullptr;
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
    const std::unique_ptr<std::byte[]> list = candidates.empty() ? nullptr : ProcessList();
    for (const std::byte* at = list.get(); at != nullptr;) {
        const auto& process = *reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(at);
        at = process.NextEntryOffset != 0 ? at + process.NextEntryOffset : nullptr;
        // Only a process of the same file name can run the file; the others are not even opened.
        const std::wstring_view name(process.ImageName.Buffer, process.ImageName.Length / sizeof(wchar_t));
        std::wstring image;
        for (const Candidate& candidate : candidates) {
            if (!SamePathText(name, FileNameOf(*candidate.path)) && !SamePathText(name, FileNameOf(candidate.final))) {
                continue;
            }
            if (image.empty()) {
                image = ImagePath(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(process.UniqueProcessId)));
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
