#pragma once
// A worker that carries out one task for a window, so that the window keeps painting
// and answering while the task waits on the network or the disk. When the task has
// ended it posts the window's message, unless the owner abandoned it first
// (RequestStop); an abandoned task posts nothing. CWindowTask owns it.

#include "framework/WinThread.h"
#include "framework/WorkerSlot.h"

#include <windows.h>

#include <atomic>
#include <functional>

class CTaskThread : public CWinThread {
public:
    // The task sees the abandon flag and should hand it to whatever it waits on.
    using Task = std::function<void(const std::atomic<bool>& abandoned)>;

    CTaskThread(HWND notify, UINT doneMessage, Task task);

    [[nodiscard]] bool Start() { return CreateThread(); }
    // Sets the abandon flag; returns at once.
    void RequestStop() { m_abandoned = true; }

    int Run() override;

private:
    const HWND m_notify;
    const UINT m_doneMessage;
    Task m_task;
    std::atomic<bool> m_abandoned{false};
};

// A window's one task at a time: the worker is always waited for before it is freed,
// and never outlives its owner. On the done message, Finish() (the thread is about to
// end), then read what the task wrote; to give up, Stop(), after which nothing is posted.
class CWindowTask : public CWorkerSlot<CTaskThread> {
public:
    // False (and nothing runs) when the thread cannot be started.
    [[nodiscard]] bool Start(HWND notify, UINT doneMessage, CTaskThread::Task task)
    {
        return CWorkerSlot::Start(std::make_unique<CTaskThread>(notify, doneMessage, std::move(task)));
    }
    [[nodiscard]] bool IsBusy() const { return Current() != nullptr; }
};
