#pragma once
// HTTP/1.1 messages of the web-service client: the endpoint URL, the POST head, the
// status table, and an incremental reader of one response that bounds everything it
// keeps (head lines, body size), so a hostile or broken server can only fail the call.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The client carries only SOAP replies, which never need more (see kMaxSoapReplyBytes).
inline constexpr std::size_t kMaxHttpBodyBytes = 1024u * 1024;
inline constexpr std::size_t kMaxHttpHeadBytes = 64u * 1024;  // status line and headers, or trailers
inline constexpr std::size_t kHttpBlockBytes = 4096;
// Interim (1xx) responses skipped before the final one; a server that sends more only
// keeps the call waiting.
inline constexpr int kMaxHttpInterimResponses = 4;

struct HttpUrl {
    std::string host;
    std::uint16_t port = 80;
    std::string target;  // path and query, starting with "/"
};

// A plain "http://host[:port][/path][?query]" URL (the scheme in any case, no user
// part, a host of letters, digits, dots and hyphens, a port 1-65535); the fragment is
// dropped. nullopt for anything else, https included, or control characters or spaces.
[[nodiscard]] std::optional<HttpUrl> ParseHttpUrl(std::wstring_view url);

// A Location header's target, absolute or relative to the host ("/path") of the
// request it answers; nullopt when unusable.
[[nodiscard]] std::optional<HttpUrl> ResolveLocation(const HttpUrl& from, std::string_view location);

// "POST", Host (with ":port" unless 80), Content-Length, Content-Type, SOAPAction,
// Accept and User-Agent lines, then the empty line.
[[nodiscard]] std::string BuildSoapPostHead(const HttpUrl& url, std::size_t bodyBytes, std::string_view soapAction);

enum class HttpStatusClass { Complete, Redirect, Failed };
// 200-206, 304 and 305 complete the exchange; 301-303 redirect; anything else fails it.
[[nodiscard]] HttpStatusClass ClassifyHttpStatus(int status);

struct HttpResponse {
    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;  // names as sent, values trimmed
    std::string body;
    bool closeConnection = false;  // "Connection: close", or an HTTP/1.0 reply without keep-alive

    // The first header of that name (compared without regard to case).
    [[nodiscard]] std::optional<std::string_view> Header(std::string_view name) const;
};

// Reads one response from bytes as they arrive. Up to kMaxHttpInterimResponses interim
// 1xx responses are skipped (one more fails the response);
// the body is framed by chunks (trailers read and ignored), by Content-Length, or by
// the end of the stream; 202, 204 and 304 responses have no body read.
class CHttpResponseReader {
public:
    enum class Progress { NeedMore, Done, Failed };

    // Takes the next bytes; bytes past the end of the response are ignored.
    Progress Feed(std::string_view bytes);
    // The peer closed the connection: completes a body framed by the close, fails otherwise.
    Progress EndOfStream();

    [[nodiscard]] Progress State() const { return m_progress; }
    [[nodiscard]] HttpResponse TakeResponse() { return std::move(m_response); }

private:
    enum class Stage { StatusLine, Headers, FixedBody, BodyToClose, ChunkSize, ChunkData, ChunkEnd, Trailers };

    bool Step();
    bool TakeLine(std::string& line);
    bool StartHead(const std::string& line);
    bool AddHeader(const std::string& line);
    bool EndHead();
    bool AppendBody(std::size_t count);
    void Finish();
    void Failed();

    Progress m_progress = Progress::NeedMore;
    Stage m_stage = Stage::StatusLine;
    std::string m_pending;          // bytes received and not yet consumed
    std::size_t m_searched = 0;     // of m_pending, already searched for a line end
    std::size_t m_lineBytes = 0;    // head or trailer bytes so far
    std::uint64_t m_remaining = 0;  // of the fixed body or the current chunk
    bool m_http10 = false;
    int m_interimResponses = 0;
    HttpResponse m_response;
};
