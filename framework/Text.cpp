#include "framework/Text.h"

#include "framework/Win32.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace framework {

std::size_t CopyBounded(wchar_t* destination, std::size_t capacity, std::wstring_view source) noexcept {
    if (capacity == 0) {
        return 0;
    }
    const std::size_t count = std::min(source.size(), capacity - 1);
    std::copy_n(source.data(), count, destination);
    destination[count] = L'\0';
    return count;
}

std::size_t CopyBounded(char* destination, std::size_t capacity, std::string_view source) noexcept {
    if (capacity == 0) {
        return 0;
    }
    const std::size_t count = std::min(source.size(), capacity - 1);
    std::copy_n(source.data(), count, destination);
    destination[count] = '\0';
    return count;
}

std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                        nullptr);
    return result;
}

std::wstring FromUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

std::wstring DecimalText(long long value) {
    char digits[24];
    char* const end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
    return std::wstring(digits, end);
}

std::wstring FormatOne(std::wstring_view pattern, std::wstring_view argument) {
    std::wstring result(pattern);
    if (const auto at = result.find(L"%s"); at != std::wstring::npos) {
        result.replace(at, 2, argument);
    }
    return result;
}

std::wstring SystemErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) {
        text.assign(buffer, length);
        LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        wchar_t fallback[32];
        wsprintfW(fallback, L"Error 0x%08lX", code);
        text = fallback;
    }
    return text;
}

}  // namespace framework
