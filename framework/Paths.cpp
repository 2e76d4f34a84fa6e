#include "framework/Paths.h"

namespace framework {

namespace {

constexpr wchar_t kSeparators[] = L"\\/";

}  // namespace

std::wstring ModuleFileName(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        // A full buffer means the path may have been cut short: try again with more room.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring FolderOf(std::wstring_view path) {
    const auto separator = path.find_last_of(kSeparators);
    return separator == std::wstring_view::npos ? std::wstring(L".") : std::wstring(path.substr(0, separator + 1));
}

std::wstring FileNameOf(std::wstring_view path) {
    const auto separator = path.find_last_of(kSeparators);
    return std::wstring(separator == std::wstring_view::npos ? path : path.substr(separator + 1));
}

bool SamePathText(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace framework
