#pragma once
// The repair worker: removes the chosen problems one after another and records every
// registry entry it removes in a backup file first, so the restore can write it back.
// It reports only by posting messages (EngineMessages.h) to the target window.
//
// Safety rules, in this order, for each problem:
// - nothing is removed unless the backup file exists and every line so far was
//   written; once the backup cannot be written, no registry entry and no shortcut
//   file is touched any more, none of them counts as repaired, and BackupFailed()
//   tells the owner;
// - nothing is removed that no longer holds or cannot be trusted (CProblemCheck), or
//   whose backup line could not bring it back exactly (BackupLineRoundTrips);
// - the backup line (for a shortcut: its copy and listing line) is written and
//   flushed before the entry or file is deleted.
// A problem of a list-only section is never removed: once re-checked like the others,
// its registry item goes to the repaired-items list (and gets its backup line when the
// line reads back exactly), so later scans skip it.
// Only what really went counts in Repaired. A problem left alone while it still may be
// there (a doubtful check, a line that cannot bring it back, a failed backup or
// deletion) is listed in Unrepaired() and, when the target asks, kept in the
// unresolved-problems store so the user finds it again.
//
// Owner's protocol: construct, Start(); to cancel, RequestStop() then wait for the
// thread. Delete the object only after its thread has ended. The object is never
// auto-deleted (CWorkerSlot owns it).

#include "core/ProblemRecord.h"
#include "core/ScanSections.h"
#include "engine/BackupWriter.h"
#include "engine/RepairedItems.h"
#include "framework/Handles.h"
#include "framework/NotifyTarget.h"
#include "framework/WinThread.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

struct RepairTarget {
    SectionCounters* counters = nullptr;  // Repaired of the problem's section is counted here
    CRepairedItems* repaired = nullptr;   // list-only items are added, then the list is saved
    CNotifyTarget notify;                 // receives the repair messages; none: nothing is posted
    std::wstring backupFolder;            // created when missing
    bool keepUnrepaired = false;          // problems left alone go back to the unresolved store
};

class CRepairErrorsThread : public CWinThread {
public:
    // Copies the problems now, on the owner's thread, so the worker never reads the
    // owner's list.
    CRepairErrorsThread(const CErrorListEx& problems, RepairTarget target);
    ~CRepairErrorsThread() override = default;

    // Starts the thread; false when it cannot be created (running is cleared again).
    [[nodiscard]] bool Start();
    // Clears running and ends a pause at once; the worker ends before its next problem.
    void RequestStop();
    [[nodiscard]] bool IsRunning() const { return m_running; }

    // Valid once the thread has ended (or after WM_REPAIR_FINISHED):
    // the backup file of this run (empty when none could be created),
    [[nodiscard]] std::wstring BackupPath() const;
    // whether the backup could not be created or written (registry and files were then
    // left alone from that point on),
    [[nodiscard]] bool BackupFailed() const { return m_backupFailed; }
    // whether the repaired-items list could not be saved,
    [[nodiscard]] bool RepairedItemsSaveFailed() const { return m_saveFailed; }
    // and the problems left alone although they may still be there.
    [[nodiscard]] const CErrorListEx& Unrepaired() const { return m_unrepaired; }

    int Run() override;

private:
    enum class Outcome { Repaired, Gone, LeftAlone };

    Outcome Handle(const CError& problem, class CProblemCheck& check);
    Outcome Remove(const CError& problem, class CProblemCheck& check);
    // Through handles from the user's profile folder, which every program of the user
    // can change: re-checked, kept and deleted through the one handle of the file.
    Outcome RemoveShortcut(const CError& problem, class CProblemCheck& check);
    // A refused backup write: marks the whole backup failed when the writer broke.
    Outcome BackupRefused();
    void KeepUnrepaired();
    void Post(UINT message, WPARAM wParam) const;

    CErrorListEx m_problems;
    RepairTarget m_target;
    std::atomic<bool> m_running{true};
    UniqueHandle m_stopEvent;  // manual reset: signalled by RequestStop, ends the pauses
    std::atomic<bool> m_backupFailed{false};
    std::atomic<bool> m_saveFailed{false};
    std::optional<CBackupWriter> m_backup;  // the worker's own; closed when it ends
    std::wstring m_backupPath;  // written by the worker before it posts WM_REPAIR_STARTED
    CErrorListEx m_unrepaired;  // written by the worker; read once it has ended
    UniqueHandle m_profile;     // the user's profile folder, opened at the first shortcut
    std::wstring m_profilePath;
};

// The text WM_REPAIR_ITEM carries: the file (type 0), hive\key\value (type 1),
// hive\key (type 2); empty for any other type.
[[nodiscard]] std::wstring RepairLocationText(const CError& problem);
