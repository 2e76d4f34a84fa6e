#include "framework/XmlScanner.h"

#include <algorithm>
#include <climits>
#include <memory>

#include <expat.h>

#include "framework/Exceptions.h"
#include "framework/Text.h"
#include "framework/XmlEncoding.h"

namespace framework {

namespace {

// Between namespace, local name and prefix in the names the parser reports; no XML name or
// namespace holds it.
constexpr XML_Char kNameSeparator = kXmlNameEnd;

// "namespace<sep>local<sep>prefix", "namespace<sep>local" or "local", as the parser gives it. A
// prefixed name is put together in scratch, which it then lives in.
TXmlName SplitName(std::wstring_view name, std::wstring& scratch) {
    const std::size_t first = name.find(kNameSeparator);
    if (first == std::wstring_view::npos) {
        return {name, name, {}};
    }
    const std::size_t second = name.find(kNameSeparator, first + 1);
    const std::wstring_view local =
        name.substr(first + 1, second == std::wstring_view::npos ? std::wstring_view::npos : second - first - 1);
    if (second == std::wstring_view::npos) {
        return {local, local, name.substr(0, first)};
    }
    scratch.assign(name.substr(second + 1));
    scratch += L':';
    scratch += local;
    return {scratch, local, name.substr(0, first)};
}

// A text the parser stopped at, in the terms of the document's damage.
TXmlFault FaultOf(XML_Error code, bool sawElement) {
    switch (code) {
        case XML_ERROR_NO_ELEMENTS:
            return sawElement ? TXmlFault::CutShort : TXmlFault::Empty;
        case XML_ERROR_UNCLOSED_TOKEN:
        case XML_ERROR_PARTIAL_CHAR:
        case XML_ERROR_UNCLOSED_CDATA_SECTION:
            return TXmlFault::CutShort;
        case XML_ERROR_UNKNOWN_ENCODING:
        case XML_ERROR_INCORRECT_ENCODING:
            return TXmlFault::Encoding;
        default:
            return TXmlFault::Malformed;
    }
}

EXmlParseError Failure(XML_Parser parser, bool sawElement, const std::wstring& source) {
    const XML_Error code = XML_GetErrorCode(parser);
    std::wstring reason = code == XML_ERROR_AMPLIFICATION_LIMIT_BREACH
                              ? L"its entities would expand to more text than any settings file holds"
                          : XML_ErrorString(code) != nullptr ? XML_ErrorString(code)
                                                             : L"";
    const auto line = static_cast<long>(XML_GetCurrentLineNumber(parser));
    const auto column = static_cast<long>(XML_GetCurrentColumnNumber(parser)) + 1;
    std::wstring message = L"Cannot parse " + source;
    if (!reason.empty()) {
        message += L": " + reason;
    }
    message += L" (line " + DecimalText(line) + L", column " + DecimalText(column) + L")";
    return EXmlParseError(std::move(message), std::move(reason), line, column, FaultOf(code, sawElement));
}

using TParser = std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)>;

TParser NewParser(XML_Parser parser, const std::wstring& source) {
    if (parser == nullptr) {
        throw EOutOfResources(L"Out of memory while reading " + source);
    }
    return TParser(parser, &XML_ParserFree);
}

int XMLCALL ConvertPair(void* codePage, const char* pair) {
    return DecodeCodePagePair(static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(codePage)), pair);
}

// The code pages Windows users' files are declared in, read through the system's own tables.
int XMLCALL OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
    const unsigned codePage = CodePageOfEncoding(ToUtf8(name));
    const std::vector<int> map = CodePageByteMap(codePage);
    if (map.empty()) {
        return XML_STATUS_ERROR;
    }
    std::copy(map.begin(), map.end(), info->map);
    info->data = reinterpret_cast<void*>(static_cast<std::uintptr_t>(codePage));
    info->convert = &ConvertPair;
    info->release = nullptr;
    return XML_STATUS_OK;
}

bool Parse(XML_Parser parser, std::span<const std::uint8_t> bytes) {
    return XML_Parse(parser, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), XML_TRUE) ==
           XML_STATUS_OK;
}

// The scan keeps references to the document's own entities unexpanded, so expat's protection
// against entities that expand a billion times never sees them; a document that declares any is
// read once more with its entities expanded, where that protection (on by default in a build with
// XML_DTD) refuses what amplifies beyond any settings file, and expat refuses an entity that
// refers to itself. Only what the document uses is expanded, as the client's own reader would.
void CheckEntityExpansion(std::span<const std::uint8_t> bytes, const std::wstring& source) {
    const TParser parser = NewParser(XML_ParserCreate(nullptr), source);
    XML_SetUnknownEncodingHandler(parser.get(), &OnUnknownEncoding, nullptr);
    if (!Parse(parser.get(), bytes)) {
        throw Failure(parser.get(), true, source);
    }
}

