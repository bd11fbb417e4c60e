// The log service's request bytes and the reading of its replies.

#include "core/SoapReply.h"
#include "core/SoapRequest.h"
#include "core/XmlReader.h"

#include <gtest/gtest.h>

namespace {

constexpr std::string_view kNs = "http://ns.example/";
const std::string kEnvelopeStart =
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\"><soap:Body>";
const std::string kEnvelopeEnd = "</soap:Body></soap:Envelope>";

}  // namespace

TEST(SoapRequest, BothOperationsByteForByte)
{
    ReportComputerLogRequest report;
    report.email = L"utente@esempio.it";
    report.log = L"";
    report.description = L"Riga\r\n\u00e8<1 & \"s\u00ec\" l'ho";
    EXPECT_EQ(BuildReportComputerLogBody(kNs, report),
              kEnvelopeStart +
                  "<ReportComputerLog xmlns=\"http://ns.example/\"><Email>utente@esempio.it</Email>"
                  "<ProductVersion xsi:nil=\"1\"/><Log></Log>"
                  "<Description>Riga&#x000D;&#x000A;&#x00E8;&lt;1 &amp; \"s&#x00EC;\" l'ho</Description>"
                  "<LogID>-1</LogID></ReportComputerLog>" +
                  kEnvelopeEnd);

    GetStatusRequest status;
    status.id = 2147483647;
    status.comments = L"";
    status.solutionCommands = L"";
    EXPECT_EQ(BuildGetStatusBody(kNs, status),
              kEnvelopeStart +
                  "<GetStatus xmlns=\"http://ns.example/\"><ID>2147483647</ID><Email xsi:nil=\"1\"/>"
                  "<Comments></Comments><SolutionCommands></SolutionCommands></GetStatus>" +
                  kEnvelopeEnd);
    EXPECT_EQ(SoapActionValue(kNs, "GetStatus"), "\"http://ns.example/GetStatus\"");
}

