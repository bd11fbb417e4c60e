// libFuzzer target for the HTTP side of the web-service client (core/HttpMessage,
// core/HttpClient), host build:
//
//   cmake --build --preset host --target HttpResponseFuzzer
//   build/host/HttpResponseFuzzer fuzz/corpus/httpresponse
//
// The first byte chooses how the server's bytes are cut into receives; the rest is
// what the server sends, again for every request (redirects included). Besides
// crashes and sanitizer reports it stops when the outcome depends on how the bytes
// were cut, or when a result breaks the client's bounds.

#include "core/HttpClient.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

class ReplayServer : public IHttpChannel {
public:
    ReplayServer(std::string_view reply, std::size_t piece) : m_reply(reply), m_piece(piece) {}
    bool Connect(const std::string&, std::uint16_t, std::chrono::milliseconds) override
    {
        m_offset = m_reply.size();
        return true;
    }
    void Disconnect() override {}
    bool Send(std::string_view bytes, std::chrono::milliseconds) override
    {
        if (bytes.substr(0, 5) == "POST ") {
            m_offset = 0;
            ++requests;
        }
        return true;
    }
    std::ptrdiff_t Receive(char* buffer, std::size_t capacity, std::chrono::milliseconds) override
    {
        const std::size_t count = std::min({capacity, m_piece, m_reply.size() - m_offset});
        std::memcpy(buffer, m_reply.data() + m_offset, count);
        m_offset += count;
        return static_cast<std::ptrdiff_t>(count);
    }

    int requests = 0;

private:
    std::string_view m_reply;
    std::size_t m_piece;
    std::size_t m_offset = 0;
};

HttpExchangeResult Exchange(std::string_view reply, std::size_t piece, int& requests)
{
    ReplayServer server(reply, piece);
    CHttpClient client(server);
    HttpExchangeResult result = client.Post(*ParseHttpUrl(L"http://h:81/service.asmx"), "\"a\"", "body");
    requests = server.requests;
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = static_cast<std::size_t>(data[0] % 16) + 1;
    const std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);

    int wholeRequests = 0, piecesRequests = 0;
    const HttpExchangeResult whole = Exchange(reply, kHttpBlockBytes, wholeRequests);
    const HttpExchangeResult pieces = Exchange(reply, piece, piecesRequests);
    Check(whole.complete == pieces.complete && whole.status == pieces.status && whole.body == pieces.body);
    Check(wholeRequests == piecesRequests && wholeRequests <= kMaxHttpRedirects + 1);
    Check(whole.body.size() <= kMaxHttpBodyBytes);
    Check(!whole.complete || ClassifyHttpStatus(whole.status) == HttpStatusClass::Complete);

    // A Location header of any shape resolves to something usable or to nothing.
    if (const auto target = ResolveLocation(*ParseHttpUrl(L"http://h/dir/x"), reply))
        Check(!target->host.empty() && !target->target.empty() && target->target.front() == '/');
    return 0;
}
