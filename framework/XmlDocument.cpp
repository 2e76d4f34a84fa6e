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
            OleCheck(document->put_preserveWhiteSpace(VARIANT_FALSE), L"Cannot set up the XML document");
            return document;
        }
    }
    throw EOleError(result,
                    L"No MSXML DOM document is available: " + SystemErrorText(static_cast<unsigned long>(result)));
}

std::wstring ParseFailure(IXMLDOMDocument* document, const std::wstring& source) {
    std::wstring message = L"Cannot parse " + source;
    ComPtr<IXMLDOMParseError> error;
    if (SUCCEEDED(document->get_parseError(error.Put())) && error) {
        Bstr reason;
        long line = 0;
        error->get_reason(reason.Put());
        error->get_line(&line);
        std::wstring text(reason.View());
        while (!text.empty() && std::iswspace(text.back())) {
            text.pop_back();
        }
        if (!text.empty()) {
            message += L": " + text;
        }
        if (line > 0) {
            message += L" (line " + std::to_wstring(line) + L")";
        }
    }
    return message;
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
        throw EXmlError(ParseFailure(document, source));
    }
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
    m_document = ComPtr<IUnknown>(std::move(document));
}

void TXMLDocument::SaveToFile(const std::wstring& path) const {
    const TEncodedXml encoded = FitDeclaredEncoding(Serialize(AsDocument(m_document)));
    ReplaceFileContents(path, encoded.bytes, [&](const std::vector<std::uint8_t>& written) {
        const ComPtr<IXMLDOMDocument> check = CreateDomDocument();
        Parse(check.Get(), written, path);
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
