// Small text helpers shared by the framework: bounded copies, conversions, message formatting.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace framework {

// Copies as much of source as fits into a fixed buffer of capacity characters and always
// terminates it. Returns the number of characters copied.
std::size_t CopyBounded(wchar_t* destination, std::size_t capacity, std::wstring_view source) noexcept;
std::size_t CopyBounded(char* destination, std::size_t capacity, std::string_view source) noexcept;

template <std::size_t N>
std::size_t CopyBounded(wchar_t (&destination)[N], std::wstring_view source) noexcept {
    return CopyBounded(destination, N, source);
}

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// value in decimal digits, as std::to_wstring writes it; std::to_wstring would bring the C
// runtime's whole printf engine into the program for it.
std::wstring DecimalText(long long value);

// Replaces the first "%s" in pattern with argument.
std::wstring FormatOne(std::wstring_view pattern, std::wstring_view argument);

// The system's description of a Win32 error code or HRESULT, without the trailing line break.
std::wstring SystemErrorText(unsigned long code);

}  // namespace framework
