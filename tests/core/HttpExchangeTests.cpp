// The HTTP side of the web-service client against a scripted server: framing, status
// handling, redirects and the bounds that keep a hostile reply from costing more than
// a failed call.

#include "core/HttpClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

using std::chrono::milliseconds;

// Serves one scripted reply per request, in pieces of at most `piece` bytes, and
// reports the end of the stream when the reply is used up. Each receive takes
// `pace` of the clock it keeps.
class ScriptedServer : public IHttpChannel {
public:
    explicit ScriptedServer(std::vector<std::string> replies, std::size_t piece = kHttpBlockBytes)
        : m_replies(std::move(replies)), m_piece(piece)
    {
    }

    bool Connect(const std::string& host, std::uint16_t port, milliseconds wait) override
    {
        waits.push_back(wait);
        connects.push_back(host + ":" + std::to_string(port));
        m_pending.clear();
        m_sent = 0;
        return true;
    }
    void Disconnect() override { ++disconnects; }
    bool Send(std::string_view bytes, milliseconds wait) override
    {
        waits.push_back(wait);
        if (bytes.substr(0, 5) == "POST ") {
            heads.emplace_back(bytes);
            m_pending = m_next < m_replies.size() ? m_replies[m_next++] : std::string();
            m_sent = 0;
        } else {
            largestSend = std::max(largestSend, bytes.size());
        }
        return true;
    }
    std::ptrdiff_t Receive(char* buffer, std::size_t capacity, milliseconds wait) override
    {
        waits.push_back(wait);
        now += pace;
        const std::size_t count = std::min({capacity, m_piece, m_pending.size() - m_sent});
        std::memcpy(buffer, m_pending.data() + m_sent, count);
        m_sent += count;
        return static_cast<std::ptrdiff_t>(count);
    }

    std::chrono::steady_clock::time_point now;
    milliseconds pace{0};
    std::vector<milliseconds> waits;
    std::vector<std::string> connects;
    std::vector<std::string> heads;
    std::size_t largestSend = 0;
    int disconnects = 0;

private:
    std::vector<std::string> m_replies;
    std::size_t m_piece;
    std::size_t m_next = 0;
    std::string m_pending;
    std::size_t m_sent = 0;
};

std::string Repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

HttpUrl Endpoint()
{
    return *ParseHttpUrl(L"http://svc.example:8080/service.asmx");
}

}  // namespace

TEST(HttpExchange, HeadOfThePostInOrder)
{
    EXPECT_EQ(BuildSoapPostHead(Endpoint(), 321, "\"http://ns/GetStatus\""),
              "POST /service.asmx HTTP/1.1\r\nHost: svc.example:8080\r\nContent-Length: 321\r\n"
              "Content-Type: text/xml; charset=utf-8\r\nSOAPAction: \"http://ns/GetStatus\"\r\n"
              "Accept: text/xml\r\nUser-Agent: Microsoft-ATL-Native/8.00\r\n\r\n");
    EXPECT_EQ(BuildSoapPostHead(*ParseHttpUrl(L"HTTP://svc.example/a?b=1#frag"), 0, "\"x\"").substr(0, 44),
              "POST /a?b=1 HTTP/1.1\r\nHost: svc.example\r\nCon");

    const struct {
        const wchar_t* url;
        bool valid;
    } urls[] = {
        {L"http://127.0.0.1:65535", true}, {L"http://h?q", true},          {L"https://h/", false},
        {L"http://h:0/", false},           {L"http://h:65536/", false},    {L"http://u@h/", false},
        {L"http://h:/", false},            {L"http:///x", false},          {L"http://h/a b", false},
        {L"http://h/\u00e8", false},       {L"http://h/\r\nX: 1", false},  {L"ftp://h/", false},
    };
    for (const auto& u : urls)
        EXPECT_EQ(ParseHttpUrl(u.url).has_value(), u.valid) << u.url;
}

