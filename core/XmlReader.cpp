#include "core/XmlReader.h"

#include "core/Utf16Text.h"

#include <cstdint>

namespace {

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameDelimiter(char c)
{
    return IsSpace(c) || c == '/' || c == '>' || c == '=' || c == '<' || c == '&' || c == '"' || c == '\'' ||
           c == '?' || c == '!';
}

void AppendCodePoint(std::wstring& out, std::uint32_t cp)
{
    if (cp > 0xFFFF) {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(cp));
    }
}

bool IsXmlChar(std::uint32_t cp)
{
    if (cp < 0x20)
        return cp == 0x9 || cp == 0xA || cp == 0xD;
    return !(cp >= 0xD800 && cp <= 0xDFFF) && cp != 0xFFFE && cp != 0xFFFF && cp <= 0x10FFFF;
}

// Splits "p:local" into its halves; false when either half of a prefixed name is empty.
bool SplitQualifiedName(const std::string& name, std::string& prefix, std::string& local)
{
    const std::size_t colon = name.find(':');
    if (colon == std::string::npos) {
        prefix.clear();
        local = name;
        return true;
    }
    prefix = name.substr(0, colon);
    local = name.substr(colon + 1);
    return !prefix.empty() && !local.empty() && local.find(':') == std::string::npos;
}

}  // namespace

CXmlReader::CXmlReader(std::string_view document) : m_doc(document) {}

std::optional<std::wstring> CXmlReader::Attribute(std::string_view namespaceUri, std::string_view localName) const
{
    for (const XmlAttribute& attribute : m_attributes)
        if (attribute.namespaceUri == namespaceUri && attribute.localName == localName)
            return attribute.value;
    return std::nullopt;
}

XmlEvent CXmlReader::Fail()
{
    m_failed = true;
    return XmlEvent::Error;
}

XmlEvent CXmlReader::Next()
{
    if (m_failed)
        return XmlEvent::Error;
    if (m_pendingEnd) {
        m_pendingEnd = false;
        return CloseElement();
    }
    if (m_open.empty()) {
        if (!SkipMisc())
            return Fail();
        if (m_pos == m_doc.size())
            return m_rootSeen ? XmlEvent::End : Fail();
        if (m_rootSeen)
            return Fail();
        return ReadStartTag();
    }
    m_text.clear();
    while (m_pos < m_doc.size()) {
        if (m_doc[m_pos] != '<' || m_doc.substr(m_pos, 9) == "<![CDATA[") {
            if (!ReadCharacterData(m_text))
                return Fail();
            continue;
        }
        if (!m_text.empty())
            return XmlEvent::Text;
        const XmlEvent event = ReadMarkup();
        if (event != XmlEvent::Text)  // Text here means a comment or instruction was skipped
            return event;
    }
    return Fail();  // the document ends inside an element
}

XmlEvent CXmlReader::ReadMarkup()
{
    const std::string_view rest = m_doc.substr(m_pos);
    if (rest.substr(0, 4) == "<!--") {
        const std::size_t end = rest.find("-->", 4);
        if (end == std::string_view::npos)
            return Fail();
        m_pos += end + 3;
        return XmlEvent::Text;
    }
    if (rest.substr(0, 2) == "<?") {
        const std::size_t end = rest.find("?>", 2);
        if (end == std::string_view::npos)
            return Fail();
        m_pos += end + 2;
        return XmlEvent::Text;
    }
    if (rest.substr(0, 2) == "</")
        return ReadEndTag();
    if (rest.substr(0, 2) == "<!")
        return Fail();
    return ReadStartTag();
}

bool CXmlReader::SkipMisc()
{
    for (;;) {
        SkipSpace();
        const std::string_view rest = m_doc.substr(m_pos);
        if (rest.empty())
            return true;
        if (rest.substr(0, 4) == "<!--" || rest.substr(0, 2) == "<?") {
            if (ReadMarkup() == XmlEvent::Error)
                return false;
            continue;
        }
        // A DOCTYPE (and its entities) is never needed in a reply; text outside the root is an error.
        return rest[0] == '<' && (rest.size() < 2 || rest[1] != '!');
    }
}

