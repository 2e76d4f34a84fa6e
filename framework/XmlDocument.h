// TXMLDocument: edits the children of one element of an XML file in place. A parser finds where
// they lie in the file's bytes, and only the bytes an edit must change are changed: the rest of
// the file keeps its encoding, layout, references and everything else exactly as written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/XmlScanner.h"

namespace framework {

// An edit of the children of one element: the children that go, and the elements appended after
// them, each holding one text, in the element's own prefix and so its namespace.
struct TXmlChildEdit {
    TXmlChildFilter remove;
    struct Element {
        std::wstring localName;
        std::wstring text;
    };
    std::vector<Element> append;
};

// One edit worked out for one file, ready to be written. It holds the edited content only as long
// as it lives.
class TXmlFileEdit {
public:
    // False when the edit leaves every byte as it was; the file is then never written.
    bool Changes() const noexcept { return !m_splices.empty(); }
    const std::vector<std::uint8_t>& Bytes() const noexcept { return m_edited; }

    // Puts the edited content in the file's place in one step. The copy written beside it is read
    // back and checked first: it must be the edited content byte for byte, and each edited
    // stretch, parsed in the copy's own context (its prolog and the start tags around it), must
    // hold exactly the children meant, the appended ones with their texts. When that or any other
    // step fails, the file stays exactly as it was and an exception says why.
    void Write() const;

private:
    friend class TXMLDocument;

    // Bytes [start, end) of the original give way to replacement.
    struct Splice {
        std::size_t start;
        std::size_t end;
        std::vector<std::uint8_t> replacement;
    };
    // A stretch of the written copy around edits, from the start of a child that stays (or of the
    // element's content) to the end of one (or of the content), and the children it must hold.
    struct Stretch {
        std::size_t start;
        std::size_t end;
        std::wstring names;  // qualified, each closed by kXmlNameEnd
        bool holdsAppended;  // the appended elements are its last children
    };

    void Verify(const std::vector<std::uint8_t>& written) const;

    std::wstring m_path;
    std::vector<std::uint8_t> m_edited;
    std::vector<Splice> m_splices;
    std::size_t m_elementStart = 0;
    std::wstring m_elementName;
    // The written copy up to here opens every stretch, and m_closing closes it.
    std::size_t m_contextEnd = 0;
    std::vector<std::uint8_t> m_closing;
    std::vector<Stretch> m_stretches;
    std::vector<std::wstring> m_appendedTexts;
};

class TXMLDocument : public TComponent {
public:
    explicit TXMLDocument(TComponent* owner);

    // Reads the file at path and works out edit on the document element's first element child.
    // A child taken out takes the whitespace right before it along, so no empty line is left;
    // appended elements go after the element's last child, before the whitespace that precedes
    // its end tag, each after the whitespace that precedes its last element child that stays, so
    // that they sit on lines of their own with the file's own indentation. Raises EOSError when the
    // file cannot be read, EXmlParseError when it is not well-formed XML in the encoding it
    // declares, and EXmlError when the document element holds no element.
    TXmlFileEdit PlanEdit(const std::wstring& path, const TXmlChildEdit& edit) const;

    // The same, on bytes already read; source names them in messages.
    static TXmlFileEdit PlanEdit(std::vector<std::uint8_t> bytes, const TXmlChildEdit& edit, std::wstring source);
};

}  // namespace framework
