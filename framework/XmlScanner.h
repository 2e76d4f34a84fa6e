// Where one element of an XML file and its element children lie in the file's bytes, as expat
// reports them while it reads the whole file. The document's own entities are never expanded and
// nothing outside the file is ever fetched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace framework {

// An element's name as the parser reports it: as written, and as namespaces give it meaning. It
// lives only as long as the call it is passed to.
struct TXmlName {
    std::wstring_view qualified;  // prefix, colon and local name, or the local name alone
    std::wstring_view local;
    std::wstring_view namespaceURI;  // empty outside every namespace
};

// Closes each name in a list of names held in one string; no XML name holds it.
inline constexpr wchar_t kXmlNameEnd = L'\x1';

// Whether a child goes, asked of each element child in order with its element's name beside it.
using TXmlChildFilter = std::function<bool(const TXmlName& element, const TXmlName& child)>;

// The document element's first element child, the element an edit works on, as far as the parser
// has read.
struct TXmlScan {
    std::size_t documentStart = 0;  // the document element's '<'
    bool found = false;             // false when the document element holds no element
    std::size_t elementStart = 0;
    std::size_t startTagEnd = 0;
    // Where its end tag starts; for an empty-element tag, where its "/>" starts.
    std::size_t contentEnd = 0;
    bool emptyTag = false;
    std::wstring elementQualified;
    std::wstring elementLocal;
    std::wstring elementNamespace;

    TXmlName ElementName() const { return {elementQualified, elementLocal, elementNamespace}; }
};

// One element child of the scanned element, told once its end tag is read.
struct TXmlChild {
    std::size_t start;  // its '<'
    std::size_t end;    // just past the '>' that closes it
    TXmlName name;
    std::wstring_view text;  // its text, where asked for
};

// Told of each child in turn; nothing is kept per child unless the visitor keeps it, since a
// settings file has thousands of them.
using TXmlChildVisitor = std::function<void(const TXmlScan& scan, const TXmlChild& child)>;

// Parses bytes whole, with unitSize bytes a character unit (2 for UTF-16, else 1), tells visit of
// each child and returns where the element lies. Raises EXmlParseError, with the parser's reason,
// line and column, when the bytes are not well-formed XML in the encoding they declare (or a code
// page Windows reads byte by byte), or when entities it refers to would expand beyond any
// settings file or into themselves; source names the bytes in the message.
TXmlScan ScanXml(std::span<const std::uint8_t> bytes,
                 std::size_t unitSize,
                 const TXmlChildVisitor& visit,
                 bool collectTexts,
                 const std::wstring& source);

}  // namespace framework
