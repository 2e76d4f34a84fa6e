#include "framework/Text.h"

#include "framework/Win32.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "framework/StringIds.h"

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
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
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

std::wstring HexText(std::uint64_t value, std::size_t digits) {
    std::wstring text(digits, L'0');
    for (auto digit = text.rbegin(); digit != text.rend() && value != 0; ++digit, value >>= 4) {
        *digit = L"0123456789abcdef"[value & 0xF];
    }
    return text;
}

std::wstring LoadText(unsigned id) {
    // Without a buffer the system hands out the text where it lies in the loaded image, so no
    // length limit applies.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

std::wstring FormatText(std::wstring_view pattern, std::initializer_list<std::wstring_view> arguments) {
    std::wstring text;
    text.reserve(pattern.size());
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        if (pattern[at] == L'%' && at + 1 < pattern.size() && pattern[at + 1] >= L'1' && pattern[at + 1] <= L'9') {
            if (const auto index = static_cast<std::size_t>(pattern[at + 1] - L'1'); index < arguments.size()) {
                text += arguments.begin()[index];
                ++at;
                continue;
            }
        }
        text += pattern[at];
    }
    return text;
}

std::wstring FormatText(unsigned id, std::initializer_list<std::wstring_view> arguments) {
    return FormatText(LoadText(id), arguments);
}

std::wstring SystemErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) {
        text.assign(buffer, length);
        LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        wchar_t digits[16];
        wsprintfW(digits, L"%08lX", code);
        text = FormatText(IDS_SYSTEM_ERROR_CODE, {digits});
    }
    return text;
}

}  // namespace framework