TEST(HttpExchange, RepliesAreFramedAndClassified)
{
    const std::string big = std::string(5000, 'x');
    const struct {
        const char* name;
        std::string reply;
        bool complete;
        int status;
        std::string body;
    } cases[] = {
        {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + big + "ignored", true, 200, big},
        {"chunked with extensions and trailers",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\nTrailer: X-T\r\n\r\n"
         "3;name=v\r\nabc\r\n0A\r\n0123456789\r\n0\r\nX-T: 1\r\nX-U: 2\r\n\r\n",
         true, 200, "abc0123456789"},
        {"interim responses skipped", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 100 Continue\r\nX: y\r\n\r\n"
                                      "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok",
         true, 200, "ok"},
        {"202 has no body read", "HTTP/1.1 202 Accepted\r\n\r\n", true, 202, ""},
        {"body to the end of the stream", "HTTP/1.0 200 OK\r\n\r\nuntil close", true, 200, "until close"},
        {"bare line feeds", "HTTP/1.1 206 Partial\nContent-Length: 1\n\nz", true, 206, "z"},
        {"fault body kept", "HTTP/1.1 500 Error\r\nContent-Length: 5\r\n\r\nfault", false, 500, "fault"},
        {"credentials never sent", "HTTP/1.1 401 No\r\nContent-Length: 0\r\n\r\n", false, 401, ""},
        {"not found", "HTTP/1.1 404 No\r\nContent-Length: 0\r\n\r\n", false, 404, ""},
        {"redirect without Location", "HTTP/1.1 302 Moved\r\nContent-Length: 0\r\n\r\n", false, 302, ""},
        // Each of these fails the exchange without a status.
        {"cut off", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhalf", false, 0, ""},
        {"cut off in a chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab", false, 0, ""},
        {"cut off in the head", "HTTP/1.1 200 OK\r\nContent-Le", false, 0, ""},
        {"nothing at all", "", false, 0, ""},
        {"over the body limit", "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kMaxHttpBodyBytes + 1) + "\r\n\r\n", false, 0, ""},
        {"chunk over the limit", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFFFFFF\r\n", false, 0, ""},
        {"chunk size not hex", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n-1\r\n", false, 0, ""},
        {"chunk without its line end", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nab\r\n0\r\n\r\n", false, 0, ""},
        {"lengths disagree", "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab", false, 0, ""},
        {"length not a number", "HTTP/1.1 200 OK\r\nContent-Length: +1\r\n\r\na", false, 0, ""},
        {"unknown transfer coding", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n", false, 0, ""},
        {"not HTTP", "SSH-2.0-OpenSSH\r\n\r\n", false, 0, ""},
        {"status out of range", "HTTP/1.1 099 Low\r\n\r\n", false, 0, ""},
        {"folded header", "HTTP/1.1 200 OK\r\nX: a\r\n b\r\nContent-Length: 0\r\n\r\n", false, 0, ""},
        {"more interim responses than allowed", Repeat("HTTP/1.1 100 Continue\r\n\r\n", kMaxHttpInterimResponses + 1) +
                                                    "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", false, 0, ""},
        {"endless head", "HTTP/1.1 200 OK\r\nX: " + std::string(kMaxHttpHeadBytes, 'h'), false, 0, ""},
        {"endless trailers", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n" +
                                 std::string(kMaxHttpHeadBytes / 4, 'T') + "\r\n" +
                                 std::string(kMaxHttpHeadBytes, 'T'), false, 0, ""},
    };
    for (const auto& c : cases) {
        // Whole blocks, and one byte at a time, which splits the reply at every point.
        for (const std::size_t piece : {kHttpBlockBytes, std::size_t{1}}) {
            SCOPED_TRACE(std::string(c.name) + (piece == 1 ? ", byte by byte" : ""));
            ScriptedServer server({c.reply}, piece);
            CHttpClient client(server);
            const HttpExchangeResult result = client.Post(Endpoint(), "\"a\"", std::string(10000, 'b'));
            EXPECT_EQ(result.complete, c.complete);
            EXPECT_EQ(result.status, c.status);
            EXPECT_EQ(result.body, c.body);
            EXPECT_LE(server.largestSend, kHttpBlockBytes);
        }
    }
}

TEST(HttpExchange, RedirectsAreFollowedFiveTimesAtMostAndOnlyToTheSameServer)
{
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\ndone";
    ScriptedServer server({"HTTP/1.1 302 Found\r\nLocation: http://svc.example:8080/x.asmx\r\nContent-Length: 3\r\n\r\nabc",
                           "HTTP/1.1 301 Moved\r\nLocation: /y.asmx?z\r\nContent-Length: 0\r\n\r\n",
                           "HTTP/1.1 303 See Other\r\nLocation: w.asmx\r\nConnection: close\r\nContent-Length: 0\r\n\r\n",
                           ok});
    CHttpClient client(server);
    const HttpExchangeResult result = client.Post(Endpoint(), "\"a\"", "body");
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.body, "done");
    // A new connection only after "Connection: close".
    EXPECT_EQ(server.connects, (std::vector<std::string>{"svc.example:8080", "svc.example:8080"}));
    ASSERT_EQ(server.heads.size(), 4u);
    EXPECT_EQ(server.heads[1].rfind("POST /x.asmx HTTP/1.1\r\nHost: svc.example:8080\r\n", 0), 0u);
    EXPECT_EQ(server.heads[2].rfind("POST /y.asmx?z HTTP/1.1\r\n", 0), 0u);
    EXPECT_EQ(server.heads[3].rfind("POST /w.asmx HTTP/1.1\r\n", 0), 0u);

    const std::string hop = "HTTP/1.1 302 Found\r\nLocation: /again\r\nContent-Length: 0\r\n\r\n";
    ScriptedServer fiveHops({hop, hop, hop, hop, hop, ok});
    CHttpClient followed(fiveHops);
    EXPECT_TRUE(followed.Post(Endpoint(), "\"a\"", "").complete);
    ScriptedServer sixHops({hop, hop, hop, hop, hop, hop, ok});
    CHttpClient stopped(sixHops);
    EXPECT_FALSE(stopped.Post(Endpoint(), "\"a\"", "").complete);
    EXPECT_EQ(sixHops.heads.size(), 6u);

    for (const char* location : {"http://other.example:8080/service.asmx", "http://svc.example:81/service.asmx",
                                 "http://svc.example/service.asmx", "https://h/", "mailto:x@y", "http://h:99999/", ""}) {
        ScriptedServer server({std::string("HTTP/1.1 302 Found\r\nLocation: ") + location + "\r\n\r\n", ok});
        CHttpClient client(server);
        EXPECT_FALSE(client.Post(Endpoint(), "\"a\"", "").complete) << location;
        EXPECT_EQ(server.heads.size(), 1u) << location;
    }
}

TEST(HttpExchange, OneDeadlineEndsTheWholeExchange)
{
    // A reply a byte at a time, each byte 5 s after the last: no single wait is long,
    // only the deadline can end it.
    ScriptedServer server({"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(1000, 'x')}, 1);
    server.pace = milliseconds(5000);
    CHttpClient client(server, milliseconds(60000), [&server] { return server.now; });
    const HttpExchangeResult result = client.Post(Endpoint(), "\"a\"", "body");
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.status, 0);
    // Connect and both sends are offered the whole minute, then each receive what is left.
    ASSERT_EQ(server.waits.size(), 3u + 12u);
    EXPECT_EQ(server.waits.front(), milliseconds(60000));
    EXPECT_EQ(server.waits.back(), milliseconds(5000));
}