class Scanner {
public:
    Scanner(std::size_t unitSize, const TXmlChildVisitor& visit, bool collectTexts)
        : m_unitSize(unitSize), m_visit(visit), m_collectTexts(collectTexts) {}

    TXmlScan Run(std::span<const std::uint8_t> bytes, const std::wstring& source) {
        if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
            throw EXmlError(L"The file " + source + L" is too large to read as XML");
        }
        const TParser parser = NewParser(XML_ParserCreateNS(nullptr, kNameSeparator), source);
        m_parser = parser.get();
        XML_SetUserData(m_parser, this);
        XML_SetReturnNSTriplet(m_parser, XML_TRUE);
        XML_SetElementHandler(m_parser, &Scanner::OnStart, &Scanner::OnEnd);
        if (m_collectTexts) {
            XML_SetCharacterDataHandler(m_parser, &Scanner::OnText);
        }
        // Setting the default handler, even to none, leaves references to the entities a document
        // declares unexpanded: every position reported is one in the file, and no declaration can
        // make the content grow. Without a handler, text nobody asked for costs nothing.
        XML_SetDefaultHandler(m_parser, nullptr);
        XML_SetUnknownEncodingHandler(m_parser, &OnUnknownEncoding, nullptr);
        XML_SetEntityDeclHandler(m_parser, &Scanner::OnEntityDeclaration);
        if (!Parse(m_parser, bytes)) {
            throw Failure(m_parser, m_sawElement, source);
        }
        if (m_declaresEntities) {
            CheckEntityExpansion(bytes, source);
        }
        return std::move(m_scan);
    }

private:
    static Scanner& Of(void* data) { return *static_cast<Scanner*>(data); }

    std::size_t Index() const { return static_cast<std::size_t>(XML_GetCurrentByteIndex(m_parser)); }
    std::size_t EventEnd() const { return Index() + static_cast<std::size_t>(XML_GetCurrentByteCount(m_parser)); }

    void StartElement(const XML_Char* reported) {
        TXmlScan& scan = m_scan;
        if (m_depth == 1) {
            scan.documentStart = Index();
        } else if (m_depth == 2 && !scan.found) {
            const TXmlName name = SplitName(reported, m_scratch);
            scan.found = true;
            m_inElement = true;
            scan.elementStart = Index();
            scan.startTagEnd = EventEnd();
            scan.elementQualified = name.qualified;
            scan.elementLocal = name.local;
            scan.elementNamespace = name.namespaceURI;
        } else if (m_depth == 3 && m_inElement) {
            m_childStart = Index();
            m_collecting = m_collectTexts;
            m_text.clear();
        }
    }

    void EndElement(const XML_Char* reported) {
        // The end of an empty-element tag is reported at the tag's end, as an event of no bytes.
        if (m_depth == 3 && m_inElement) {
            m_collecting = false;
            if (m_visit) {
                m_visit(m_scan, {m_childStart, EventEnd(), SplitName(reported, m_scratch), m_text});
            }
        } else if (m_depth == 2 && m_inElement) {
            m_inElement = false;
            m_scan.emptyTag = XML_GetCurrentByteCount(m_parser) == 0;
            m_scan.contentEnd = m_scan.emptyTag ? Index() - 2 * m_unitSize : Index();
        }
    }

    static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char**) {
        Scanner& self = Of(data);
        ++self.m_depth;
        self.m_sawElement = true;
        self.StartElement(name);
    }

    static void XMLCALL OnEnd(void* data, const XML_Char* name) {
        Scanner& self = Of(data);
        self.EndElement(name);
        --self.m_depth;
    }

    static void XMLCALL OnText(void* data, const XML_Char* text, int length) {
        Scanner& self = Of(data);
        if (self.m_collecting) {
            self.m_text.append(text, static_cast<std::size_t>(length));
        }
    }

    static void XMLCALL OnEntityDeclaration(void* data,
                                            const XML_Char*,
                                            int isParameter,
                                            const XML_Char* value,
                                            int,
                                            const XML_Char*,
                                            const XML_Char*,
                                            const XML_Char*,
                                            const XML_Char*) {
        // An internal general entity: one the content may refer to.
        if (isParameter == 0 && value != nullptr) {
            Of(data).m_declaresEntities = true;
        }
    }

    XML_Parser m_parser = nullptr;
    std::size_t m_unitSize;
    const TXmlChildVisitor& m_visit;
    bool m_collectTexts;
    TXmlScan m_scan;
    std::wstring m_scratch;
    std::size_t m_childStart = 0;
    std::wstring m_text;
    bool m_declaresEntities = false;
    int m_depth = 0;
    bool m_sawElement = false;
    bool m_inElement = false;
    bool m_collecting = false;
};

}  // namespace

TXmlScan ScanXml(std::span<const std::uint8_t> bytes,
                 std::size_t unitSize,
                 const TXmlChildVisitor& visit,
                 bool collectTexts,
                 const std::wstring& source) {
    return Scanner(unitSize, visit, collectTexts).Run(bytes, source);
}

}  // namespace framework
