#pragma once
// A small pull reader for the XML of web-service replies: elements with resolved
// namespaces, attributes and character data (entities and CDATA decoded, UTF-8 turned
// into UTF-16 code units). It checks well-formedness as it goes and refuses what a
// reply never needs and a hostile one could abuse: DOCTYPE declarations (so no entity
// expansion), undeclared prefixes, invalid UTF-8, nesting deeper than kMaxXmlDepth,
// more namespace declarations than a reply needs. Its work grows linearly with the
// document: a prefix is resolved by one look-up, whatever the declarations in scope.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

inline constexpr std::size_t kMaxXmlDepth = 256;
inline constexpr std::size_t kMaxXmlNamespaceDeclarationsPerElement = 16;
inline constexpr std::size_t kMaxXmlNamespaceDeclarations = 256;  // in the whole document

enum class XmlEvent { StartElement, EndElement, Text, End, Error };

struct XmlAttribute {
    std::string namespaceUri;  // empty for an unprefixed attribute
    std::string localName;
    std::wstring value;
};

class CXmlReader {
public:
    explicit CXmlReader(std::string_view document);

    // The next event. After End or Error every further call repeats it. An empty
    // element gives StartElement then EndElement; Text never comes empty.
    [[nodiscard]] XmlEvent Next();

    // The element of the last StartElement or EndElement.
    [[nodiscard]] const std::string& LocalName() const { return m_localName; }
    [[nodiscard]] const std::string& NamespaceUri() const { return m_namespaceUri; }
    // An attribute of the last StartElement by namespace and local name (namespace
    // declarations are not attributes here).
    [[nodiscard]] std::optional<std::wstring> Attribute(std::string_view namespaceUri,
                                                        std::string_view localName) const;
    // The characters of the last Text event.
    [[nodiscard]] const std::wstring& Text() const { return m_text; }

    // Skips the rest of the element whose StartElement was just read, up to and
    // including its EndElement; false when the document ends or breaks first.
    [[nodiscard]] bool SkipElement();

private:
    struct OpenElement {
        std::string qualifiedName;
        std::string localName;
        std::string namespaceUri;
        std::vector<std::string> declaredPrefixes;  // their bindings end with the element
    };

    XmlEvent Fail();
    XmlEvent ReadMarkup();
    XmlEvent ReadStartTag();
    XmlEvent ReadEndTag();
    XmlEvent CloseElement();
    bool SkipMisc();
    bool ReadCharacterData(std::wstring& out);
    bool ReadReference(std::wstring& out);
    bool AppendUtf8Unit(std::wstring& out);
    bool ReadName(std::string& name);
    void SkipSpace();
    bool ResolvePrefix(std::string_view prefix, std::string& uri) const;

    std::string_view m_doc;
    std::size_t m_pos = 0;
    bool m_failed = false;
    bool m_rootSeen = false;
    bool m_pendingEnd = false;  // the EndElement of an empty-element tag is still due
    std::vector<OpenElement> m_open;
    // For each prefix ("" for the default namespace) the URIs bound by the open
    // elements, innermost last.
    std::unordered_map<std::string, std::vector<std::string>> m_bindings;
    std::size_t m_declarations = 0;
    std::string m_localName;
    std::string m_namespaceUri;
    std::vector<XmlAttribute> m_attributes;
    std::wstring m_text;
};