void CXmlReader::SkipSpace()
{
    while (m_pos < m_doc.size() && IsSpace(m_doc[m_pos]))
        ++m_pos;
}

bool CXmlReader::ReadName(std::string& name)
{
    const std::size_t start = m_pos;
    while (m_pos < m_doc.size() && !IsNameDelimiter(m_doc[m_pos]))
        ++m_pos;
    name.assign(m_doc.substr(start, m_pos - start));
    return !name.empty();
}

bool CXmlReader::ResolvePrefix(std::string_view prefix, std::string& uri) const
{
    if (prefix == "xml") {
        uri = kXmlNamespace;
        return true;
    }
    const auto bound = m_bindings.find(std::string(prefix));
    if (bound == m_bindings.end() || bound->second.empty()) {
        uri.clear();
        return prefix.empty();
    }
    uri = bound->second.back();
    // xmlns:p="" is no binding at all (only the default namespace may be undone).
    return !(uri.empty() && !prefix.empty());
}

XmlEvent CXmlReader::ReadStartTag()
{
    ++m_pos;  // '<'
    std::string qualifiedName;
    if (!ReadName(qualifiedName))
        return Fail();
    struct RawAttribute {
        std::string name;
        std::wstring value;
    };
    std::vector<RawAttribute> raw;
    bool empty = false;
    for (;;) {
        SkipSpace();
        if (m_pos >= m_doc.size())
            return Fail();
        if (m_doc.substr(m_pos, 2) == "/>") {
            m_pos += 2;
            empty = true;
            break;
        }
        if (m_doc[m_pos] == '>') {
            ++m_pos;
            break;
        }
        RawAttribute attribute;
        if (!ReadName(attribute.name))
            return Fail();
        SkipSpace();
        if (m_pos >= m_doc.size() || m_doc[m_pos] != '=')
            return Fail();
        ++m_pos;
        SkipSpace();
        if (m_pos >= m_doc.size() || (m_doc[m_pos] != '"' && m_doc[m_pos] != '\''))
            return Fail();
        const char quote = m_doc[m_pos++];
        for (;;) {
            if (m_pos >= m_doc.size() || m_doc[m_pos] == '<')
                return Fail();
            if (m_doc[m_pos] == quote) {
                ++m_pos;
                break;
            }
            const bool ok = m_doc[m_pos] == '&' ? ReadReference(attribute.value) : AppendUtf8Unit(attribute.value);
            if (!ok)
                return Fail();
        }
        raw.push_back(std::move(attribute));
    }
    if (m_open.size() >= kMaxXmlDepth)
        return Fail();

    OpenElement element;
    for (const RawAttribute& attribute : raw) {
        const bool isDefault = attribute.name == "xmlns";
        if (!isDefault && attribute.name.rfind("xmlns:", 0) != 0)
            continue;
        if (element.declaredPrefixes.size() == kMaxXmlNamespaceDeclarationsPerElement ||
            m_declarations == kMaxXmlNamespaceDeclarations)
            return Fail();
        ++m_declarations;
        element.declaredPrefixes.push_back(isDefault ? std::string() : attribute.name.substr(6));
        m_bindings[element.declaredPrefixes.back()].push_back(utf16::ToUtf8(attribute.value));
    }
    element.qualifiedName = qualifiedName;
    std::string prefix;
    if (!SplitQualifiedName(qualifiedName, prefix, element.localName) ||
        !ResolvePrefix(prefix, element.namespaceUri))
        return Fail();
    m_attributes.clear();
    for (RawAttribute& attribute : raw) {
        if (attribute.name == "xmlns" || attribute.name.rfind("xmlns:", 0) == 0)
            continue;
        XmlAttribute resolved;
        if (!SplitQualifiedName(attribute.name, prefix, resolved.localName))
            return Fail();
        if (!prefix.empty() && !ResolvePrefix(prefix, resolved.namespaceUri))
            return Fail();
        resolved.value = std::move(attribute.value);
        m_attributes.push_back(std::move(resolved));
    }
    m_localName = element.localName;
    m_namespaceUri = element.namespaceUri;
    m_open.push_back(std::move(element));
    m_rootSeen = true;
    m_pendingEnd = empty;
    return XmlEvent::StartElement;
}

