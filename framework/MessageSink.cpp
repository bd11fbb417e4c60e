#include "framework/MessageSink.h"

#include "framework/Handles.h"

#include <algorithm>
#include <utility>

namespace {

// The queue is read in batches every few milliseconds rather than on every post: a scan
// posts one message per problem, and waking for each costs, under Wine, about as much
// as the registry work behind it.
constexpr DWORD kDrainIntervalMs = 20;

// Only thread messages: hWnd -1 leaves any window's messages alone.
const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

}  // namespace

CMessageSink::CMessageSink(CarriesText carriesText)
    : m_thread(::GetCurrentThreadId()), m_carriesText(std::move(carriesText))
{
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue before any post
}

CMessageSink::~CMessageSink() { Drain(); }

void CMessageSink::Drain()
{
    MSG msg;
    while (::PeekMessageW(&msg, kThreadMessagesOnly, 0, 0, PM_REMOVE)) {
        ReceivedMessage received{msg.message, msg.wParam, msg.lParam, {}};
        if (m_carriesText(msg.message)) {
            received.text = TakeText(msg.wParam);
            received.wParam = 0;
        }
        messages.push_back(std::move(received));
    }
}

bool CMessageSink::PumpUntilEnded(HANDLE thread)
{
    if (!thread)
        return true;
    while (::WaitForSingleObject(thread, kDrainIntervalMs) == WAIT_TIMEOUT) {
        Drain();
        if (m_stopRequested)
            return false;
    }
    Drain();
    return true;
}

bool CMessageSink::WaitFor(UINT message, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (std::size_t checked = messages.size();; checked = messages.size()) {
        Drain();
        if (std::any_of(messages.begin() + static_cast<std::ptrdiff_t>(checked), messages.end(),
                        [message](const ReceivedMessage& m) { return m.message == message; }))
            return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLPOSTMESSAGE);
    }
}

bool CMessageSink::Received(UINT message) const
{
    return std::any_of(messages.begin(), messages.end(), [message](const ReceivedMessage& m) {
        return m.message == message;
    });
}

std::vector<ReceivedMessage> CMessageSink::Only(UINT message) const
{
    std::vector<ReceivedMessage> out;
    std::copy_if(messages.begin(), messages.end(), std::back_inserter(out),
                 [message](const ReceivedMessage& m) { return m.message == message; });
    return out;
}
