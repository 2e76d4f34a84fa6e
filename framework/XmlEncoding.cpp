#include "framework/XmlEncoding.h"

#include "framework/Win32.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "framework/Exceptions.h"
#include "framework/Text.h"

namespace framework {

namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() && std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lowered;
}

struct Alias {
    std::string_view name;
    unsigned codePage;
};

// The names files are declared with, as registered with IANA and as Windows programs write them.
// Names of the form windows-N, cpN, x-cpN, ibmN and msN need no entry. GB18030 is read as GBK:
// its four-byte characters do not read as GBK, so a file that has any is refused, not misread.
constexpr Alias kAliases[] = {
    {"iso-8859-1", 28591}, {"iso_8859-1", 28591}, {"latin1", 28591},       {"l1", 28591},
    {"iso-8859-2", 28592}, {"latin2", 28592},     {"iso-8859-3", 28593},   {"iso-8859-4", 28594},
    {"iso-8859-5", 28595}, {"iso-8859-6", 28596}, {"iso-8859-7", 28597},   {"iso-8859-8", 28598},
    {"iso-8859-9", 28599}, {"latin5", 28599},     {"iso-8859-13", 28603},  {"iso-8859-15", 28605},
    {"latin-9", 28605},    {"latin9", 28605},     {"us-ascii", 20127},     {"ascii", 20127},
    {"gb2312", 936},       {"gbk", 936},          {"gb18030", 936},        {"x-gbk", 936},
    {"euc-cn", 936},       {"csgb2312", 936},     {"gb_2312-80", 936},     {"big5", 950},
    {"x-x-big5", 950},     {"csbig5", 950},       {"shift_jis", 932},      {"shift-jis", 932},
    {"sjis", 932},         {"x-sjis", 932},       {"ms_kanji", 932},       {"csshiftjis", 932},
    {"windows-31j", 932},  {"euc-kr", 949},       {"ks_c_5601-1987", 949}, {"ks_c_5601", 949},
    {"ksc5601", 949},      {"koi8-r", 20866},     {"cskoi8r", 20866},      {"koi8-u", 21866},
    {"tis-620", 874},      {"iso-8859-11", 874},  {"macintosh", 10000},    {"x-mac-roman", 10000},
};

unsigned NamedCodePage(std::string_view name) {
    for (const Alias& alias : kAliases) {
        if (alias.name == name) {
            return alias.codePage;
        }
    }
    for (const std::string_view prefix : {"windows-", "x-cp", "cp", "ibm", "ms"}) {
        if (name.starts_with(prefix) && name.size() > prefix.size()) {
            unsigned number = 0;
            const char* end = name.data() + name.size();
            const auto [last, error] = std::from_chars(name.data() + prefix.size(), end, number);
            if (error == std::errc() && last == end) {
                return number;
            }
        }
    }
    return 0;
}

int DecodeByte(unsigned codePage, std::uint8_t byte) {
    const char single = static_cast<char>(byte);
    wchar_t character = 0;
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &single, 1, &character, 1) == 1 ? character : -1;
}

// A code page a parser can read byte by byte: no character longer than two bytes, the length of
// each told by its first byte, and ASCII standing for itself (the parser finds markup by it).
bool IsByteReadable(unsigned codePage) {
    CPINFO info{};
    if (codePage == CP_UTF8 || codePage == CP_UTF7 || !IsValidCodePage(codePage) || !GetCPInfo(codePage, &info) ||
        info.MaxCharSize > 2) {
        return false;
    }
    for (int byte = 0; byte < 0x80; ++byte) {
        if (DecodeByte(codePage, static_cast<std::uint8_t>(byte)) != byte) {
            return false;
        }
    }
    return true;
}

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

std::string DeclaredEncoding(std::span<const std::uint8_t> bytes) {
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

unsigned CodePageOfEncoding(std::string_view name) {
    const unsigned codePage = NamedCodePage(Lowered(name));
    return codePage != 0 && IsByteReadable(codePage) ? codePage : 0;
}

std::vector<int> CodePageByteMap(unsigned codePage) {
    CPINFO info{};
    if (!IsByteReadable(codePage) || !GetCPInfo(codePage, &info)) {
        return {};
    }
    std::vector<int> map(256);
    for (int byte = 0; byte < 256; ++byte) {
        map[byte] = DecodeByte(codePage, static_cast<std::uint8_t>(byte));
    }
    for (const BYTE* range = info.LeadByte; range[0] != 0 && range + 1 < std::end(info.LeadByte); range += 2) {
        std::fill(map.begin() + range[0], map.begin() + range[1] + 1, -2);
    }
    return map;
}

int DecodeCodePagePair(unsigned codePage, const char* pair) noexcept {
    wchar_t units[2] = {};
    const int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, pair, 2, units, 2);
    if (count == 1) {
        return units[0];
    }
    if (count == 2 && IS_HIGH_SURROGATE(units[0]) && IS_LOW_SURROGATE(units[1])) {
        return 0x10000 + ((units[0] - 0xD800) << 10) + (units[1] - 0xDC00);
    }
    return -1;
}

