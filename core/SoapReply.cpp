#include "core/SoapReply.h"

#include "core/SoapRequest.h"
#include "core/XmlReader.h"

#include <limits>

namespace {

bool IsXmlSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

std::wstring_view Trim(std::wstring_view text)
{
    while (!text.empty() && IsXmlSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsXmlSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsBlank(std::wstring_view text)
{
    return Trim(text).empty();
}

bool IsEnvelopeElement(const CXmlReader& reader, std::string_view name)
{
    return reader.NamespaceUri() == kSoapEnvelopeNamespace && reader.LocalName() == name;
}

// The next event that is not white space between elements.
XmlEvent NextStructural(CXmlReader& reader)
{
    for (;;) {
        const XmlEvent event = reader.Next();
        if (event != XmlEvent::Text)
            return event;
        if (!IsBlank(reader.Text()))
            return XmlEvent::Error;
    }
}

// The character content of the element just started, through its end tag. Nested
// elements are skipped and reported through hasElements.
bool ReadContent(CXmlReader& reader, std::wstring& text, bool& hasElements)
{
    for (;;) {
        switch (reader.Next()) {
        case XmlEvent::Text:
            text += reader.Text();
            break;
        case XmlEvent::StartElement:
            hasElements = true;
            if (!reader.SkipElement())
                return false;
            break;
        case XmlEvent::EndElement:
            return true;
        default:
            return false;
        }
    }
}

bool IsNil(const CXmlReader& reader)
{
    const std::optional<std::wstring> nil = reader.Attribute(kXmlSchemaInstanceNamespace, "nil");
    return nil && ParseSoapBoolean(*nil).value_or(false);
}

// The children of the element just started, through its end tag.
bool ReadChildren(CXmlReader& reader, std::vector<SoapValue>& values)
{
    for (;;) {
        const XmlEvent event = NextStructural(reader);
        if (event == XmlEvent::EndElement)
            return true;
        if (event != XmlEvent::StartElement)
            return false;
        SoapValue value;
        value.name = reader.LocalName();
        const bool nil = IsNil(reader);
        std::wstring text;
        if (!ReadContent(reader, text, value.hasElements))
            return false;
        if (!nil)
            value.text = std::move(text);
        values.push_back(std::move(value));
    }
}

bool ReadFault(CXmlReader& reader, SoapFault& fault)
{
    std::vector<SoapValue> children;
    if (!ReadChildren(reader, children))
        return false;
    for (SoapValue& child : children) {
        std::wstring text = child.text.value_or(std::wstring());
        if (child.name == "faultcode")
            fault.code = std::move(text);
        else if (child.name == "faultstring")
            fault.text = std::move(text);
        else if (child.name == "faultactor")
            fault.actor = std::move(text);
    }
    return true;
}

// The Body's content: the response or fault element, then anything else skipped.
bool ReadBody(CXmlReader& reader, std::string_view namespaceUri, std::string_view operation, SoapReply& reply)
{
    const std::string responseName = std::string(operation) + "Response";
    bool found = false;
    for (;;) {
        const XmlEvent event = NextStructural(reader);
        if (event == XmlEvent::EndElement)
            return found;
        if (event != XmlEvent::StartElement)
            return false;
        if (!found && IsEnvelopeElement(reader, "Fault")) {
            SoapFault fault;
            if (!ReadFault(reader, fault))
                return false;
            reply.fault = std::move(fault);
            found = true;
        } else if (!found && reader.NamespaceUri() == namespaceUri && reader.LocalName() == responseName) {
            if (!ReadChildren(reader, reply.values))
                return false;
            found = true;
        } else if (!reader.SkipElement()) {
            return false;
        }
    }
}

template <typename Results, typename Apply>
bool ReadResults(const SoapReply& reply, Results& results, Apply apply)
{
    if (reply.fault)
        return false;
    Results updated = results;
    for (const SoapValue& value : reply.values)
        if (!apply(value, updated))
            return false;
    results = std::move(updated);
    return true;
}

bool ReadInt(const SoapValue& value, std::int32_t& target)
{
    if (value.hasElements || !value.text)
        return false;
    const std::optional<std::int32_t> parsed = ParseSoapInt(*value.text);
    if (parsed)
        target = *parsed;
    return parsed.has_value();
}

bool ReadString(const SoapValue& value, std::optional<std::wstring>& target)
{
    if (value.hasElements)
        return false;
    target = value.text;
    return true;
}

}  // namespace

std::optional<SoapReply> ParseSoapReply(std::string_view body, std::string_view namespaceUri, std::string_view operation)
{
    if (body.size() > kMaxSoapReplyBytes)
        return std::nullopt;
    CXmlReader reader(body);
    if (reader.Next() != XmlEvent::StartElement || !IsEnvelopeElement(reader, "Envelope"))
        return std::nullopt;
    XmlEvent event = NextStructural(reader);
    if (event == XmlEvent::StartElement && IsEnvelopeElement(reader, "Header")) {
        if (!reader.SkipElement())
            return std::nullopt;
        event = NextStructural(reader);
    }
    if (event != XmlEvent::StartElement || !IsEnvelopeElement(reader, "Body"))
        return std::nullopt;
    SoapReply reply;
    if (!ReadBody(reader, namespaceUri, operation, reply))
        return std::nullopt;
    if (NextStructural(reader) != XmlEvent::EndElement || reader.Next() != XmlEvent::End)
        return std::nullopt;
    return reply;
}

std::optional<std::int32_t> ParseSoapInt(std::wstring_view text)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + (c - L'0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<bool> ParseSoapBoolean(std::wstring_view text)
{
    text = Trim(text);
    if (text == L"true" || text == L"1")
        return true;
    if (text == L"false" || text == L"0")
        return false;
    return std::nullopt;
}

bool ReadReportComputerLogResults(const SoapReply& reply, ReportComputerLogResults& results)
{
    return ReadResults(reply, results, [](const SoapValue& value, ReportComputerLogResults& out) {
        if (value.name == "LogID")
            return ReadInt(value, out.logId);
        if (value.name == "ReportComputerLogResult") {
            if (value.hasElements || !value.text)
                return false;
            const std::optional<bool> accepted = ParseSoapBoolean(*value.text);
            if (accepted)
                out.accepted = *accepted;
            return accepted.has_value();
        }
        return true;
    });
}

bool ReadGetStatusResults(const SoapReply& reply, GetStatusResults& results)
{
    return ReadResults(reply, results, [](const SoapValue& value, GetStatusResults& out) {
        if (value.name == "Comments")
            return ReadString(value, out.comments);
        if (value.name == "SolutionCommands")
            return ReadString(value, out.solutionCommands);
        if (value.name == "GetStatusResult")
            return ReadInt(value, out.result);
        return true;
    });
}