XmlEvent CXmlReader::ReadEndTag()
{
    m_pos += 2;  // "</"
    std::string qualifiedName;
    if (!ReadName(qualifiedName))
        return Fail();
    SkipSpace();
    if (m_pos >= m_doc.size() || m_doc[m_pos] != '>' || qualifiedName != m_open.back().qualifiedName)
        return Fail();
    ++m_pos;
    return CloseElement();
}

XmlEvent CXmlReader::CloseElement()
{
    OpenElement& element = m_open.back();
    for (const std::string& prefix : element.declaredPrefixes)
        m_bindings[prefix].pop_back();
    m_localName = std::move(element.localName);
    m_namespaceUri = std::move(element.namespaceUri);
    m_open.pop_back();
    m_attributes.clear();
    return XmlEvent::EndElement;
}

bool CXmlReader::ReadCharacterData(std::wstring& out)
{
    if (m_doc.substr(m_pos, 9) == "<![CDATA[") {
        const std::size_t end = m_doc.find("]]>", m_pos + 9);
        if (end == std::string_view::npos)
            return false;
        const std::string_view section = m_doc.substr(m_pos + 9, end - m_pos - 9);
        CXmlReader inner(section);  // decodes the section's UTF-8 with the same checks
        while (inner.m_pos < section.size())
            if (!inner.AppendUtf8Unit(out))
                return false;
        m_pos = end + 3;
        return true;
    }
    if (m_doc[m_pos] == '&')
        return ReadReference(out);
    return AppendUtf8Unit(out);
}

bool CXmlReader::ReadReference(std::wstring& out)
{
    const std::size_t end = m_doc.find(';', m_pos);
    if (end == std::string_view::npos || end - m_pos > 12)
        return false;
    const std::string_view name = m_doc.substr(m_pos + 1, end - m_pos - 1);
    m_pos = end + 1;
    if (name == "lt")
        out.push_back(L'<');
    else if (name == "gt")
        out.push_back(L'>');
    else if (name == "amp")
        out.push_back(L'&');
    else if (name == "quot")
        out.push_back(L'"');
    else if (name == "apos")
        out.push_back(L'\'');
    else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty())
            return false;
        std::uint32_t cp = 0;
        for (const char c : digits) {
            std::uint32_t digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<std::uint32_t>(c - '0');
            else if (hex && c >= 'a' && c <= 'f')
                digit = static_cast<std::uint32_t>(c - 'a' + 10);
            else if (hex && c >= 'A' && c <= 'F')
                digit = static_cast<std::uint32_t>(c - 'A' + 10);
            else
                return false;
            cp = cp * (hex ? 16 : 10) + digit;
            if (cp > 0x10FFFF)
                return false;
        }
        if (!IsXmlChar(cp))
            return false;
        AppendCodePoint(out, cp);
    } else {
        return false;
    }
    return true;
}

bool CXmlReader::AppendUtf8Unit(std::wstring& out)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(m_doc[m_pos + i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length;
    std::uint32_t cp;
    if (lead < 0x80) {
        length = 1;
        cp = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07u;
    } else {
        return false;
    }
    if (m_pos + length > m_doc.size())
        return false;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (byte(i) & 0x3Fu);
    }
    // Overlong forms are refused, so every character has a single spelling.
    if ((length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000) || !IsXmlChar(cp))
        return false;
    m_pos += length;
    // Line ends in literal text read as one LF, as every XML processor delivers them;
    // a CR the sender means to keep travels as a character reference.
    if (cp == 0xD) {
        if (m_pos < m_doc.size() && m_doc[m_pos] == '\n')
            ++m_pos;
        cp = 0xA;
    }
    AppendCodePoint(out, cp);
    return true;
}

bool CXmlReader::SkipElement()
{
    std::size_t depth = 1;
    while (depth > 0) {
        switch (Next()) {
        case XmlEvent::StartElement:
            ++depth;
            break;
        case XmlEvent::EndElement:
            --depth;
            break;
        case XmlEvent::Text:
            break;
        default:
            return false;
        }
    }
    return true;
}
