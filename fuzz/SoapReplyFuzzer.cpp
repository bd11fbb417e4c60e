// libFuzzer target for the SOAP reply reader (core/SoapReply, core/XmlReader) and the
// request escaping (core/SoapRequest), host build:
//
//   cmake --build --preset host --target SoapReplyFuzzer
//   build/host/SoapReplyFuzzer fuzz/corpus/soapreply
//
// The input is a reply body for both operations. Besides crashes and sanitizer
// reports it stops when a rejected reply changed the caller's values, or when text
// read as UTF-16LE does not come back unchanged from its escaped form inside a reply.

#include "core/SoapReply.h"
#include "core/SoapRequest.h"
#include "core/Utf16Text.h"
#include "fuzz/FuzzCheck.h"

#include <cstdint>

namespace {

// Characters XML cannot carry, even as references; their escaped form is refused.
bool XmlCanCarry(std::wstring_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<std::uint32_t>(text[i]);
        if ((unit < 0x20 && unit != 0x9 && unit != 0xA && unit != 0xD) || unit == 0xFFFE || unit == 0xFFFF)
            return false;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return false;
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kNs = "http://ns.example/";

    if (const auto reply = ParseSoapReply(body, kNs, "ReportComputerLog")) {
        ReportComputerLogResults results{-7, true};
        if (!ReadReportComputerLogResults(*reply, results))
            Check(results.logId == -7 && results.accepted);
    }
    if (const auto reply = ParseSoapReply(body, kNs, "GetStatus")) {
        GetStatusResults results{L"c", std::nullopt, -7};
        if (!ReadGetStatusResults(*reply, results))
            Check(results.comments == L"c" && !results.solutionCommands && results.result == -7);
    }

    const std::wstring text = utf16::DecodeLe(body);
    if (XmlCanCarry(text)) {
        const std::string reply = "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\"><e:Body>"
                                  "<GetStatusResponse xmlns=\"http://ns.example/\"><Comments>" +
                                  EscapeSoapText(text) + "</Comments></GetStatusResponse></e:Body></e:Envelope>";
        const auto parsed = ParseSoapReply(reply, kNs, "GetStatus");
        // A reply past the size limit is refused whatever it holds.
        Check(parsed.has_value() == (reply.size() <= kMaxSoapReplyBytes));
        GetStatusResults results;
        Check(!parsed || (ReadGetStatusResults(*parsed, results) && results.comments == text));
    }
    return 0;
}
