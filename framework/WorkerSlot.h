#pragma once
// The owner of one kind of worker: one current worker at a time, started, stopped and
// replaced the same way everywhere. A worker is a CWinThread with a Start that reports
// whether its thread runs, and a RequestStop that returns at once.
//
// A stopped worker is either waited for (the usual way: it may still write what the
// owner reads next; the wait keeps the owner's windows painted, see
// CWinThread::WaitForEnd) or retired: kept, without waiting, until its thread has
// ended. Retiring suits a worker that may be stuck in a call that ends only at its
// time-out, which a window must not wait for. The slot's end waits for every thread.

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include <windows.h>

enum class StoppedWorker { Waited, Retired };

template <typename Worker>
class CWorkerSlot {
public:
    explicit CWorkerSlot(StoppedWorker stopped = StoppedWorker::Waited) : m_stopped(stopped) {}
    ~CWorkerSlot()
    {
        Stop();
        for (const std::unique_ptr<Worker>& worker : m_retired)
            worker->WaitForEnd();
    }
    CWorkerSlot(const CWorkerSlot&) = delete;
    CWorkerSlot& operator=(const CWorkerSlot&) = delete;

    // Stops the current worker, then starts this one with Start(startArguments...).
    // False, and no current worker, when its thread cannot start.
    template <typename... StartArguments>
    [[nodiscard]] bool Start(std::unique_ptr<Worker> worker, StartArguments... startArguments)
    {
        Stop();
        if (!worker->Start(startArguments...))
            return false;
        m_current = std::move(worker);
        return true;
    }

    // Asks the current worker to stop and lets it go, waited for or retired; nothing
    // when there is none.
    void Stop()
    {
        std::erase_if(m_retired, [](const std::unique_ptr<Worker>& worker) {
            return ::WaitForSingleObject(worker->GetThreadHandle(), 0) != WAIT_TIMEOUT;
        });
        if (!m_current)
            return;
        m_current->RequestStop();
        if (m_stopped == StoppedWorker::Retired)
            m_retired.push_back(std::move(m_current));
        else
            Finish();
    }

    // For a worker whose last act is posting that it is done: waits for the end of its
    // thread and frees it.
    void Finish()
    {
        if (!m_current)
            return;
        m_current->WaitForEnd();
        m_current.reset();
    }

    // The current worker, running or ended; null when there is none.
    [[nodiscard]] Worker* Current() const { return m_current.get(); }

private:
    const StoppedWorker m_stopped;
    std::unique_ptr<Worker> m_current;
    std::vector<std::unique_ptr<Worker>> m_retired;
};
