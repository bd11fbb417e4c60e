#pragma once
// Reading the log service's replies: a SOAP 1.1 envelope with an optional Header (its
// content skipped) and a Body holding either the operation's "...Response" element in
// the service namespace or a Fault. Values are converted by the parameter's type; a
// value that does not convert makes the whole reply unusable.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The largest reply body read: a status and a few texts never come near it.
inline constexpr std::size_t kMaxSoapReplyBytes = 1024u * 1024;

// One child of the response element.
struct SoapValue {
    std::string name;                 // local name
    std::optional<std::wstring> text; // nullopt for xsi:nil
    bool hasElements = false;         // element content, which no parameter has
};

struct SoapFault {
    std::wstring code;
    std::wstring text;
    std::wstring actor;
};

struct SoapReply {
    std::vector<SoapValue> values;
    std::optional<SoapFault> fault;  // set when the Body holds a Fault instead
};

// nullopt when the body is not a well-formed envelope of that shape, or larger than
// kMaxSoapReplyBytes.
[[nodiscard]] std::optional<SoapReply> ParseSoapReply(std::string_view body, std::string_view namespaceUri,
                                                      std::string_view operation);

// xsd:int: optional sign and decimal digits within the 32-bit range, surrounding white
// space allowed.
[[nodiscard]] std::optional<std::int32_t> ParseSoapInt(std::wstring_view text);
// Exactly "true" or "1", "false" or "0" (surrounding white space allowed); "True" fails.
[[nodiscard]] std::optional<bool> ParseSoapBoolean(std::wstring_view text);

// The out values of each operation. The Read functions start from the caller's values,
// overwrite those the reply carries and keep the others; false (values untouched) when
// the reply is a fault or a value does not convert. Children matching no parameter are
// ignored; a repeated one counts by its last occurrence.
struct ReportComputerLogResults {
    std::int32_t logId = -1;
    bool accepted = false;
};
[[nodiscard]] bool ReadReportComputerLogResults(const SoapReply& reply, ReportComputerLogResults& results);

struct GetStatusResults {
    std::optional<std::wstring> comments;
    std::optional<std::wstring> solutionCommands;
    std::int32_t result = -1;
};
[[nodiscard]] bool ReadGetStatusResults(const SoapReply& reply, GetStatusResults& results);
