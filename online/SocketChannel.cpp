#include "online/SocketChannel.h"

#include <algorithm>
#include <climits>
#include <memory>

namespace Service {

namespace {

struct AddressListDeleter {
    void operator()(ADDRINFOA* list) const { ::freeaddrinfo(list); }
};
using UniqueAddressList = std::unique_ptr<ADDRINFOA, AddressListDeleter>;

bool SetBlocking(SOCKET socket, bool blocking)
{
    u_long nonBlocking = blocking ? 0 : 1;
    return ::ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

}  // namespace

bool CSocketChannel::Connect(const std::string& host, std::uint16_t port)
{
    m_socket.reset();
    if (!m_winsock.Started())
        return false;
    ADDRINFOA hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOA* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    const UniqueAddressList addresses(found);
    for (const ADDRINFOA* address = addresses.get(); address; address = address->ai_next) {
        m_socket = ConnectTo(*address);
        if (m_socket)
            return true;
    }
    return false;
}

UniqueSocket CSocketChannel::ConnectTo(const ADDRINFOA& address) const
{
    UniqueSocket socket(::socket(address.ai_family, address.ai_socktype, address.ai_protocol));
    if (!socket || !SetBlocking(socket.get(), false))
        return {};
    // A non-blocking connect waited for with select: connect itself has no time-out.
    if (::connect(socket.get(), address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        if (::WSAGetLastError() != WSAEWOULDBLOCK)
            return {};
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket.get(), &writable);
        FD_SET(socket.get(), &failed);
        timeval wait{static_cast<long>(m_timeoutMs / 1000), static_cast<long>(m_timeoutMs % 1000) * 1000};
        if (::select(0, nullptr, &writable, &failed, &wait) != 1 || !FD_ISSET(socket.get(), &writable))
            return {};
        int error = 0;
        int length = sizeof(error);
        if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 ||
            error != 0)
            return {};
    }
    const DWORD timeout = m_timeoutMs;
    if (!SetBlocking(socket.get(), true) ||
        ::setsockopt(socket.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout)) != 0 ||
        ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout)) != 0)
        return {};
    return socket;
}

bool CSocketChannel::Send(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (!m_socket)
            return false;
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
        const int sent = ::send(m_socket.get(), bytes.data(), chunk, 0);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::ptrdiff_t CSocketChannel::Receive(char* buffer, std::size_t capacity)
{
    if (!m_socket)
        return -1;
    const int received = ::recv(m_socket.get(), buffer, static_cast<int>(std::min<std::size_t>(capacity, INT_MAX)), 0);
    return received < 0 ? -1 : received;
}

}  // namespace Service
