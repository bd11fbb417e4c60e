#pragma once
// Collects what workers post, for a receiver without windows (the console driver, the
// tests): the messages arrive on the queue of the thread that made the sink, as thread
// messages, so under Wine no desktop process starts. A text a message carries (a BSTR
// the receiver frees, see TakeText) is taken on receipt, and what is still queued when
// the sink goes is freed too.

#include "framework/Handles.h"
#include "framework/NotifyTarget.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

struct ReceivedMessage {
    UINT message = 0;
    WPARAM wParam = 0;  // 0 for a message that carried a text
    LPARAM lParam = 0;
    std::wstring text;

    bool operator==(const ReceivedMessage&) const = default;
};

class CMessageSink {
public:
    using CarriesText = std::function<bool(UINT message)>;

    // Gives the calling thread its message queue; use the sink on that thread only.
    explicit CMessageSink(CarriesText carriesText);
    ~CMessageSink();
    CMessageSink(const CMessageSink&) = delete;
    CMessageSink& operator=(const CMessageSink&) = delete;

    // Where workers post: the queue of the thread that made the sink.
    [[nodiscard]] CNotifyTarget Target() const { return CNotifyTarget::Thread(m_thread); }

    // Takes what is queued now.
    void Drain();
    // Takes messages until the thread has ended (a null handle: at once) or a stop is
    // requested, then what is still queued. True when the thread ended by itself.
    bool PumpUntilEnded(HANDLE thread);
    // Takes messages until one of this kind arrives (true) or the time-out has passed.
    [[nodiscard]] bool WaitFor(UINT message, DWORD timeoutMs);
    // Asks a running pump to return; safe from any thread (a console break handler).
    void RequestStop();

    [[nodiscard]] bool Received(UINT message) const;
    // The messages of one kind, in order.
    [[nodiscard]] std::vector<ReceivedMessage> Only(UINT message) const;

    std::vector<ReceivedMessage> messages;  // everything taken, in order

private:
    const DWORD m_thread;
    const CarriesText m_carriesText;
    std::atomic<bool> m_stopRequested{false};
    UniqueHandle m_stopEvent;  // manual reset: wakes a pump for RequestStop
};
