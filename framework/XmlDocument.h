// TXMLDocument: an XML document over the platform's MSXML DOM, read from a file and written back
// to one without ever leaving a damaged file behind.
#pragma once

#include "framework/Com.h"
#include "framework/Component.h"

#include <string>
#include <string_view>

namespace framework {

// The DOM's node types, numbered as the DOM numbers them.
enum class TNodeType : int {
    ntElement = 1,
    ntAttribute,
    ntText,
    ntCData,
    ntEntityRef,
    ntEntity,
    ntProcessingInstr,
    ntComment,
    ntDocument,
    ntDocType,
    ntDocFragment,
    ntNotation,
};

// A node of a loaded document, or no node at all. The handle keeps the node alive; the node
// belongs to its document.
class TXMLNode {
public:
    TXMLNode() noexcept = default;

    explicit operator bool() const noexcept { return static_cast<bool>(m_node); }

    TNodeType NodeType() const;
    // The DOM node name: for an element its qualified name as written, prefix included; for
    // text and comments "#text" and "#comment".
    std::wstring NodeName() const;
    // Empty when the node has no namespace or no prefix.
    std::wstring NamespaceURI() const;
    std::wstring Prefix() const;
    std::wstring Text() const;
    // The node written out as the library writes it.
    std::wstring Xml() const;

    // No node when there is none.
    TXMLNode FirstChild() const;
    TXMLNode NextSibling() const;

    // Takes child out of this node and out of the document.
    void RemoveChild(const TXMLNode& child);
    // Appends an element named localName, or prefix:localName when a prefix is given, in the
    // namespace namespaceURI. Only an element takes element children: on any other node it
    // raises EXmlError, whatever the library would let through.
    TXMLNode AppendElement(std::wstring_view localName, std::wstring_view namespaceURI, std::wstring_view prefix);
    // Replaces the content with one text node holding text.
    void SetText(std::wstring_view text);

private:
    friend class TXMLDocument;
    explicit TXMLNode(ComPtr<IUnknown> node) noexcept : m_node(std::move(node)) {}

    // An IXMLDOMNode, held as IUnknown so that this header needs nothing of MSXML.
    ComPtr<IUnknown> m_node;
};

class TXMLDocument : public TComponent {
public:
    explicit TXMLDocument(TComponent* owner);
    ~TXMLDocument() override;

    // DOMVendor: only "MSXML" is available.
    void SetProperty(std::wstring_view name, const PropertyValue& value) override;

    // True while the document holds a loaded file.
    bool Active() const noexcept { return static_cast<bool>(m_document); }

    // Discards the content and parses the file into a new DOM document. Text is kept as written,
    // but for whitespace alone beside an element, comment or processing instruction, which only
    // lays out the markup and is dropped. Raises EOSError when the file cannot be read and
    // EXmlParseError, with the parser's reason and line, when it does not parse; the document is
    // then inactive.
    void LoadFromFile(const std::wstring& path);

    // Writes the whole document to path in one step, in the encoding it declares. The written
    // file is read again and must hold exactly the document's nodes, names, attributes and text
    // before it takes the place of the old one; when that or any other step fails, path stays
    // exactly as it was and an exception says why.
    void SaveToFile(const std::wstring& path) const;

    // Raises EXmlError while the document is inactive.
    TXMLNode DocumentElement() const;

private:
    // An IXMLDOMDocument, held as IUnknown for the same reason as a node.
    ComPtr<IUnknown> m_document;
};

}  // namespace framework
