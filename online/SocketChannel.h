#pragma once
// The web-service client's TCP transport over Winsock. Every step (name lookup, connect,
// send, receive) waits at most the time-out it was given and no longer than the exchange
// allows, and returns failed soon after the owner sets the abandon flag, so neither a
// silent server nor a user who gave up keeps a thread waiting.

#include "core/HttpClient.h"
#include "framework/Socket.h"

#include <atomic>
#include <chrono>

namespace Service {

class CSocketChannel final : public IHttpChannel {
public:
    // abandoned: set from another thread to end the call under way (null: never).
    CSocketChannel(DWORD timeoutMs, const std::atomic<bool>* abandoned)
        : m_timeout(timeoutMs), m_abandoned(abandoned)
    {
    }

    // Tries each address the host name resolves to.
    [[nodiscard]] bool Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds wait) override;
    void Disconnect() override { m_socket.reset(); }
    [[nodiscard]] bool Send(std::string_view bytes, std::chrono::milliseconds wait) override;
    [[nodiscard]] std::ptrdiff_t Receive(char* buffer, std::size_t capacity, std::chrono::milliseconds wait) override;

private:
    using Clock = std::chrono::steady_clock;

    [[nodiscard]] bool Abandoned() const { return m_abandoned && *m_abandoned; }
    [[nodiscard]] Clock::time_point StepEnd(std::chrono::milliseconds wait) const;
    [[nodiscard]] UniqueSocket ConnectTo(const ADDRINFOA& address, Clock::time_point end) const;
    // Until the socket can be written (or read), the end has passed or the call is abandoned.
    [[nodiscard]] bool WaitUntilReady(SOCKET socket, bool write, Clock::time_point end) const;

    WinsockSession m_winsock;
    UniqueSocket m_socket;
    std::chrono::milliseconds m_timeout;
    const std::atomic<bool>* m_abandoned;
};

}  // namespace Service
