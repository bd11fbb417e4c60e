#pragma once
// A worker that carries out one task for a window, so that the window keeps painting
// and answering while the task waits on the network or the disk. When the task has
// ended it posts the window's message, unless the owner abandoned it first.
//
// Owner's protocol (CWindowTask keeps it): construct, Start(); on the message,
// WaitForEnd() (the thread is about to end), then read what the task wrote; to give up,
// AbandonAndWait(), after which nothing is posted. Destroy the object only after one of
// the two.

#include "framework/WinThread.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

class CTaskThread : public CWinThread {
public:
    // The task sees the abandon flag and should hand it to whatever it waits on.
    using Task = std::function<void(const std::atomic<bool>& abandoned)>;

    CTaskThread(HWND notify, UINT doneMessage, Task task);

    [[nodiscard]] bool Start() { return CreateThread(); }
    // Sets the abandon flag and waits for the thread (see WaitForEnd): as long as the
    // task takes to notice the flag.
    void AbandonAndWait();

    int Run() override;

private:
    const HWND m_notify;
    const UINT m_doneMessage;
    Task m_task;
    std::atomic<bool> m_abandoned{false};
};

// A window's one task at a time: the worker is always waited for before it is freed,
// and never outlives its owner.
class CWindowTask {
public:
    CWindowTask() = default;
    ~CWindowTask() { Abandon(); }
    CWindowTask(const CWindowTask&) = delete;
    CWindowTask& operator=(const CWindowTask&) = delete;

    // False (and nothing runs) when the thread cannot be started.
    [[nodiscard]] bool Start(HWND notify, UINT doneMessage, CTaskThread::Task task);
    // On the done message: waits for the thread's last moments and frees it.
    void Finish();
    // Gives the task up and waits for it; nothing is posted afterwards.
    void Abandon();
    [[nodiscard]] bool IsBusy() const { return m_thread != nullptr; }

private:
    std::unique_ptr<CTaskThread> m_thread;
};
