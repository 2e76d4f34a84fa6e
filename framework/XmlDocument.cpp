#include "framework/XmlDocument.h"

#include <algorithm>
#include <span>

#include "framework/Exceptions.h"
#include "framework/Files.h"
#include "framework/XmlEncoding.h"

namespace framework {

namespace {

// The bytes of an element's qualified name in its start tag, and of the prefix within it.
struct NameBytes {
    std::span<const std::uint8_t> qualified;
    std::span<const std::uint8_t> prefix;
};

NameBytes NameBytesAt(std::span<const std::uint8_t> bytes, std::size_t start, const TXmlCharset& charset) {
    const std::size_t unit = charset.UnitSize();
    const auto isAscii = [&](std::size_t at, char c) {
        if (at + unit > bytes.size()) {
            return false;
        }
        return unit == 1 ? bytes[at] == c
                         : (bytes[at] == c && bytes[at + 1] == 0) || (bytes[at] == 0 && bytes[at + 1] == c);
    };
    // Every byte of these is below any trail byte of a double-byte code page.
    std::size_t end = start + unit;
    std::size_t colon = 0;
    while (end < bytes.size() && !charset.IsWhitespaceAt(bytes, end) && !isAscii(end, '/') && !isAscii(end, '>')) {
        if (colon == 0 && isAscii(end, ':')) {
            colon = end;
        }
        end += unit;
    }
    const std::span<const std::uint8_t> qualified = bytes.subspan(start + unit, end - start - unit);
    return {qualified,
            colon == 0 ? std::span<const std::uint8_t>() : bytes.subspan(start + unit, colon - start - unit)};
}

void AppendBytes(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// "</name>" in the file's encoding, the name as the file writes it.
void AppendEndTag(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> name, const TXmlCharset& charset) {
    charset.AppendMarkup(out, L"</");
    AppendBytes(out, name);
    charset.AppendMarkup(out, L">");
}

// Works out, child by child as the parser reads them, the ranges that go and the stretches of the
// original around them: from the start of the child that stays before a removed one (or the start
// of the content) to the end of the one that stays after it (or the end of the content).
class EditPlanner {
public:
    // A stretch of the original and the qualified names of the children it keeps, each closed by
    // kXmlNameEnd.
    struct Stretch {
        std::size_t start;
        std::size_t end;
        std::wstring names;
        bool holdsAppended = false;
    };

    EditPlanner(std::span<const std::uint8_t> bytes, const TXmlCharset& charset, const TXmlChildFilter& remove)
        : m_bytes(bytes), m_charset(charset), m_remove(remove) {}

    void Visit(const TXmlScan& scan, const TXmlChild& child) {
        if (m_remove && m_remove(scan.ElementName(), child.name)) {
            // The whitespace that leads up to it goes with it.
            m_removals.emplace_back(m_charset.WhitespaceRunBefore(m_bytes, child.start), child.end);
            if (!m_open) {
                m_open = true;
                const std::size_t from = m_lastKeptStart != SIZE_MAX ? m_lastKeptStart : scan.startTagEnd;
                // A stretch that already ends past the child that stays goes on instead.
                if (m_stretches.empty() || m_stretches.back().end <= from) {
                    m_stretches.push_back({from, 0, m_lastKeptName, false});
                }
            }
            return;
        }
        m_lastKeptStart = child.start;
        m_lastKeptName.assign(child.name.qualified);
        m_lastKeptName += kXmlNameEnd;
        if (m_open) {
            m_open = false;
            m_stretches.back().end = child.end;
            m_stretches.back().names += m_lastKeptName;
        }
    }

    // Once the element is read: the last stretch ends with the content, and the elements appended
    // there, named in appendedNames, are the last children of a stretch around them.
    void Finish(const TXmlScan& scan, const std::wstring& appendedNames) {
        if (!m_open && !appendedNames.empty()) {
            const std::size_t from = m_lastKeptStart != SIZE_MAX ? m_lastKeptStart : scan.startTagEnd;
            if (m_stretches.empty() || m_stretches.back().end <= from) {
                m_stretches.push_back({from, 0, m_lastKeptName, false});
            }
            m_open = true;
        }
        if (m_open) {
            m_stretches.back().end = scan.contentEnd;
            m_stretches.back().names += appendedNames;
            m_stretches.back().holdsAppended = !appendedNames.empty();
        }
    }

    const std::vector<std::pair<std::size_t, std::size_t>>& Removals() const noexcept { return m_removals; }
    const std::vector<Stretch>& Stretches() const noexcept { return m_stretches; }
    // Where the last child that stays starts; SIZE_MAX when none does.
    std::size_t LastKeptStart() const noexcept { return m_lastKeptStart; }

private:
    std::span<const std::uint8_t> m_bytes;
    const TXmlCharset& m_charset;
    const TXmlChildFilter& m_remove;
    std::vector<std::pair<std::size_t, std::size_t>> m_removals;
    std::vector<Stretch> m_stretches;
    std::size_t m_lastKeptStart = SIZE_MAX;
    std::wstring m_lastKeptName;
    bool m_open = false;
};

}  // namespace

TXMLDocument::TXMLDocument(TComponent* owner) : TComponent(owner) {}

TXmlFileEdit TXMLDocument::PlanEdit(const std::wstring& path, const TXmlChildEdit& edit) const {
    return PlanEdit(ReadFileBytes(path), edit, path);
}

TXmlFileEdit TXMLDocument::PlanEdit(std::vector<std::uint8_t> bytes, const TXmlChildEdit& edit, std::wstring source) {
    const TXmlCharset charset = TXmlCharset::Of(bytes);
    const std::size_t unit = charset.UnitSize();
    EditPlanner planner(bytes, charset, edit.remove);
    const TXmlScan scan = ScanXml(
        bytes, unit, [&](const TXmlScan& sofar, const TXmlChild& child) { planner.Visit(sofar, child); }, false,
        source);
    if (!scan.found) {
        throw EXmlError(L"The document element of " + source + L" holds no element");
    }
    const NameBytes name = NameBytesAt(bytes, scan.elementStart, charset);
    const NameBytes documentName = NameBytesAt(bytes, scan.documentStart, charset);

    TXmlFileEdit result;
    result.m_elementStart = scan.elementStart;
    result.m_elementName = scan.elementQualified;
    for (const auto& [start, end] : planner.Removals()) {
        result.m_splices.push_back({start, end, {}});
    }
    std::span<const std::uint8_t> indent;
    if (const std::size_t lastKept = planner.LastKeptStart(); lastKept != SIZE_MAX) {
        const std::size_t whitespace = charset.WhitespaceRunBefore(bytes, lastKept);
        indent = std::span<const std::uint8_t>(bytes).subspan(whitespace, lastKept - whitespace);
    }
    std::wstring appendedNames;
    if (!edit.append.empty()) {
        const std::wstring prefix =
            scan.elementQualified.substr(0, scan.elementQualified.size() - scan.elementLocal.size());
        std::vector<std::uint8_t> added;
        const auto appendTag = [&](std::wstring_view opening, const std::wstring& localName) {
            charset.AppendMarkup(added, opening);
            if (!name.prefix.empty()) {
                AppendBytes(added, name.prefix);
                charset.AppendMarkup(added, L":");
            }
            charset.AppendMarkup(added, localName);
            charset.AppendMarkup(added, L">");
        };
        for (const TXmlChildEdit::Element& element : edit.append) {
            AppendBytes(added, indent);
            appendTag(L"<", element.localName);
            charset.AppendCharacterData(added, element.text);
            appendTag(L"</", element.localName);
            appendedNames += prefix + element.localName + kXmlNameEnd;
            result.m_appendedTexts.push_back(element.text);
        }
        if (scan.emptyTag) {
            // "<Settings/>" opens to take them: only its "/>" changes.
            std::vector<std::uint8_t> opened;
            charset.AppendMarkup(opened, L">");
            AppendBytes(opened, added);
            AppendEndTag(opened, name.qualified, charset);
            result.m_splices.push_back({scan.contentEnd, scan.contentEnd + 2 * unit, std::move(opened)});
        } else {
            const std::size_t at = charset.WhitespaceRunBefore(bytes, scan.contentEnd);
            result.m_splices.push_back({at, at, std::move(added)});
        }
    }

    result.m_edited.reserve(bytes.size());
    std::size_t from = 0;
    for (const TXmlFileEdit::Splice& splice : result.m_splices) {
        result.m_edited.insert(result.m_edited.end(), bytes.begin() + static_cast<std::ptrdiff_t>(from),
                               bytes.begin() + static_cast<std::ptrdiff_t>(splice.start));
        AppendBytes(result.m_edited, splice.replacement);
        from = splice.end;
    }
    result.m_edited.insert(result.m_edited.end(), bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end());

    // What the check parses: the written copy's own start, up to the element's content (or up to
    // the element where its start tag changes), each stretch, and the end tags that close them.
    const auto written = [&](std::size_t offset, bool withInsertionThere) {
        std::ptrdiff_t shift = 0;
        for (const TXmlFileEdit::Splice& splice : result.m_splices) {
            if (splice.start < offset || (withInsertionThere && splice.start == offset)) {
                shift += static_cast<std::ptrdiff_t>(splice.replacement.size()) -
                         static_cast<std::ptrdiff_t>(splice.end - splice.start);
            }
        }
        return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(offset) + shift);
    };
    if (scan.emptyTag) {
        result.m_contextEnd = scan.elementStart;
        if (result.Changes()) {
            result.m_stretches.push_back(
                {scan.elementStart, written(scan.contentEnd + 2 * unit, false), appendedNames, true});
        }
    } else {
        result.m_contextEnd = scan.startTagEnd;
        AppendEndTag(result.m_closing, name.qualified, charset);
        planner.Finish(scan, appendedNames);
        for (const EditPlanner::Stretch& stretch : planner.Stretches()) {
            result.m_stretches.push_back(
                {written(stretch.start, false), written(stretch.end, true), stretch.names, stretch.holdsAppended});
        }
    }
    AppendEndTag(result.m_closing, documentName.qualified, charset);
    result.m_path = std::move(source);
    return result;
}

void TXmlFileEdit::Verify(const std::vector<std::uint8_t>& written) const {
    const auto fail = [&] { throw EXmlError(L"The copy written to " + m_path + L" does not hold what was meant"); };
    // What the disk gave back: a write cut short, a file system that changed a byte, another
    // program that wrote into the copy.
    if (written != m_edited) {
        fail();
    }

    // What the plan made of the file: each edited stretch, parsed where it stands, must hold
    // exactly the children meant, so that an edit that would break the document, lose a sibling or
    // put the settings outside their container is never swapped in. What lies between the stretches
    // is the original's, which parsed as it stands.
    const std::size_t unit = TXmlCharset::Of(written).UnitSize();
    for (const Stretch& stretch : m_stretches) {
        std::vector<std::uint8_t> document(written.begin(),
                                           written.begin() + static_cast<std::ptrdiff_t>(m_contextEnd));
        document.insert(document.end(), written.begin() + static_cast<std::ptrdiff_t>(stretch.start),
                        written.begin() + static_cast<std::ptrdiff_t>(stretch.end));
        AppendBytes(document, m_closing);
        std::wstring names;
        std::vector<std::wstring> texts;
        TXmlScan scan;
        try {
            scan = ScanXml(
                document, unit,
                [&](const TXmlScan&, const TXmlChild& child) {
                    names += child.name.qualified;
                    names += kXmlNameEnd;
                    texts.emplace_back(child.text);
                },
                true, m_path);
        } catch (const EXmlError&) {
            throw EXmlError(L"The copy written to " + m_path + L" does not read as XML");
        }
        if (!scan.found || scan.elementStart != m_elementStart || scan.elementQualified != m_elementName ||
            names != stretch.names) {
            fail();
        }
        const std::size_t appended = m_appendedTexts.size();
        if (stretch.holdsAppended &&
            (texts.size() < appended || !std::equal(m_appendedTexts.begin(), m_appendedTexts.end(),
                                                    texts.end() - static_cast<std::ptrdiff_t>(appended)))) {
            fail();
        }
    }
}

void TXmlFileEdit::Write() const {
    ReplaceFileContents(m_path, m_edited, [this](const std::vector<std::uint8_t>& written) { Verify(written); });
}

}  // namespace framework
