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
// - nothing is removed that no longer holds (CProblemCheck) or whose backup line
//   could not bring it back exactly (BackupLineRoundTrips): such a problem is left
//   alone without a backup line;
// - the backup line is appended and flushed before the entry is deleted.
// A problem of a list-only section is never removed: its registry item goes to the
// repaired-items list (and gets its backup line when the line reads back exactly), so
// later scans skip it.
//
// Owner's protocol: construct, Start(); to cancel, StopAndWait(). Delete the object
// only after its thread has ended. The object is never auto-deleted.

#include "core/CalendarTime.h"
#include "core/ProblemRecord.h"
#include "core/ScanSections.h"
#include "engine/RepairedItems.h"
#include "framework/NotifyTarget.h"
#include "framework/WinThread.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

struct RepairTarget {
    SectionCounters* counters = nullptr;  // Repaired of the problem's section is counted here
    CRepairedItems* repaired = nullptr;   // list-only items are added, then the list is saved
    CNotifyTarget notify;                 // receives the repair messages; none: nothing is posted
    std::wstring backupFolder;            // created when missing
};

class CRepairErrorsThread : public CWinThread {
public:
    // Copies the first repairCount problems (all when there are fewer) now, on the
    // owner's thread, so the worker never reads the owner's list.
    CRepairErrorsThread(const CErrorListEx& problems, std::int32_t repairCount, RepairTarget target);
    ~CRepairErrorsThread() override = default;

    // Starts the thread; false when it cannot be created (running is cleared again).
    [[nodiscard]] bool Start();
    // Clears running; the worker ends before its next problem.
    void RequestStop() { m_running = false; }
    // RequestStop, then waits for the thread without time-out.
    void StopAndWait();
    [[nodiscard]] bool IsRunning() const { return m_running; }

    // Valid once the thread has ended (or after WM_REPAIR_FINISHED):
    // the backup file of this run (empty when none could be created),
    [[nodiscard]] std::wstring BackupPath() const;
    // whether the backup could not be created or written (registry and files were then
    // left alone from that point on),
    [[nodiscard]] bool BackupFailed() const { return m_backupFailed; }
    // and whether the repaired-items list could not be saved.
    [[nodiscard]] bool RepairedItemsSaveFailed() const { return m_saveFailed; }

    int Run() override;

private:
    // Creates the backup file for this run; false when the folder or file cannot be made.
    bool CreateBackupFile();
    // Handles one problem; true when it counts as repaired.
    bool Handle(const CError& problem, class CProblemCheck& check);
    bool AppendBackupLine(const CError& problem);
    void Post(UINT message, WPARAM wParam) const;

    CErrorListEx m_problems;
    std::int32_t m_repairCount;
    RepairTarget m_target;
    std::atomic<bool> m_running{true};
    std::atomic<bool> m_backupFailed{false};
    std::atomic<bool> m_saveFailed{false};
    std::wstring m_backupPath;  // written by the worker before it posts WM_REPAIR_STARTED
};

// The text WM_REPAIR_ITEM carries: the file (type 0), hive\key\value (type 1),
// hive\key (type 2); empty for any other type.
[[nodiscard]] std::wstring RepairLocationText(const CError& problem);

// Creates a new, empty backup file in folder (creating the folder when missing) named
// after the minute of time; a name already taken, by an earlier repair in the same
// minute, is never opened again: the next free "_2", "_3"... name is used. Returns the
// full path, or empty text when no file could be created.
[[nodiscard]] std::wstring CreateNewBackupFile(const std::wstring& folder, const CalendarTime& time);
