#pragma once
// A window that shows a worker's work stops taking the worker's messages once it has
// begun to close (it has given its final answer, or stopped the worker): a message that
// still arrives is dropped, and the text it carries freed.

#include "ui/MessageForwarder.h"

#include <windows.h>

#include <utility>

class CClosingGuard {
public:
    // When the window opens (a window object may be shown again).
    void Open() { m_closing = false; }
    // True only the first time, so the worker is stopped once.
    bool Close() { return !std::exchange(m_closing, true); }
    [[nodiscard]] bool IsClosing() const { return m_closing; }
    // For a worker's message: true when the window is closing and the message was dropped.
    [[nodiscard]] bool Drops(UINT message, WPARAM wParam) const
    {
        if (m_closing)
            ReleaseMessageText(message, wParam);
        return m_closing;
    }

private:
    bool m_closing = false;
};
