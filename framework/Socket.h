#pragma once
// RAII for Winsock: the library session (WSAStartup/WSACleanup) and sockets (closesocket).

#include <winsock2.h>
#include <ws2tcpip.h>

#include "framework/Handles.h"

namespace handle_traits {

struct Socket {
    using Handle = SOCKET;
    static Handle Empty() { return INVALID_SOCKET; }
    static bool IsValid(Handle h) { return h != INVALID_SOCKET; }
    static void Release(Handle h) { ::closesocket(h); }
};

}  // namespace handle_traits

using UniqueSocket = UniqueResource<handle_traits::Socket>;

// Winsock 2.2 for the owner's lifetime; sessions nest, each start has its cleanup.
class WinsockSession {
public:
    WinsockSession()
    {
        WSADATA data;
        m_started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession()
    {
        if (m_started)
            ::WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    [[nodiscard]] bool Started() const { return m_started; }

private:
    bool m_started = false;
};