TEST(SoapRequest, EscapingUnitByUnit)
{
    const struct {
        std::wstring text;
        std::string escaped;
    } cases[] = {
        {L"\u00e8<1", "&#x00E8;&lt;1"},
        {L"a>b&c", "a&gt;b&amp;c"},
        {L"\t\x7f~ ", "&#x0009;&#x007F;~ "},
        {std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, "&#x01F600;"},     // a pair is one code point
        {std::wstring{wchar_t(0xD800), L'a'}, "&#xD800;a"},                 // lone high surrogate
        {std::wstring{wchar_t(0xDC00), wchar_t(0xD800)}, "&#xDC00;&#xD800;"},  // pair in the wrong order
        {L"\uFFFF", "&#xFFFF;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EscapeSoapText(c.text), c.escaped);

    EXPECT_EQ(SoapNamespaceText(L"http://tempuri.org/"), "http://tempuri.org/");
    for (const wchar_t* bad : {L"", L"http://a b/", L"http://a\"/", L"http://\u00e8/", L"http://a/\r\nX: y"})
        EXPECT_EQ(SoapNamespaceText(bad), std::nullopt) << bad;
}

namespace {

std::string Reply(const std::string& body, const std::string& header = "")
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\">" +
           header + "<s:Body>" + body + "</s:Body></s:Envelope>";
}

std::string ReportResponse(const std::string& children)
{
    return Reply("<ReportComputerLogResponse xmlns=\"http://ns.example/\">" + children + "</ReportComputerLogResponse>");
}

}  // namespace

TEST(SoapReply, ReportComputerLogValuesByType)
{
    const struct {
        std::string children;
        bool parses;
        std::int32_t logId;
        bool accepted;
    } cases[] = {
        {"<ReportComputerLogResult>true</ReportComputerLogResult><LogID>17</LogID>", true, 17, true},
        {"<LogID> 18 </LogID><ReportComputerLogResult>1</ReportComputerLogResult>", true, 18, true},
        {"<ReportComputerLogResult>0</ReportComputerLogResult>", true, -1, false},
        {"<ReportComputerLogResult>false</ReportComputerLogResult><LogID>-2147483648</LogID>", true, -2147483648, false},
        {"", true, -1, false},  // nothing returned: the caller's values stand
        {"<Extra><Nested>x</Nested></Extra><LogID>5</LogID><LogID>6</LogID>", true, 6, false},
        {"<ReportComputerLogResult>True</ReportComputerLogResult>", false, 0, false},
        {"<ReportComputerLogResult>yes</ReportComputerLogResult>", false, 0, false},
        {"<ReportComputerLogResult/>", false, 0, false},
        {"<LogID>2147483648</LogID>", false, 0, false},
        {"<LogID>12abc</LogID>", false, 0, false},
        {"<LogID i:nil=\"true\"/>", false, 0, false},
        {"<LogID><b>3</b></LogID>", false, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.children);
        const std::optional<SoapReply> reply = ParseSoapReply(ReportResponse(c.children), kNs, "ReportComputerLog");
        ASSERT_TRUE(reply.has_value());
        ReportComputerLogResults results;
        EXPECT_EQ(ReadReportComputerLogResults(*reply, results), c.parses);
        if (!c.parses)
            continue;
        EXPECT_EQ(results.logId, c.logId);
        EXPECT_EQ(results.accepted, c.accepted);
    }
}

TEST(SoapReply, GetStatusTextsAreUnescapedAndNilStaysAbsent)
{
    const std::string body = Reply(
        "<GetStatusResponse xmlns=\"http://ns.example/\"><GetStatusResult>3</GetStatusResult>"
        "<Comments>Riga&#13;\r\nperch\xC3\xA9 &amp; &lt;<![CDATA[<ok> & ]]>&#x1F600;</Comments>"
        "<SolutionCommands i:nil=\"1\"/></GetStatusResponse>",
        "<s:Header><Session xmlns=\"urn:x\"><Id>7</Id></Session></s:Header>");
    const std::optional<SoapReply> reply = ParseSoapReply(body, kNs, "GetStatus");
    ASSERT_TRUE(reply.has_value());
    GetStatusResults results{L"before", L"before", -1};
    ASSERT_TRUE(ReadGetStatusResults(*reply, results));
    EXPECT_EQ(results.result, 3);
    EXPECT_EQ(results.comments, std::wstring(L"Riga\r\nperch\u00e9 & <<ok> & ") + wchar_t(0xD83D) + wchar_t(0xDE00));
    EXPECT_EQ(results.solutionCommands, std::nullopt);
}

TEST(SoapReply, FaultsAndMalformedEnvelopesFail)
{
    const std::optional<SoapReply> fault = ParseSoapReply(
        Reply("<s:Fault><faultcode>s:Server</faultcode><faultstring>Guasto</faultstring>"
              "<detail><e>x</e></detail></s:Fault>"),
        kNs, "GetStatus");
    ASSERT_TRUE(fault.has_value());
    ASSERT_TRUE(fault->fault.has_value());
    EXPECT_EQ(fault->fault->code, L"s:Server");
    EXPECT_EQ(fault->fault->text, L"Guasto");
    GetStatusResults results;
    EXPECT_FALSE(ReadGetStatusResults(*fault, results));

    const std::string response = "<GetStatusResponse xmlns=\"http://ns.example/\"/>";
    std::string deep;
    for (int i = 0; i < 300; ++i)
        deep += "<a>";
    const std::string notParsing[] = {
        "",
        "HTTP/1.1 202 Accepted",
        Reply("<GetStatusResponse xmlns=\"http://other.example/\"/>"),            // wrong service namespace
        Reply("<ReportComputerLogResponse xmlns=\"http://ns.example/\"/>"),       // another operation
        Reply(""),                                                                // empty Body
        "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Body>" + response + "</s:Body></s:Envelope>",
        "<!DOCTYPE x [<!ENTITY a \"b\">]>" + Reply(response),
        Reply(response).substr(0, 120),                                           // cut off
        Reply(response) + "<again/>",
        Reply(response, "<s:Header>" + deep + "</s:Header>"),
        Reply("<GetStatusResponse xmlns=\"http://ns.example/\"><Comments>\xC3</Comments></GetStatusResponse>"),
        Reply("<GetStatusResponse xmlns=\"http://ns.example/\"><Comments>&bogus;</Comments></GetStatusResponse>"),
        Reply("<GetStatusResponse xmlns=\"http://ns.example/\"><Comments>&#0;</Comments></GetStatusResponse>"),
        Reply("<x:GetStatusResponse xmlns=\"http://ns.example/\"/>"),             // undeclared prefix
        Reply("<GetStatusResponse xmlns=\"http://ns.example/\"></GetStatus>"),
        Reply("<GetStatusResponse xmlns=\"http://ns.example/\" a=\"<\"/>"),
        Reply(response, "<s:Header>" + std::string(kMaxSoapReplyBytes, ' ') + "</s:Header>"),
    };
    for (const std::string& text : notParsing)
        EXPECT_FALSE(ParseSoapReply(text, kNs, "GetStatus").has_value()) << text;
}

TEST(SoapReply, NamespaceDeclarationsAreBounded)
{
    const auto declarations = [](std::size_t count, std::size_t first = 0) {
        std::string text;
        for (std::size_t i = first; i < first + count; ++i)
            text += " xmlns:p" + std::to_string(i) + "=\"urn:" + std::to_string(i) + "\"";
        return text;
    };
    const auto withHeader = [](const std::string& header) {
        return Reply("<GetStatusResponse xmlns=\"http://ns.example/\"><GetStatusResult>1</GetStatusResult>"
                     "</GetStatusResponse>",
                     "<s:Header>" + header + "</s:Header>");
    };
    // Spread over elements; a prefix bound again inside an element is back to its outer
    // meaning after the element ends (else the Body would not be found).
    std::string spread;
    for (std::size_t i = 0; i + 3 < kMaxXmlNamespaceDeclarations; ++i)
        spread += "<h" + declarations(1, i % 8) + "/>";
    const std::string rebound = "<s:a xmlns:s=\"urn:a\"><s:b xmlns:s=\"urn:b\"/></s:a>";

    const struct {
        const char* name;
        std::string reply;
        bool parses;
    } cases[] = {
        {"as many as an element may have",
         withHeader("<h" + declarations(kMaxXmlNamespaceDeclarationsPerElement) + "/>"), true},
        {"one more on the element", withHeader("<h" + declarations(kMaxXmlNamespaceDeclarationsPerElement + 1) + "/>"),
         false},
        {"as many as a document may have", withHeader(spread), true},
        {"one more in the document", withHeader(spread + "<h" + declarations(1) + "/>"), false},
        {"rebound prefix", withHeader(rebound), true},
    };
    for (const auto& c : cases) {
        const std::optional<SoapReply> reply = ParseSoapReply(c.reply, kNs, "GetStatus");
        EXPECT_EQ(reply.has_value(), c.parses) << c.name;
        GetStatusResults results;
        if (reply) {
            EXPECT_TRUE(ReadGetStatusResults(*reply, results) && results.result == 1) << c.name;
        }
    }
}
