#include "framework/XmlEncoding.h"

#include "framework/Exceptions.h"
#include "framework/Win32.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace framework {

namespace {

bool StartsWith(const std::vector<std::uint8_t>& bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() && std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

bool EqualsIgnoringCase(std::string_view left, std::string_view right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

std::vector<std::uint8_t> Utf8ToUtf16WithBom(const std::vector<std::uint8_t>& utf8) {
    const char* text = reinterpret_cast<const char*>(utf8.data());
    const int length = static_cast<int>(utf8.size());
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
    if (units <= 0) {
        throw EXmlError(L"The document declared as UTF-16 was written neither as UTF-16 nor as UTF-8");
    }
    std::vector<std::uint8_t> result(2 + static_cast<std::size_t>(units) * sizeof(wchar_t));
    result[0] = 0xFF;
    result[1] = 0xFE;
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, reinterpret_cast<wchar_t*>(result.data() + 2),
                        units);
    return result;
}

}  // namespace

std::string DeclaredEncoding(const std::vector<std::uint8_t>& bytes) {
    if (!StartsWith(bytes, "<?xml")) {
        return {};
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string_view declaration = text.substr(0, text.find("?>"));
    auto at = declaration.find("encoding");
    if (at == std::string_view::npos) {
        return {};
    }
    at = declaration.find_first_of("\"'", at);
    if (at == std::string_view::npos) {
        return {};
    }
    const auto end = declaration.find(declaration[at], at + 1);
    if (end == std::string_view::npos) {
        return {};
    }
    return std::string(declaration.substr(at + 1, end - at - 1));
}

TEncodedXml FitDeclaredEncoding(std::vector<std::uint8_t> written) {
    if (StartsWith(written, "\xFF\xFE") || StartsWith(written, "\xFE\xFF") || StartsWith(written, "\xEF\xBB\xBF")) {
        return {std::move(written), false};
    }
    if (std::find(written.begin(), written.end(), 0) != written.end()) {
        // UTF-16 without a byte-order mark, or something else again: not 8-bit text.
        return {std::move(written), true};
    }
    const std::string encoding = DeclaredEncoding(written);
    if (encoding.empty() || EqualsIgnoringCase(encoding, "UTF-8")) {
        return {std::move(written), false};
    }
    if (EqualsIgnoringCase(encoding, "UTF-16")) {
        return {Utf8ToUtf16WithBom(written), false};
    }
    // Plain ASCII reads the same in every 8-bit encoding. Beyond it, only a library that writes
    // the declared encoding gives bytes that read back as they were meant; MSXML under Wine
    // writes UTF-8 whatever the declaration says.
    const bool ascii = std::all_of(written.begin(), written.end(), [](std::uint8_t byte) { return byte < 0x80; });
    return {std::move(written), !ascii};
}

}  // namespace framework
