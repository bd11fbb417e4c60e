#pragma once
// One SOAP POST over HTTP/1.1, independent of the socket layer: the exchange drives a
// byte channel (Winsock in the program, a script in the tests) through connect, send
// and receive, follows redirects and keeps the connection for the next call unless
// the server closes it.

#include "core/HttpMessage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr int kMaxHttpRedirects = 5;

// A connection to one server at a time. Every call may fail (time-out, reset); the
// exchange then drops the connection.
class IHttpChannel {
public:
    virtual ~IHttpChannel() = default;
    // Closes any open connection, then connects.
    [[nodiscard]] virtual bool Connect(const std::string& host, std::uint16_t port) = 0;
    virtual void Disconnect() = 0;
    // Sends all the bytes or fails.
    [[nodiscard]] virtual bool Send(std::string_view bytes) = 0;
    // Bytes received (at most capacity), 0 when the peer closed, -1 on failure.
    [[nodiscard]] virtual std::ptrdiff_t Receive(char* buffer, std::size_t capacity) = 0;
};

struct HttpExchangeResult {
    bool complete = false;  // a final status of the complete class arrived
    int status = 0;         // 0 when no response arrived whole
    std::string body;
};

class CHttpClient {
public:
    explicit CHttpClient(IHttpChannel& channel) : m_channel(channel) {}

    // Sends the head and the body (in blocks of kHttpBlockBytes) and reads the reply,
    // following at most kMaxHttpRedirects redirects with the same request. A failed
    // status still carries its body (a SOAP fault comes with 500).
    [[nodiscard]] HttpExchangeResult Post(const HttpUrl& url, std::string_view soapAction, std::string_view body);

private:
    [[nodiscard]] bool EnsureConnected(const HttpUrl& url);
    [[nodiscard]] bool SendRequest(const HttpUrl& url, std::string_view soapAction, std::string_view body);
    [[nodiscard]] bool ReadResponse(HttpResponse& response);
    void Drop();

    IHttpChannel& m_channel;
    bool m_connected = false;
    std::string m_host;
    std::uint16_t m_port = 0;
};
