#pragma once
// The console driver's stand-in for the main window: a message-only window that
// receives what the engine's workers post, frees every text they carry, and notes
// what the commands need (the scan's end, the backups listed).

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

class EngineListener {
public:
    EngineListener();
    ~EngineListener();
    EngineListener(const EngineListener&) = delete;
    EngineListener& operator=(const EngineListener&) = delete;

    [[nodiscard]] HWND Window() const { return m_window; }

    // Dispatches posted messages until the thread ends or a stop is requested (Ctrl+C),
    // then what is still queued. True when the thread ended by itself.
    [[nodiscard]] bool PumpUntilEnded(HANDLE thread);
    // Dispatches what is queued now.
    void Drain();

    // Asks a running pump to return; safe from any thread.
    void RequestStop();

    [[nodiscard]] bool ScanFinished() const { return m_scanFinished; }
    [[nodiscard]] bool RepairFinished() const { return m_repairFinished; }
    [[nodiscard]] const std::vector<std::wstring>& BackupsFound() const { return m_backups; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::atomic<bool> m_stopRequested{false};
    bool m_scanFinished = false;
    bool m_repairFinished = false;
    std::vector<std::wstring> m_backups;
};
