#pragma once
// The engine: the scan, the repair, the unresolved-problems store, the backups, the report
// and the scheduled scan, around the state they share. It owns the problem list, the
// per-section counters, the repaired-items list and the scan and repair workers; workers
// report by posting messages to the window set with SetNotifyWindow. The application (or
// the console driver) creates one and hands each window the part it uses.
//
// Use it from one thread (the user-interface thread). While a worker runs, it is the
// only writer of the problem list (scan), the counters and the repaired-items list;
// read them after the worker's finishing message or after waiting for its thread.

#include "core/ProblemRecord.h"
#include "core/RegistryItem.h"
#include "core/ScanSections.h"
#include "core/ScheduleText.h"
#include "engine/BackupRestore.h"
#include "engine/RegistryScanThread.h"
#include "engine/RepairErrorsThread.h"
#include "engine/RepairedItems.h"
#include "engine/ScanSchedule.h"
#include "framework/NotifyTarget.h"
#include "framework/WorkerSlot.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CCorvaneEngine {
public:
    using Selection = std::array<std::uint8_t, kSectionCount>;  // byte n non-zero: scan section n

    // Reads the program's version resource and the last scan date.
    CCorvaneEngine();
    CCorvaneEngine(const CCorvaneEngine&) = delete;
    CCorvaneEngine& operator=(const CCorvaneEngine&) = delete;
    // Stops (and waits for) a running scan and repair.
    ~CCorvaneEngine();

    // The window (or, for the console driver, the thread) that receives the workers'
    // messages and WM_BACKUP_FOUND; none posts nothing. A worker keeps the receiver it
    // was started with.
    void SetNotifyWindow(const CNotifyTarget& target) { m_notify = target; }

    // --- what the windows read ------------------------------------------------------
    [[nodiscard]] CErrorListEx& ProblemList() { return m_problems; }
    [[nodiscard]] const CErrorListEx& ProblemList() const { return m_problems; }
    [[nodiscard]] const ::SectionCounters& SectionCounters() const { return m_counters; }
    [[nodiscard]] const std::wstring& ProductVersion() const { return m_productVersion; }
    [[nodiscard]] const std::wstring& ReleaseDate() const { return m_releaseDate; }
    // "Non ancora effettuata" until a scan has been started on this machine.
    [[nodiscard]] const std::wstring& LastScanDate() const { return m_lastScanDate; }
    [[nodiscard]] CRepairedItems& RepairedItems() { return m_repairedItems; }

    // --- scan and repair ------------------------------------------------------------
    // Stops a running repair and scan (waiting for them), reloads the repaired-items
    // list, stores LastScanDate (setting "LastScanDate"), zeroes every counter, empties
    // the problem list and starts the scan worker. False when the thread cannot start;
    // the list, the counters, the repaired-items list and the date are then unchanged.
    [[nodiscard]] bool StartScan(const Selection& sections);
    // Stops the scan worker, waits for it and deletes it; nothing when there is none.
    void StopScan();
    [[nodiscard]] bool IsScanning() const;
    // The running or finished scan worker's thread (null when there is none), for
    // waiting on it.
    [[nodiscard]] HANDLE ScanThreadHandle() const;

    // Stops a running scan, replaces the previous repair worker and starts a repair of
    // the problems (usually ProblemList, copied once the scan has stopped). False when
    // the thread cannot start.
    [[nodiscard]] bool StartRepair(const CErrorListEx& problems);
    // Stops the repair worker (it still saves and posts its finishing message), waits
    // for it and deletes it.
    void StopRepair();
    [[nodiscard]] HANDLE RepairThreadHandle() const;
    // After the repair worker has ended: true when its backup could not be created or
    // written (so registry entries and shortcut files were left alone) or the
    // repaired-items list could not be saved. The repair window tells the user instead
    // of reporting success.
    [[nodiscard]] bool RepairFailed() const;
    // After the repair worker has ended: true when it left problems in place that may
    // still be there (they went back to the unresolved-problems store).
    [[nodiscard]] bool RepairLeftProblems() const;
    // The backup file of the last repair; empty when none could be created.
    [[nodiscard]] std::wstring LastBackupPath() const;
    // The problems the counters say were found, in every section.
    [[nodiscard]] int GetTotalFound() const;

    // --- unresolved problems (see CIgnoredProblemsStore) ------------------------------
    // stays[i] true keeps ProblemList[i] for the repair; every other problem is stored
    // and leaves the list. False when the file could not be written.
    [[nodiscard]] bool SaveUnresolvedProblems(const std::vector<bool>& stays);
    [[nodiscard]] bool ClearUnresolvedProblems();
    [[nodiscard]] bool LoadIgnoredProblems();

    // --- backups ----------------------------------------------------------------------
    // The folder "backup" beside the program.
    [[nodiscard]] std::wstring BackupFolder() const;
    // Posts one WM_BACKUP_FOUND per backup file to the notify window, newest first,
    // before it returns.
    void ListBackups();
    // Writes one backup back (see RestoreBackupFile). The backup file itself is left for
    // the caller, who may delete it only after RestoreOutcome::Restored.
    [[nodiscard]] RestoreOutcome RestoreBackup(const std::wstring& backupPath);

    // --- report -----------------------------------------------------------------------
    // Writes the HTML report of ProblemList; see WriteScanReportFile.
    [[nodiscard]] bool WriteScanReport(std::wstring& reportFolder, std::wstring& reportFile) const;

    // --- scheduled scan ---------------------------------------------------------------
    // kind 0 none (the task stays, without trigger), 1 daily, 2 weekly with the day mask
    // (Sunday 0x01 ... Saturday 0x40). False when the scheduler is unavailable, a step
    // fails or the setting is out of range.
    [[nodiscard]] bool SetScanSchedule(const ScanScheduleSetting& setting);
    [[nodiscard]] ScheduleLookup LookupScanSchedule(ScanScheduleSetting& setting) const;
    // Deletes the task; true when there is none afterwards.
    [[nodiscard]] bool RemoveScanSchedule();
    // The task a first SetScanSchedule creates: "Velmora", the user, the program, "-scan".
    // The console driver points application at the program beside it.
    [[nodiscard]] ScanScheduleTask& ScanSchedule() { return m_scanSchedule; }

private:
    CErrorListEx m_problems;
    ::SectionCounters m_counters;
    std::wstring m_productVersion;
    std::wstring m_releaseDate;
    std::wstring m_lastScanDate;
    CRepairedItems m_repairedItems;
    ScanScheduleTask m_scanSchedule;
    CNotifyTarget m_notify;
    // Declared after everything the workers write, so they have ended before it goes.
    CWorkerSlot<CRegistryScanThread> m_scan;
    CWorkerSlot<CRepairErrorsThread> m_repair;
};
