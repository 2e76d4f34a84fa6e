#include "framework/XmlScanner.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <unordered_map>

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

// An internal general entity as the document declares it, and how far it would expand.
struct Entity {
    std::size_t length = 0;
    std::vector<std::wstring> references;
    std::uint64_t expanded = 0;
    enum class State { New, Visiting, Done } state = State::New;
    std::size_t next = 0;
};

// Entities that stand for more text than this are refused: they are an attack, not settings.
constexpr std::uint64_t kMaxEntityExpansion = 1 << 20;

std::vector<std::wstring> EntityReferencesIn(std::wstring_view value) {
    std::vector<std::wstring> references;
    for (std::size_t at = value.find(L'&'); at != std::wstring_view::npos; at = value.find(L'&', at + 1)) {
        const std::size_t end = value.find(L';', at);
        if (end != std::wstring_view::npos && at + 1 < value.size() && value[at + 1] != L'#') {
            references.emplace_back(value.substr(at + 1, end - at - 1));
        }
    }
    return references;
}

// True when some entity would expand beyond kMaxEntityExpansion characters, or into itself. Walked
// with a stack of its own: a chain of entities as long as an attacker likes must not overflow ours.
bool EntitiesExpandTooFar(std::unordered_map<std::wstring, Entity>& entities) {
    std::vector<Entity*> stack;
    for (auto& [name, root] : entities) {
        if (root.state != Entity::State::New) {
            continue;
        }
        root.state = Entity::State::Visiting;
        stack.push_back(&root);
        while (!stack.empty()) {
            Entity& top = *stack.back();
            Entity* deeper = nullptr;
            for (; top.next < top.references.size() && deeper == nullptr; ++top.next) {
                const auto found = entities.find(top.references[top.next]);
                if (found == entities.end() || found->second.state == Entity::State::Done) {
                    continue;
                }
                if (found->second.state == Entity::State::Visiting) {
                    return true;
                }
                deeper = &found->second;
            }
            if (deeper != nullptr) {
                deeper->state = Entity::State::Visiting;
                stack.push_back(deeper);
                continue;
            }
            top.expanded = top.length;
            for (const std::wstring& reference : top.references) {
                if (const auto found = entities.find(reference); found != entities.end()) {
                    top.expanded = std::min(top.expanded + found->second.expanded, kMaxEntityExpansion + 1);
                }
            }
            if (top.expanded > kMaxEntityExpansion) {
                return true;
            }
            top.state = Entity::State::Done;
            stack.pop_back();
        }
    }
    return false;
}

class Scanner {
public:
    Scanner(std::size_t unitSize, const TXmlChildVisitor& visit, bool collectTexts)
        : m_unitSize(unitSize), m_visit(visit), m_collectTexts(collectTexts) {}

    TXmlScan Run(std::span<const std::uint8_t> bytes, const std::wstring& source) {
        if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
            throw EXmlError(L"The file " + source + L" is too large to read as XML");
        }
        const std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
            XML_ParserCreateNS(nullptr, kNameSeparator), &XML_ParserFree);
        if (!parser) {
            throw EOutOfResources(L"Out of memory while reading " + source);
        }
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
        XML_SetUnknownEncodingHandler(m_parser, &Scanner::OnUnknownEncoding, nullptr);
        XML_SetEntityDeclHandler(m_parser, &Scanner::OnEntityDeclaration);
        if (XML_Parse(m_parser, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()),
                      XML_TRUE) != XML_STATUS_OK) {
            throw Failure(source);
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
        // The declarations are all read by the time the document element starts.
        if (self.m_depth == 1 && EntitiesExpandTooFar(self.m_entities)) {
            self.m_entitiesTooLarge = true;
            XML_StopParser(self.m_parser, XML_FALSE);
        } else {
            self.StartElement(name);
        }
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
                                            const XML_Char* name,
                                            int isParameter,
                                            const XML_Char* value,
                                            int length,
                                            const XML_Char*,
                                            const XML_Char*,
                                            const XML_Char*,
                                            const XML_Char*) {
        if (isParameter == 0 && value != nullptr) {
            const std::wstring_view text(value, static_cast<std::size_t>(length));
            Of(data).m_entities[name] = {text.size(), EntityReferencesIn(text)};
        }
    }

    static int XMLCALL ConvertPair(void* codePage, const char* pair) {
        return DecodeCodePagePair(static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(codePage)), pair);
    }

    // The code pages Windows users' files are declared in, read through the system's own tables.
    static int XMLCALL OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
        const unsigned codePage = CodePageOfEncoding(ToUtf8(name));
        const std::vector<int> map = CodePageByteMap(codePage);
        if (map.empty()) {
            return XML_STATUS_ERROR;
        }
        std::copy(map.begin(), map.end(), info->map);
        info->data = reinterpret_cast<void*>(static_cast<std::uintptr_t>(codePage));
        info->convert = &Scanner::ConvertPair;
        info->release = nullptr;
        return XML_STATUS_OK;
    }

    EXmlParseError Failure(const std::wstring& source) const {
        const XML_Error code = XML_GetErrorCode(m_parser);
        std::wstring reason = m_entitiesTooLarge
                                  ? L"its entities would expand to more text than any settings file holds"
                              : XML_ErrorString(code) != nullptr ? XML_ErrorString(code)
                                                                 : L"";
        const auto line = static_cast<long>(XML_GetCurrentLineNumber(m_parser));
        const auto column = static_cast<long>(XML_GetCurrentColumnNumber(m_parser)) + 1;
        std::wstring message = L"Cannot parse " + source;
        if (!reason.empty()) {
            message += L": " + reason;
        }
        message += L" (line " + DecimalText(line) + L", column " + DecimalText(column) + L")";
        return EXmlParseError(std::move(message), std::move(reason), line, column, FaultOf(code));
    }

    TXmlFault FaultOf(XML_Error code) const {
        switch (code) {
            case XML_ERROR_NO_ELEMENTS:
                return m_sawElement ? TXmlFault::CutShort : TXmlFault::Empty;
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

    XML_Parser m_parser = nullptr;
    std::size_t m_unitSize;
    const TXmlChildVisitor& m_visit;
    bool m_collectTexts;
    TXmlScan m_scan;
    std::wstring m_scratch;
    std::size_t m_childStart = 0;
    std::wstring m_text;
    std::unordered_map<std::wstring, Entity> m_entities;
    bool m_entitiesTooLarge = false;
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
