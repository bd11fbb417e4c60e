#include "cli/EngineListener.h"

#include "engine/EngineMessages.h"
#include "engine/ScanMessages.h"
#include "framework/Handles.h"

namespace {

// The queue is drained in batches every few milliseconds rather than on every post: a
// scan posts one message per problem, and waking for each costs, under Wine, about as
// much as the registry work behind it.
constexpr DWORD kDrainIntervalMs = 20;

// Only thread messages: hWnd -1 leaves any window's messages alone.
const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

}  // namespace

EngineListener::EngineListener() : m_thread(::GetCurrentThreadId())
{
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue before any post
}

EngineListener::~EngineListener()
{
    Drain();  // frees the texts of messages still queued
}

void EngineListener::Drain()
{
    MSG msg;
    while (::PeekMessageW(&msg, kThreadMessagesOnly, 0, 0, PM_REMOVE))
        Handle(msg);
}

bool EngineListener::PumpUntilEnded(HANDLE thread)
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

void EngineListener::Handle(const MSG& msg)
{
    switch (msg.message) {
    case WM_SCAN_ITEM:
    case WM_REPAIR_ITEM:
        (void)TakeText(msg.wParam);
        break;
    case WM_BACKUP_FOUND:
        m_backups.push_back(TakeText(msg.wParam));
        break;
    case WM_SCAN_FINISHED:
        m_scanFinished = true;
        break;
    case WM_REPAIR_FINISHED:
        m_repairFinished = true;
        break;
    default:
        break;
    }
}
