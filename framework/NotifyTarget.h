#pragma once
// Where a worker posts its messages: a window, or the message queue of a thread. The
// console driver has no window to offer: under Wine the first window of a session,
// even a message-only one, starts a desktop process, which costs every run a second.

#include <windows.h>

class CNotifyTarget {
public:
    CNotifyTarget() = default;  // posts nothing
    // A window is the usual receiver, so a window converts implicitly.
    CNotifyTarget(HWND window) : m_window(window) {}
    // The thread must have a message queue before anything is posted to it.
    [[nodiscard]] static CNotifyTarget Thread(DWORD threadId);

    [[nodiscard]] explicit operator bool() const { return m_window != nullptr || m_thread != 0; }

    // PostMessageW or PostThreadMessageW; false when there is no receiver or the post fails.
    bool Post(UINT message, WPARAM wParam, LPARAM lParam) const;
    // Posts a message that must arrive (a worker's last one): while the receiver's queue
    // is full, posts again every few milliseconds as long as a target window exists.
    // Once stopEvent (null: none) is signalled it gives up after one more try, since the
    // owner that asked for the stop may be waiting for this thread and not reading its
    // queue. False when the message was not posted.
    [[nodiscard]] bool PostUntilQueued(UINT message, WPARAM wParam, LPARAM lParam, HANDLE stopEvent) const;

private:
    HWND m_window = nullptr;
    DWORD m_thread = 0;
};
