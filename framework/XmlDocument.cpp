#include "framework/XmlDocument.h"

#include "framework/Exceptions.h"
#include "framework/Files.h"
#include "framework/Text.h"
#include "framework/XmlEncoding.h"

#include <msxml2.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <new>
#include <vector>

namespace framework {

namespace {

// The first of these that the machine has registered is used.
constexpr const wchar_t* kDomProgIds[] = {
    L"Msxml2.DOMDocument.4.0",
    L"Msxml2.DOMDocument.3.0",
    L"Msxml2.DOMDocument.2.6",
    L"Msxml2.DOMDocument",
};

IXMLDOMNode* AsNode(const ComPtr<IUnknown>& node) {
    if (!node) {
        throw EXmlError(L"There is no XML node here");
    }
    return static_cast<IXMLDOMNode*>(node.Get());
}

IXMLDOMDocument* AsDocument(const ComPtr<IUnknown>& document) {
    if (!document) {
        throw EXmlError(L"The XML document is not active");
    }
    return static_cast<IXMLDOMDocument*>(document.Get());
}

template <class Getter>
std::wstring ReadNodeText(const ComPtr<IUnknown>& node, Getter getter) {
    Bstr text;
    OleCheck((AsNode(node)->*getter)(text.Put()), L"Cannot read an XML node");
    return std::wstring(text.View());
}

ComPtr<IXMLDOMDocument> CreateDomDocument() {
    HRESULT result = REGDB_E_CLASSNOTREG;
    for (const wchar_t* progId : kDomProgIds) {
        CLSID classId{};
        if (FAILED(CLSIDFromProgID(progId, &classId))) {
            continue;
        }
        ComPtr<IXMLDOMDocument> document;
        result = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, document.PutVoid());
        if (SUCCEEDED(result)) {
            OleCheck(document->put_async(VARIANT_FALSE), L"Cannot set up the XML document");
            OleCheck(document->put_validateOnParse(VARIANT_FALSE), L"Cannot set up the XML document");
            OleCheck(document->put_resolveExternals(VARIANT_FALSE), L"Cannot set up the XML document");
            // Kept as written: the library's own whitespace handling trims the text of values too.
            // The whitespace that only lays out the markup is dropped after the parse instead.
            OleCheck(document->put_preserveWhiteSpace(VARIANT_TRUE), L"Cannot set up the XML document");
            return document;
        }
    }
    throw EOleError(result,
                    L"No MSXML DOM document is available: " + SystemErrorText(static_cast<unsigned long>(result)));
}

EXmlParseError ParseFailure(IXMLDOMDocument* document, const std::wstring& source) {
    std::wstring message = L"Cannot parse " + source;
    std::wstring reason;
    long line = 0;
    ComPtr<IXMLDOMParseError> error;
    if (SUCCEEDED(document->get_parseError(error.Put())) && error) {
        Bstr text;
        error->get_reason(text.Put());
        error->get_line(&line);
        reason = text.View();
        while (!reason.empty() && std::iswspace(reason.back())) {
            reason.pop_back();
        }
        if (!reason.empty()) {
            message += L": " + reason;
        }
        if (line > 0) {
            message += L" (line " + std::to_wstring(line) + L")";
        }
    }
    return EXmlParseError(std::move(message), std::move(reason), std::max(line, 0L));
}

// The bytes go to MSXML as an array: given a path, it would take it for a URL, in which '#'
// and '%' mean something, and under Wine it copies a file or stream into memory in small steps
// that make a large file slow.
void Parse(IXMLDOMDocument* document, const std::vector<std::uint8_t>& bytes, const std::wstring& source) {
    Variant array;
    SAFEARRAY* data = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (data == nullptr) {
        throw EOutOfResources(L"Out of memory while reading " + source);
    }
    array.Get().vt = VT_ARRAY | VT_UI1;
    array.Get().parray = data;
    if (!bytes.empty()) {
        void* target = nullptr;
        OleCheck(SafeArrayAccessData(data, &target), L"Cannot read " + source);
        std::memcpy(target, bytes.data(), bytes.size());
        SafeArrayUnaccessData(data);
    }
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (document->load(array.Get(), &loaded) != S_OK || loaded != VARIANT_TRUE) {
        throw ParseFailure(document, source);
    }
}

DOMNodeType TypeOf(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    OleCheck(node->get_nodeType(&type), L"Cannot read an XML node");
    return type;
}

bool IsMarkup(DOMNodeType type) {
    return type == NODE_ELEMENT || type == NODE_COMMENT || type == NODE_PROCESSING_INSTRUCTION;
}

bool IsBlank(IXMLDOMNode* text) {
    Variant value;
    OleCheck(text->get_nodeValue(&value.Get()), L"Cannot read an XML node");
    if (value.Get().vt != VT_BSTR || value.Get().bstrVal == nullptr) {
        return false;
    }
    const std::wstring_view chars(value.Get().bstrVal, SysStringLen(value.Get().bstrVal));
    return chars.find_first_not_of(L" \t\r\n") == std::wstring_view::npos;
}

// Takes out the text that only lays out the markup: whitespace alone, standing beside an element,
// comment or processing instruction. A value's own whitespace, even a value of nothing else,
// stays as it was written. One walk over the elements, each child looked at with its neighbours:
// a query per text would go through a long list of settings again for each.
void DropLayoutWhitespace(IXMLDOMDocument* document) {
    ComPtr<IXMLDOMElement> root;
    OleCheck(document->get_documentElement(root.Put()), L"Cannot read the XML document");
    std::vector<ComPtr<IXMLDOMNode>> elements;
    if (root) {
        OleCheck(root->QueryInterface(IID_IXMLDOMNode, elements.emplace_back().PutVoid()),
                 L"Cannot read the XML document");
    }
    while (!elements.empty()) {
        const ComPtr<IXMLDOMNode> parent = std::move(elements.back());
        elements.pop_back();
        DOMNodeType before = NODE_INVALID;
        ComPtr<IXMLDOMNode> child;
        OleCheck(parent->get_firstChild(child.Put()), L"Cannot read an XML node");
        DOMNodeType type = child ? TypeOf(child.Get()) : NODE_INVALID;
        while (child) {
            ComPtr<IXMLDOMNode> next;
            OleCheck(child->get_nextSibling(next.Put()), L"Cannot read an XML node");
            const DOMNodeType after = next ? TypeOf(next.Get()) : NODE_INVALID;
            // A CDATA section is content written on purpose, whatever it holds.
            if (type == NODE_TEXT && (IsMarkup(before) || IsMarkup(after)) && IsBlank(child.Get())) {
                ComPtr<IXMLDOMNode> removed;
                OleCheck(parent->removeChild(child.Get(), removed.Put()), L"Cannot edit the XML document");
            } else {
                before = type;
                if (type == NODE_ELEMENT) {
                    elements.push_back(std::move(child));
                }
            }
            child = std::move(next);
            type = after;
        }
    }
}

// What the library cannot tell of a node (Wine leaves some getters unwritten) is the same for
// both copies, so it stands in the comparison as a mark of its own.
constexpr wchar_t kNotTold[] = L"\x1";

void AppendString(std::wstring& content, IXMLDOMNode* node, HRESULT (STDMETHODCALLTYPE IXMLDOMNode::*getter)(BSTR*)) {
    Bstr text;
    const HRESULT result = (node->*getter)(text.Put());
    if (result == E_NOTIMPL) {
        content += kNotTold;
        return;
    }
    OleCheck(result, L"Cannot read an XML node");
    content += text.View();
}

void AppendValue(std::wstring& content, IXMLDOMNode* node) {
    Variant value;
    const HRESULT result = node->get_nodeValue(&value.Get());
    if (result == E_NOTIMPL) {
        content += kNotTold;
        return;
    }
    OleCheck(result, L"Cannot read an XML node");
    if (value.Get().vt == VT_BSTR && value.Get().bstrVal != nullptr) {
        content.append(value.Get().bstrVal, SysStringLen(value.Get().bstrVal));
    }
}

// What a node holds apart from its children, appended to content: its kind, and its value or
// its name, namespace and attributes in order; a document type as the library writes it. Each
// part is closed by a NUL, which no XML text holds.
void AppendContent(std::wstring& content, IXMLDOMNode* node, DOMNodeType type) {
    content += static_cast<wchar_t>(L'0' + type);
    switch (type) {
    case NODE_ELEMENT: {
        AppendString(content, node, &IXMLDOMNode::get_nodeName);
        content += L'\0';
        AppendString(content, node, &IXMLDOMNode::get_namespaceURI);
        content += L'\0';
        // Walked rather than indexed: under Wine, indexing fails on a default namespace
        // declaration. What declarations mean shows in the namespaces compared.
        ComPtr<IXMLDOMNamedNodeMap> attributes;
        OleCheck(node->get_attributes(attributes.Put()), L"Cannot read an XML node");
        for (;;) {
            ComPtr<IXMLDOMNode> attribute;
            OleCheck(attributes->nextNode(attribute.Put()), L"Cannot read an XML node");
            if (!attribute) {
                break;
            }
            AppendString(content, attribute.Get(), &IXMLDOMNode::get_nodeName);
            content += L'\0';
            AppendString(content, attribute.Get(), &IXMLDOMNode::get_namespaceURI);
            content += L'\0';
            AppendValue(content, attribute.Get());
            content += L'\0';
        }
        break;
    }
    case NODE_PROCESSING_INSTRUCTION:
    case NODE_ENTITY_REFERENCE:
        AppendString(content, node, &IXMLDOMNode::get_nodeName);
        content += L'\0';
        AppendValue(content, node);
        break;
    case NODE_TEXT:
    case NODE_CDATA_SECTION:
    case NODE_COMMENT:
        AppendValue(content, node);
        break;
    case NODE_DOCUMENT_TYPE:
        AppendString(content, node, &IXMLDOMNode::get_xml);
        break;
    default:
        break;
    }
    content += L'\0';
}

// Everything under node, itself included, node by node in document order, with a mark where
// each node's children end, so that the same text means the same nodes in the same places. A
// document type's declarations are part of its written form.
void AppendSubtree(std::wstring& content, ComPtr<IXMLDOMNode> node) {
    std::vector<ComPtr<IXMLDOMNode>> ancestors;
    for (;;) {
        const DOMNodeType type = TypeOf(node.Get());
        AppendContent(content, node.Get(), type);
        ComPtr<IXMLDOMNode> child;
        if (type != NODE_DOCUMENT_TYPE) {
            OleCheck(node->get_firstChild(child.Put()), L"Cannot read an XML node");
        }
        if (child) {
            ancestors.push_back(std::exchange(node, std::move(child)));
            continue;
        }
        // Done with node: on to its next sibling, or up to where there is one.
        for (;;) {
            content += L'\x2';
            if (ancestors.empty()) {
                return;
            }
            ComPtr<IXMLDOMNode> next;
            OleCheck(node->get_nextSibling(next.Put()), L"Cannot read an XML node");
            if (next) {
                node = std::move(next);
                break;
            }
            node = std::move(ancestors.back());
            ancestors.pop_back();
        }
    }
}

// Everything a document holds, as AppendSubtree writes it. The document's own few children are
// taken by index: under Wine a document type has no next sibling to ask for. Everything below
// them is walked, as indexing a long list is slow there.
std::wstring TreeContent(IXMLDOMDocument* document, std::size_t expectedSize) {
    std::wstring content;
    content.reserve(expectedSize);
    ComPtr<IXMLDOMNodeList> top;
    long count = 0;
    OleCheck(document->get_childNodes(top.Put()), L"Cannot read the XML document");
    OleCheck(top->get_length(&count), L"Cannot read the XML document");
    for (long index = 0; index < count; ++index) {
        ComPtr<IXMLDOMNode> node;
        OleCheck(top->get_item(index, node.Put()), L"Cannot read the XML document");
        AppendSubtree(content, std::move(node));
    }
    return content;
}

// A stream over a buffer that grows geometrically. The system's memory streams grow by exactly
// what each write needs, which turns a large save quadratic under Wine.
class ByteStream final : public IStream {
public:
    std::vector<std::uint8_t>& Bytes() noexcept { return m_bytes; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISequentialStream) || IsEqualIID(iid, IID_IStream)) {
            *object = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Read(void* data, ULONG size, ULONG* read) override {
        const std::size_t count =
            m_position < m_bytes.size() ? std::min<std::size_t>(size, m_bytes.size() - m_position) : 0;
        if (count != 0) {
            std::memcpy(data, m_bytes.data() + m_position, count);
            m_position += count;
        }
        if (read != nullptr) {
            *read = static_cast<ULONG>(count);
        }
        return count == size ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG size, ULONG* written) override {
        try {
            if (m_position + size > m_bytes.size()) {
                m_bytes.resize(m_position + size);
            }
        } catch (const std::bad_alloc&) {
            return STG_E_MEDIUMFULL;
        }
        std::memcpy(m_bytes.data() + m_position, data, size);
        m_position += size;
        if (written != nullptr) {
            *written = size;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override {
        const LONGLONG base = origin == STREAM_SEEK_SET   ? 0
                              : origin == STREAM_SEEK_CUR ? static_cast<LONGLONG>(m_position)
                              : origin == STREAM_SEEK_END ? static_cast<LONGLONG>(m_bytes.size())
                                                          : -1;
        if (base < 0 || base + move.QuadPart < 0) {
            return STG_E_INVALIDFUNCTION;
        }
        m_position = static_cast<std::size_t>(base + move.QuadPart);
        if (position != nullptr) {
            position->QuadPart = m_position;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override {
        try {
            m_bytes.resize(static_cast<std::size_t>(size.QuadPart));
        } catch (const std::bad_alloc&) {
            return STG_E_MEDIUMFULL;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* statistics, DWORD) override {
        if (statistics == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        *statistics = STATSTG{};
        statistics->type = STGTY_STREAM;
        statistics->cbSize.QuadPart = m_bytes.size();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
    LONG m_references = 1;
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

// What the library writes for the document.
std::vector<std::uint8_t> Serialize(IXMLDOMDocument* document) {
    auto* stream = new ByteStream;
    ComPtr<IStream> holder;
    *holder.Put() = stream;
    VARIANT destination;
    VariantInit(&destination);
    destination.vt = VT_UNKNOWN;
    destination.punkVal = stream;
    OleCheck(document->save(destination), L"Cannot write the XML document");
    return std::move(stream->Bytes());
}

}  // namespace

TNodeType TXMLNode::NodeType() const {
    DOMNodeType type = NODE_INVALID;
    OleCheck(AsNode(m_node)->get_nodeType(&type), L"Cannot read an XML node");
    return static_cast<TNodeType>(type);
}

std::wstring TXMLNode::NodeName() const {
    return ReadNodeText(m_node, &IXMLDOMNode::get_nodeName);
}

std::wstring TXMLNode::NamespaceURI() const {
    return ReadNodeText(m_node, &IXMLDOMNode::get_namespaceURI);
}

std::wstring TXMLNode::Prefix() const {
    return ReadNodeText(m_node, &IXMLDOMNode::get_prefix);
}

std::wstring TXMLNode::Text() const {
    return ReadNodeText(m_node, &IXMLDOMNode::get_text);
}

std::wstring TXMLNode::Xml() const {
    return ReadNodeText(m_node, &IXMLDOMNode::get_xml);
}

TXMLNode TXMLNode::FirstChild() const {
    ComPtr<IXMLDOMNode> child;
    OleCheck(AsNode(m_node)->get_firstChild(child.Put()), L"Cannot read an XML node");
    return TXMLNode(std::move(child));
}

TXMLNode TXMLNode::NextSibling() const {
    ComPtr<IXMLDOMNode> sibling;
    OleCheck(AsNode(m_node)->get_nextSibling(sibling.Put()), L"Cannot read an XML node");
    return TXMLNode(std::move(sibling));
}

void TXMLNode::RemoveChild(const TXMLNode& child) {
    ComPtr<IXMLDOMNode> removed;
    OleCheck(AsNode(m_node)->removeChild(AsNode(child.m_node), removed.Put()), L"Cannot remove an XML node");
}

TXMLNode TXMLNode::AppendElement(std::wstring_view localName,
                                 std::wstring_view namespaceURI,
                                 std::wstring_view prefix) {
    IXMLDOMNode* parent = AsNode(m_node);
    // MSXML under Wine accepts an element under a text or comment node and then never writes it.
    if (NodeType() != TNodeType::ntElement) {
        throw EXmlError(L"A node of type " + NodeName() + L" cannot hold elements");
    }
    ComPtr<IXMLDOMDocument> document;
    OleCheck(parent->get_ownerDocument(document.Put()), L"Cannot create an XML element");
    std::wstring name =
        prefix.empty() ? std::wstring(localName) : std::wstring(prefix) + L":" + std::wstring(localName);
    VARIANT type;
    VariantInit(&type);
    type.vt = VT_I4;
    type.lVal = NODE_ELEMENT;
    ComPtr<IXMLDOMNode> created;
    OleCheck(document->createNode(type, Bstr(name).Get(), Bstr(namespaceURI).Get(), created.Put()),
             L"Cannot create the XML element " + name);
    ComPtr<IXMLDOMNode> appended;
    OleCheck(parent->appendChild(created.Get(), appended.Put()), L"Cannot append the XML element " + name);
    return TXMLNode(std::move(appended));
}

void TXMLNode::SetText(std::wstring_view text) {
    OleCheck(AsNode(m_node)->put_text(Bstr(text).Get()), L"Cannot set the text of an XML node");
}

TXMLDocument::TXMLDocument(TComponent* owner) : TComponent(owner) {}

TXMLDocument::~TXMLDocument() = default;

void TXMLDocument::SetProperty(std::wstring_view name, const PropertyValue& value) {
    if (name == L"DOMVendor") {
        if (PropertyAs<std::wstring_view>(value, Name(), name) != L"MSXML") {
            ThrowBadProperty(Name(), name);
        }
    } else {
        TComponent::SetProperty(name, value);
    }
}

void TXMLDocument::LoadFromFile(const std::wstring& path) {
    m_document.Reset();
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    // A new DOM document each time: under Wine, loading into one that holds a large document
    // costs more than creating a fresh one.
    ComPtr<IXMLDOMDocument> document = CreateDomDocument();
    Parse(document.Get(), bytes, path);
    DropLayoutWhitespace(document.Get());
    m_document = ComPtr<IUnknown>(std::move(document));
}

void TXMLDocument::SaveToFile(const std::wstring& path) const {
    IXMLDOMDocument* document = AsDocument(m_document);
    const TEncodedXml encoded = FitDeclaredEncoding(Serialize(document));
    const std::wstring content = TreeContent(document, encoded.bytes.size());
    ReplaceFileContents(path, encoded.bytes, [&](const std::vector<std::uint8_t>& written) {
        const ComPtr<IXMLDOMDocument> check = CreateDomDocument();
        try {
            Parse(check.Get(), written, path);
        } catch (const EXmlError&) {
            throw EXmlError(L"The copy written to " + path + L" does not read as XML");
        }
        if (TreeContent(check.Get(), content.size()) != content) {
            throw EXmlError(L"The copy written to " + path + L" does not hold what was to be saved");
        }
        if (encoded.needsRoundTrip && Serialize(check.Get()) != encoded.bytes) {
            throw EXmlError(L"The document would not read back the same from " + path);
        }
    });
}

TXMLNode TXMLDocument::DocumentElement() const {
    ComPtr<IXMLDOMElement> element;
    OleCheck(AsDocument(m_document)->get_documentElement(element.Put()), L"Cannot read the XML document");
    return TXMLNode(std::move(element));
}

}  // namespace framework
