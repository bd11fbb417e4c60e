#pragma once
// Workers post every message to the main window; it passes each one on, unchanged, to the
// window that shows that work. Those windows exist only while shown, so a message whose
// window is not shown is lost - and the text a lost message carries (a BSTR the final
// receiver would free) is freed here instead of leaking.

#include "framework/Dialog.h"

#include <windows.h>

#include <array>

// The windows that show a worker's work.
enum class WorkWindow { ScanProgress = 0, Repair, Restore, Download };
inline constexpr size_t kWorkWindowCount = 4;

// The window that shows the work a message reports; false for messages not passed on.
[[nodiscard]] bool WorkWindowOf(UINT message, WorkWindow& window);
// Whether the message reports the work that this window shows.
[[nodiscard]] inline bool IsWorkOf(WorkWindow window, UINT message)
{
    WorkWindow shown{};
    return WorkWindowOf(message, shown) && shown == window;
}

// Frees the text a message carries, if it carries one.
void ReleaseMessageText(UINT message, WPARAM wParam);
// Frees the texts of the messages still queued for a window that is about to go away
// (posted before it closed, they would be thrown away with it). Call on its own thread.
void DiscardQueuedTexts(HWND window);

// Counts, while alive, the texts that ReleaseMessageText frees (they are still freed),
// so tests can prove that no lost text leaks and none is freed twice. UI thread only.
class CTextReleaseCounter {
public:
    CTextReleaseCounter();
    ~CTextReleaseCounter();
    CTextReleaseCounter(const CTextReleaseCounter&) = delete;
    CTextReleaseCounter& operator=(const CTextReleaseCounter&) = delete;
    [[nodiscard]] int Count() const { return m_count; }

private:
    friend void ReleaseMessageText(UINT, WPARAM);
    int m_count = 0;
    CTextReleaseCounter* m_previous;
};

class CMessageForwarder {
public:
    enum class Outcome { NotForwarded, Posted, Lost };

    // The window object that shows this kind of work; null (the default) loses its
    // messages. The object must outlive the forwarder or be reset to null first.
    void SetTarget(WorkWindow role, const CDialogBase* window);
    [[nodiscard]] const CDialogBase* GetTarget(WorkWindow role) const;

    // Posts a worker message on to its window when that window is shown; otherwise the
    // message is lost and its text freed. A finishing message whose post fails (a full
    // queue) is delivered directly instead. NotForwarded for messages that are not worker
    // messages (nothing is done with them).
    Outcome Forward(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    std::array<const CDialogBase*, kWorkWindowCount> m_targets{};
};

// Makes a window the target of its kind of work while the scope lasts (while the window
// is open), and no window after it.
class CForwardingScope {
public:
    CForwardingScope(CMessageForwarder& forwarder, WorkWindow role, const CDialogBase& window)
        : m_forwarder(forwarder), m_role(role)
    {
        m_forwarder.SetTarget(m_role, &window);
    }
    ~CForwardingScope() { m_forwarder.SetTarget(m_role, nullptr); }
    CForwardingScope(const CForwardingScope&) = delete;
    CForwardingScope& operator=(const CForwardingScope&) = delete;

private:
    CMessageForwarder& m_forwarder;
    WorkWindow m_role;
};
