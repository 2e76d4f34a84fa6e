// Small text helpers shared by the framework: bounded copies, conversions, the string table's
// texts and their placeholders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
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
// value in digits lower-case hexadecimal digits, zeros in front: HexText(0x2A, 4) is "002a".
std::wstring HexText(std::uint64_t value, std::size_t digits);

// The text of the executable's string table under id, whole whatever its length; empty when the
// table has none.
std::wstring LoadText(unsigned id);

// pattern with each placeholder %1 to %9 replaced by that argument, in one pass, so that an
// argument's own "%2" stays as it is. A placeholder without an argument stays as written.
std::wstring FormatText(std::wstring_view pattern, std::initializer_list<std::wstring_view> arguments);
// The same with the string table's text under id as the pattern.
std::wstring FormatText(unsigned id, std::initializer_list<std::wstring_view> arguments);

// The system's description of a Win32 error code or HRESULT, without the trailing line break.
std::wstring SystemErrorText(unsigned long code);

}  // namespace framework
