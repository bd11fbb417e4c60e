#include "core/SoapRequest.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendCharacterReference(std::string& out, std::uint32_t value, int digits)
{
    out += "&#x";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kHexDigits[(value >> shift) & 0xF];
    out += ';';
}

class CSoapBodyWriter {
public:
    CSoapBodyWriter(std::string_view namespaceUri, std::string_view operation) : m_operation(operation)
    {
        m_body = "<soap:Envelope xmlns:soap=\"";
        m_body += kSoapEnvelopeNamespace;
        m_body += "\" xmlns:xsi=\"";
        m_body += kXmlSchemaInstanceNamespace;
        m_body += "\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
                  " xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\"><soap:Body><";
        m_body += operation;
        m_body += " xmlns=\"";
        m_body += namespaceUri;
        m_body += "\">";
    }

    void Int(std::string_view name, std::int32_t value)
    {
        Element(name, std::to_string(value));
    }

    void Text(std::string_view name, const std::optional<std::wstring>& value)
    {
        if (value) {
            Element(name, EscapeSoapText(*value));
            return;
        }
        m_body += '<';
        m_body += name;
        m_body += " xsi:nil=\"1\"/>";
    }

    std::string Finish()
    {
        m_body += "</";
        m_body += m_operation;
        m_body += "></soap:Body></soap:Envelope>";
        return std::move(m_body);
    }

private:
    void Element(std::string_view name, std::string_view content)
    {
        m_body += '<';
        m_body += name;
        m_body += '>';
        m_body += content;
        m_body += "</";
        m_body += name;
        m_body += '>';
    }

    std::string_view m_operation;
    std::string m_body;
};

}  // namespace

std::string EscapeSoapText(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<std::uint32_t>(text[i]);
        if (unit == '&')
            out += "&amp;";
        else if (unit == '<')
            out += "&lt;";
        else if (unit == '>')
            out += "&gt;";
        else if (unit >= 0x20 && unit <= 0x7E)
            out += static_cast<char>(unit);
        else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
                 static_cast<std::uint32_t>(text[i + 1]) >= 0xDC00 && static_cast<std::uint32_t>(text[i + 1]) <= 0xDFFF) {
            const std::uint32_t low = static_cast<std::uint32_t>(text[++i]);
            AppendCharacterReference(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), 6);
        } else {
            AppendCharacterReference(out, unit, unit > 0xFFFF ? 6 : 4);
        }
    }
    return out;
}

std::optional<std::string> SoapNamespaceText(std::wstring_view uri)
{
    std::string out;
    for (const wchar_t c : uri) {
        if (c <= L' ' || c > L'~' || c == L'"' || c == L'<' || c == L'>' || c == L'&')
            return std::nullopt;
        out += static_cast<char>(c);
    }
    if (out.empty())
        return std::nullopt;
    return out;
}

std::string SoapActionValue(std::string_view namespaceUri, std::string_view operation)
{
    std::string value = "\"";
    value += namespaceUri;
    value += operation;
    value += '"';
    return value;
}

std::string BuildReportComputerLogBody(std::string_view namespaceUri, const ReportComputerLogRequest& request)
{
    CSoapBodyWriter writer(namespaceUri, "ReportComputerLog");
    writer.Text("Email", request.email);
    writer.Text("ProductVersion", request.productVersion);
    writer.Text("Log", request.log);
    writer.Text("Description", request.description);
    writer.Int("LogID", request.logId);
    return writer.Finish();
}

std::string BuildGetStatusBody(std::string_view namespaceUri, const GetStatusRequest& request)
{
    CSoapBodyWriter writer(namespaceUri, "GetStatus");
    writer.Int("ID", request.id);
    writer.Text("Email", request.email);
    writer.Text("Comments", request.comments);
    writer.Text("SolutionCommands", request.solutionCommands);
    return writer.Finish();
}
