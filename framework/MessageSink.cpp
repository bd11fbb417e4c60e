#include "framework/MessageSink.h"

#include "framework/Handles.h"

#include <algorithm>
#include <utility>

namespace {

// Without a stop event a pump looks for a stop request this often.
constexpr DWORD kStopPollMs = 20;

// Only thread messages: hWnd -1 leaves any window's messages alone.
const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

}  // namespace

CMessageSink::CMessageSink(CarriesText carriesText)
    : m_thread(::GetCurrentThreadId()),
      m_carriesText(std::move(carriesText)),
      m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
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

void CMessageSink::RequestStop()
{
    m_stopRequested = true;
    if (m_stopEvent)
        ::SetEvent(m_stopEvent.get());
}

bool CMessageSink::PumpUntilEnded(HANDLE thread)
{
    if (!thread)
        return true;
    // Wakes only for a message, the thread's end or a stop: under Wine every wake-up is
    // a server request, so none is spent polling an idle queue.
    const HANDLE handles[] = {thread, m_stopEvent.get()};
    const DWORD count = m_stopEvent ? 2 : 1;
    const DWORD timeout = m_stopEvent ? INFINITE : kStopPollMs;
    for (;;) {
        Drain();
        if (m_stopRequested)
            return false;
        const DWORD woke = ::MsgWaitForMultipleObjects(count, handles, FALSE, timeout, QS_ALLPOSTMESSAGE);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED)
            break;  // the thread has ended, or cannot be waited for
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
