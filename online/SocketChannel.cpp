#include "online/SocketChannel.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace Service {

namespace {

// How often a wait looks at the abandon flag.
constexpr std::chrono::milliseconds kAbandonPoll{100};

struct AddressListDeleter {
    void operator()(ADDRINFOA* list) const { ::freeaddrinfo(list); }
};
using UniqueAddressList = std::unique_ptr<ADDRINFOA, AddressListDeleter>;

bool SetBlocking(SOCKET socket, bool blocking)
{
    u_long nonBlocking = blocking ? 0 : 1;
    return ::ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

// What a lookup thread hands over; shared, so that a caller who stopped waiting leaves
// the freeing to the thread.
struct LookupState {
    WinsockSession winsock;  // the thread may outlive the channel's own session
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    UniqueAddressList addresses;
};

// getaddrinfo has no time-out of its own: it runs on a thread that nobody waits for
// past `end` or after `abandoned`.
UniqueAddressList LookUp(const std::string& host, std::uint16_t port, std::chrono::steady_clock::time_point end,
                         const std::atomic<bool>* abandoned)
{
    auto state = std::make_shared<LookupState>();
    if (!state->winsock.Started())
        return {};
    try {
        std::thread([state, host, service = std::to_string(port)] {
            ADDRINFOA hints{};
            hints.ai_family = AF_UNSPEC;
            hints.ai_socktype = SOCK_STREAM;
            hints.ai_protocol = IPPROTO_TCP;
            ADDRINFOA* found = nullptr;
            const bool resolved = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) == 0;
            const std::lock_guard lock(state->mutex);
            if (resolved)
                state->addresses.reset(found);
            state->done = true;
            state->finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return {};
    }
    std::unique_lock lock(state->mutex);
    while (!state->done) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end || (abandoned && *abandoned))
            return {};
        state->finished.wait_for(lock, std::min<std::chrono::steady_clock::duration>(end - now, kAbandonPoll));
    }
    return std::move(state->addresses);
}

}  // namespace

CSocketChannel::Clock::time_point CSocketChannel::StepEnd(std::chrono::milliseconds wait) const
{
    return Clock::now() + std::min(wait, m_timeout);
}

bool CSocketChannel::WaitUntilReady(SOCKET socket, bool write, Clock::time_point end) const
{
    for (;;) {
        const auto now = Clock::now();
        if (Abandoned() || now >= end)
            return false;
        const auto slice = std::chrono::duration_cast<std::chrono::microseconds>(
            std::min<Clock::duration>(end - now, kAbandonPoll));
        fd_set ready, failed;
        FD_ZERO(&ready);
        FD_ZERO(&failed);
        FD_SET(socket, &ready);
        FD_SET(socket, &failed);
        timeval wait{0, static_cast<long>(slice.count())};
        const int count = ::select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &wait);
        if (count < 0 || FD_ISSET(socket, &failed))
            return false;
        if (count > 0)
            return true;
    }
}

bool CSocketChannel::Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds wait)
{
    m_socket.reset();
    if (!m_winsock.Started())
        return false;
    const Clock::time_point end = StepEnd(wait);
    const UniqueAddressList addresses = LookUp(host, port, end, m_abandoned);
    for (const ADDRINFOA* address = addresses.get(); address; address = address->ai_next) {
        m_socket = ConnectTo(*address, end);
        if (m_socket)
            return true;
    }
    return false;
}

UniqueSocket CSocketChannel::ConnectTo(const ADDRINFOA& address, Clock::time_point end) const
{
    // The socket stays non-blocking: every step waits in select, where the end and the
    // abandon flag are looked at.
    UniqueSocket socket(::socket(address.ai_family, address.ai_socktype, address.ai_protocol));
    if (!socket || !SetBlocking(socket.get(), false))
        return {};
    if (::connect(socket.get(), address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        if (::WSAGetLastError() != WSAEWOULDBLOCK || !WaitUntilReady(socket.get(), true, end))
            return {};
        int error = 0;
        int length = sizeof(error);
        if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 ||
            error != 0)
            return {};
    }
    return socket;
}

bool CSocketChannel::Send(std::string_view bytes, std::chrono::milliseconds wait)
{
    const Clock::time_point end = StepEnd(wait);
    while (!bytes.empty()) {
        if (!m_socket || !WaitUntilReady(m_socket.get(), true, end))
            return false;
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
        const int sent = ::send(m_socket.get(), bytes.data(), chunk, 0);
        if (sent == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK)
            continue;
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::ptrdiff_t CSocketChannel::Receive(char* buffer, std::size_t capacity, std::chrono::milliseconds wait)
{
    const Clock::time_point end = StepEnd(wait);
    for (;;) {
        if (!m_socket || !WaitUntilReady(m_socket.get(), false, end))
            return -1;
        const int received =
            ::recv(m_socket.get(), buffer, static_cast<int>(std::min<std::size_t>(capacity, INT_MAX)), 0);
        if (received == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK)
            continue;
        return received < 0 ? -1 : received;
    }
}

}  // namespace Service
