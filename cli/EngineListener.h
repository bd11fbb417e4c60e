#pragma once
// The console driver's stand-in for the main window: it receives what the engine's
// workers post, as thread messages on the driver's own queue (no window, so Wine
// starts no desktop process), frees every text they carry, and notes what the
// commands need (the scan's end, the backups listed).

#include "framework/NotifyTarget.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

class EngineListener {
public:
    // Gives the calling thread its message queue; use the listener on that thread only.
    EngineListener();
    ~EngineListener();
    EngineListener(const EngineListener&) = delete;
    EngineListener& operator=(const EngineListener&) = delete;

    // Where the engine posts: the queue of the thread that made the listener.
    [[nodiscard]] CNotifyTarget Target() const { return CNotifyTarget::Thread(m_thread); }

    // Handles posted messages until the thread ends or a stop is requested (Ctrl+C),
    // then what is still queued. True when the thread ended by itself.
    [[nodiscard]] bool PumpUntilEnded(HANDLE thread);
    // Handles what is queued now.
    void Drain();

    // Asks a running pump to return; safe from any thread.
    void RequestStop() { m_stopRequested = true; }

    [[nodiscard]] bool ScanFinished() const { return m_scanFinished; }
    [[nodiscard]] bool RepairFinished() const { return m_repairFinished; }
    [[nodiscard]] const std::vector<std::wstring>& BackupsFound() const { return m_backups; }

private:
    void Handle(const MSG& msg);

    DWORD m_thread = 0;
    std::atomic<bool> m_stopRequested{false};
    bool m_scanFinished = false;
    bool m_repairFinished = false;
    std::vector<std::wstring> m_backups;
};
