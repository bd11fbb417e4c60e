#pragma once
// The request bodies of the log service's two operations (SOAP 1.1, document/literal):
// no XML declaration, no line break, parameters in the service's order. Text is
// escaped so that the whole body is ASCII.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::string_view kSoapEnvelopeNamespace = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr std::string_view kXmlSchemaInstanceNamespace = "http://www.w3.org/2001/XMLSchema-instance";

// "&", "<" and ">" as entities; every unit outside 0x20..0x7E as "&#x" and four
// upper-case hex digits, except a surrogate pair, which becomes one six-digit reference
// to its code point. Quotes and apostrophes stay as they are.
[[nodiscard]] std::string EscapeSoapText(std::wstring_view text);

// The namespace URI as it may go into the SOAPAction header and a namespace attribute:
// printable ASCII without quotes, "<", ">", "&" or spaces; nullopt otherwise.
[[nodiscard]] std::optional<std::string> SoapNamespaceText(std::wstring_view uri);

// The SOAPAction header value: the namespace URI and the operation in double quotes.
[[nodiscard]] std::string SoapActionValue(std::string_view namespaceUri, std::string_view operation);

// Absent strings (nullopt) are written as xsi:nil elements, empty ones as empty elements.
struct ReportComputerLogRequest {
    std::optional<std::wstring> email;
    std::optional<std::wstring> productVersion;
    std::optional<std::wstring> log;
    std::optional<std::wstring> description;
    std::int32_t logId = -1;
};
[[nodiscard]] std::string BuildReportComputerLogBody(std::string_view namespaceUri,
                                                     const ReportComputerLogRequest& request);

struct GetStatusRequest {
    std::int32_t id = 0;
    std::optional<std::wstring> email;
    std::optional<std::wstring> comments;
    std::optional<std::wstring> solutionCommands;
};
[[nodiscard]] std::string BuildGetStatusBody(std::string_view namespaceUri, const GetStatusRequest& request);
