// The characters of an XML file as its bytes hold them: which encoding a file is in, what the
// parser needs for the Windows code pages it does not know itself, and new text written in the
// file's own encoding so that nothing around it has to be re-encoded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace framework {

// The value of the encoding declaration at the start of 8-bit serialised XML, or empty when
// there is none.
std::string DeclaredEncoding(std::span<const std::uint8_t> bytes);

// The Windows code page for an encoding name a declaration may give (compared without regard to
// case, aliases included: "GB2312", "Shift_JIS", "windows-1252", "cp1251", ...), or 0 when
// Windows has none that a parser can read byte by byte: a character's length must show in its
// first byte, and ASCII must stand for itself.
unsigned CodePageOfEncoding(std::string_view name);

// How a code page's bytes start characters, as the parser takes it: the character of each byte
// that stands alone, -1 for a byte that starts nothing, or -2 for the first byte of a two-byte
// character. Empty when the code page is not one CodePageOfEncoding gives.
std::vector<int> CodePageByteMap(unsigned codePage);

// The character of a two-byte sequence of the code page, or -1 when it is none.
int DecodeCodePagePair(unsigned codePage, const char* pair) noexcept;

// The layout of characters in a file: 8-bit units (UTF-8 or a code page), or 16-bit units in
// either byte order.
class TXmlCharset {
public:
    // Told by the byte order mark, the first characters and the declaration, as a parser tells
    // it. Bytes that turn out not to be in this encoding are the parser's to refuse.
    static TXmlCharset Of(std::span<const std::uint8_t> bytes);

    std::size_t UnitSize() const noexcept { return m_unitSize; }
    // A blank, tab, carriage return or line feed starts at offset, which must lie on a unit.
    bool IsWhitespaceAt(std::span<const std::uint8_t> bytes, std::size_t offset) const noexcept;
    // The whitespace run that ends at offset starts here (offset itself when there is none).
    std::size_t WhitespaceRunBefore(std::span<const std::uint8_t> bytes, std::size_t offset) const noexcept;

    // Appends text as the file would hold it. Markup is written as it stands and must be
    // representable; character data is escaped, and where the encoding has no byte for a
    // character it becomes a character reference. Raises EXmlError for text XML cannot carry.
    void AppendMarkup(std::vector<std::uint8_t>& out, std::wstring_view markup) const;
    void AppendCharacterData(std::vector<std::uint8_t>& out, std::wstring_view text) const;

private:
    enum class Kind { Utf8, Utf16LE, Utf16BE, CodePage };
    TXmlCharset(Kind kind, unsigned codePage) noexcept
        : m_kind(kind), m_codePage(codePage), m_unitSize(kind == Kind::Utf16LE || kind == Kind::Utf16BE ? 2 : 1) {}

    // False when the encoding has no bytes for some character of text.
    bool Append(std::vector<std::uint8_t>& out, std::wstring_view text) const;

    Kind m_kind;
    unsigned m_codePage;
    std::size_t m_unitSize;
};

}  // namespace framework
