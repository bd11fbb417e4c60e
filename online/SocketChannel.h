#pragma once
// The web-service client's TCP transport over Winsock. Every connect, send and receive
// waits at most the time-out it was given, so a silent server can only fail a call.

#include "core/HttpClient.h"
#include "framework/Socket.h"

namespace Service {

class CSocketChannel final : public IHttpChannel {
public:
    explicit CSocketChannel(DWORD timeoutMs) : m_timeoutMs(timeoutMs) {}

    // Tries each address the host name resolves to, within the time-out for each.
    [[nodiscard]] bool Connect(const std::string& host, std::uint16_t port) override;
    void Disconnect() override { m_socket.reset(); }
    [[nodiscard]] bool Send(std::string_view bytes) override;
    [[nodiscard]] std::ptrdiff_t Receive(char* buffer, std::size_t capacity) override;

private:
    [[nodiscard]] UniqueSocket ConnectTo(const ADDRINFOA& address) const;

    WinsockSession m_winsock;
    UniqueSocket m_socket;
    DWORD m_timeoutMs;
};

}  // namespace Service