TXmlCharset TXmlCharset::Of(std::span<const std::uint8_t> bytes) {
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, std::string_view("<\0", 2))) {
        return {Kind::Utf16LE, 0};
    }
    if (StartsWith(bytes, "\xFE\xFF") || StartsWith(bytes, std::string_view("\0<", 2))) {
        return {Kind::Utf16BE, 0};
    }
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        return {Kind::Utf8, 0};
    }
    const std::string name = DeclaredEncoding(bytes);
    if (name.empty() || Lowered(name) == "utf-8") {
        return {Kind::Utf8, 0};
    }
    const unsigned codePage = CodePageOfEncoding(name);
    return codePage != 0 ? TXmlCharset(Kind::CodePage, codePage) : TXmlCharset(Kind::Utf8, 0);
}

bool TXmlCharset::IsWhitespaceAt(std::span<const std::uint8_t> bytes, std::size_t offset) const noexcept {
    if (offset + m_unitSize > bytes.size()) {
        return false;
    }
    unsigned unit = bytes[offset];
    if (m_kind == Kind::Utf16LE) {
        unit |= bytes[offset + 1] << 8;
    } else if (m_kind == Kind::Utf16BE) {
        unit = unit << 8 | bytes[offset + 1];
    }
    return unit == ' ' || unit == '\t' || unit == '\r' || unit == '\n';
}

std::size_t TXmlCharset::WhitespaceRunBefore(std::span<const std::uint8_t> bytes, std::size_t offset) const noexcept {
    // Safe backwards even in double-byte code pages: no second byte of theirs is whitespace.
    while (offset >= m_unitSize && IsWhitespaceAt(bytes, offset - m_unitSize)) {
        offset -= m_unitSize;
    }
    return offset;
}

bool TXmlCharset::Append(std::vector<std::uint8_t>& out, std::wstring_view text) const {
    if (text.empty()) {
        return true;
    }
    const int length = static_cast<int>(text.size());
    switch (m_kind) {
        case Kind::Utf16LE:
        case Kind::Utf16BE:
            for (const wchar_t unit : text) {
                const auto high = static_cast<std::uint8_t>(unit >> 8);
                const auto low = static_cast<std::uint8_t>(unit & 0xFF);
                out.push_back(m_kind == Kind::Utf16LE ? low : high);
                out.push_back(m_kind == Kind::Utf16LE ? high : low);
            }
            return true;
        case Kind::Utf8:
        case Kind::CodePage: {
            const unsigned codePage = m_kind == Kind::Utf8 ? CP_UTF8 : m_codePage;
            const DWORD flags = m_kind == Kind::Utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
            BOOL usedDefault = FALSE;
            BOOL* usedDefaultOut = m_kind == Kind::Utf8 ? nullptr : &usedDefault;
            const int size =
                WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultOut);
            if (size <= 0 || usedDefault) {
                return false;
            }
            const std::size_t at = out.size();
            out.resize(at + static_cast<std::size_t>(size));
            WideCharToMultiByte(codePage, flags, text.data(), length, reinterpret_cast<char*>(out.data() + at), size,
                                nullptr, nullptr);
            return true;
        }
    }
    return false;
}

void TXmlCharset::AppendMarkup(std::vector<std::uint8_t>& out, std::wstring_view markup) const {
    if (!Append(out, markup)) {
        throw EXmlError(L"The name " + std::wstring(markup) + L" cannot be written in the file's encoding");
    }
}

void TXmlCharset::AppendCharacterData(std::vector<std::uint8_t>& out, std::wstring_view text) const {
    for (std::size_t index = 0; index < text.size(); ++index) {
        std::wstring_view character = text.substr(index, 1);
        char32_t code = text[index];
        if (IS_HIGH_SURROGATE(text[index]) && index + 1 < text.size() && IS_LOW_SURROGATE(text[index + 1])) {
            character = text.substr(index++, 2);
            code = 0x10000 + ((character[0] - 0xD800) << 10) + (character[1] - 0xDC00);
        } else if (IS_HIGH_SURROGATE(text[index]) || IS_LOW_SURROGATE(text[index])) {
            code = 0xFFFF;  // half a pair: no character at all
        }
        if (!IsXmlChar(code)) {
            throw EXmlError(L"The text holds a character that XML cannot carry");
        }
        // A carriage return written as itself would be read back as a line feed.
        const std::wstring_view escape = code == L'&'    ? L"&amp;"
                                         : code == L'<'  ? L"&lt;"
                                         : code == L'>'  ? L"&gt;"
                                         : code == L'\r' ? L"&#13;"
                                                         : L"";
        if (!escape.empty()) {
            Append(out, escape);
        } else if (!Append(out, character)) {
            Append(out, L"&#" + DecimalText(code) + L";");
        }
    }
}

}  // namespace framework
