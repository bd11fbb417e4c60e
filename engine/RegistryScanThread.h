#pragma once
// The scan worker: runs the chosen sections in number order and reports only by
// posting messages (ScanMessages.h) to the target window.
//
// Owner's protocol: construct with the selection and the ScanTarget, Start(); to
// cancel, RequestStop() then wait for the thread; delete the object only after its
// thread has ended. The object is never auto-deleted (CWorkerSlot owns it).

#include "core/ScanSections.h"
#include "engine/ScanContext.h"
#include "framework/WinThread.h"

#include <array>
#include <cstdint>

class CRegistryScanThread : public CWinThread {
public:
    using Selection = std::array<std::uint8_t, kSectionCount>;  // byte n non-zero: scan section n

    CRegistryScanThread(const Selection& sections, const ScanTarget& target);
    ~CRegistryScanThread() override = default;

    // Sets running and starts the thread (suspended: it runs after ResumeThread);
    // false when the thread cannot be created (running is then cleared again).
    [[nodiscard]] bool Start(bool suspended = false);
    // Clears running, stops the file finder and ends the section pause; returns at once.
    void RequestStop();
    [[nodiscard]] bool IsRunning() const { return m_context.running; }

    // The thread body: exit code 1. Never lets an exception out.
    int Run() override;

private:
    // The selected sections in number order, then WM_SCAN_FINISHED unless stopped.
    void RunSections();
    void RunSection(int section, int ordinal);

    Selection m_sections;
    ScanContext m_context;
};
