#pragma once
// One SOAP POST over HTTP/1.1, independent of the socket layer: the exchange drives a
// byte channel (Winsock in the program, a script in the tests) through connect, send
// and receive, follows redirects and keeps the connection for the next call unless
// the server closes it. The whole exchange, however the server paces its bytes, ends
// by one deadline.

#include "core/HttpMessage.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

inline constexpr int kMaxHttpRedirects = 5;
inline constexpr std::chrono::milliseconds kHttpExchangeDeadline{60000};

// A connection to one server at a time. Every call may fail (time-out, reset, the
// caller abandoning the exchange); the exchange then drops the connection. Each call
// returns, failed, once `wait` is over (the name lookup of Connect included).
class IHttpChannel {
public:
    virtual ~IHttpChannel() = default;
    // Closes any open connection, then connects.
    [[nodiscard]] virtual bool Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds wait) = 0;
    virtual void Disconnect() = 0;
    // Sends all the bytes or fails.
    [[nodiscard]] virtual bool Send(std::string_view bytes, std::chrono::milliseconds wait) = 0;
    // Bytes received (at most capacity), 0 when the peer closed, -1 on failure.
    [[nodiscard]] virtual std::ptrdiff_t Receive(char* buffer, std::size_t capacity,
                                                 std::chrono::milliseconds wait) = 0;
};

using HttpClock = std::function<std::chrono::steady_clock::time_point()>;

struct HttpExchangeResult {
    bool complete = false;  // a final status of the complete class arrived
    int status = 0;         // 0 when no response arrived whole
    std::string body;
};

class CHttpClient {
public:
    // deadline: how long one Post may take in all; clock: the time it is measured by.
    explicit CHttpClient(IHttpChannel& channel, std::chrono::milliseconds deadline = kHttpExchangeDeadline,
                         HttpClock clock = std::chrono::steady_clock::now)
        : m_channel(channel), m_deadline(deadline), m_clock(std::move(clock))
    {
    }

    // Sends the head and the body (in blocks of kHttpBlockBytes) and reads the reply,
    // following at most kMaxHttpRedirects redirects with the same request, each to the
    // same host and port (a reply that sends it elsewhere fails the exchange). A failed
    // status still carries its body (a SOAP fault comes with 500). Fails, without a
    // status, once the deadline has passed.
    [[nodiscard]] HttpExchangeResult Post(const HttpUrl& url, std::string_view soapAction, std::string_view body);

private:
    [[nodiscard]] std::chrono::milliseconds TimeLeft() const;
    [[nodiscard]] bool EnsureConnected(const HttpUrl& url);
    [[nodiscard]] bool SendRequest(const HttpUrl& url, std::string_view soapAction, std::string_view body);
    [[nodiscard]] bool ReadResponse(HttpResponse& response);
    void Drop();

    IHttpChannel& m_channel;
    std::chrono::milliseconds m_deadline;
    HttpClock m_clock;
    std::chrono::steady_clock::time_point m_end;  // of the exchange under way
    bool m_connected = false;
    std::string m_host;
    std::uint16_t m_port = 0;
};
