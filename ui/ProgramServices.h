#pragma once
// The program's answers to what its windows ask: the engine, the settings and Run key in
// the registry, the update workers and the online services. The application makes one
// and hands each window only the interface that window uses.

#include "ui/CustomSolnDialog.h"
#include "ui/DownloadDialog.h"
#include "ui/ManageStartupDialog.h"
#include "ui/RepairErrorsDialog.h"
#include "ui/RestoreBackupsDialog.h"
#include "ui/ScanService.h"
#include "ui/SendLogDialog.h"
#include "ui/SettingsService.h"

class CCorvaneEngine;
class IUpdateWorkers;

class CProgramServices final : public IScanService,
                               public IRepairService,
                               public IBackupService,
                               public IDownloadService,
                               public ISettingsService,
                               public IStartupService,
                               public ISendLogService,
                               public ISolutionService {
public:
    // Both must outlive this object.
    CProgramServices(CCorvaneEngine& engine, IUpdateWorkers& updates);

    // The scan, and where every worker posts (the main window).
    void SetNotifyWindow(HWND window) override;
    bool StartScan(const Selection& sections) override;
    void StopScan() override;
    bool HasScanWorker() const override;
    bool IsScanning() const override;
    int GetTotalFound() const override;
    std::wstring LastScanDate() const override;
    bool ClearUnresolvedProblems() override;
    bool LoadIgnoredProblems() override;

    int ProblemCount() const override;
    bool StartRepair(int count) override;
    void StopRepair() override;
    bool RepairFailed() const override;
    bool RepairLeftProblems() const override;

    void ListBackups() override;
    RestoreOutcome RestoreBackup(const std::wstring& path) override;

    // The self-update, posting to the notify window. The check is started with its check
    // requested; false when a worker cannot start.
    [[nodiscard]] bool StartUpdateCheck();
    [[nodiscard]] bool StartUpdateDownload();
    void StopDownload() override;

    std::wstring ReadSetting(const std::wstring& name) const override;
    void WriteSetting(const std::wstring& name, const std::wstring& text) override;
    bool HasStartWithWindowsEntry() const override;
    void SetStartWithWindowsEntry(bool on) override;
    bool GetScanSchedule(ScanScheduleSetting& setting) const override;
    bool SetScanSchedule(const ScanScheduleSetting& setting) override;
    void OpenReportFolder() override;

    CRegistryItemListEx GetStartupEntries() const override;
    StartupRemoval RemoveStartupEntry(std::size_t position, const CRegistryItem& shown) override;

    std::wstring BuildSnapshot(std::wstring& marked) override;
    SubmitOutcome SubmitLog(const std::wstring& email, const std::wstring& description, const std::wstring& log,
                            const std::wstring& productVersion, const std::atomic<bool>& abandoned) override;
    std::wstring ProductVersion() const override;

    FetchOutcome FetchSolution(std::wstring& comments, std::wstring& commands,
                               const std::atomic<bool>& abandoned) override;
    std::wstring DescribeSolution(const std::wstring& commands) override;
    std::wstring RunSolution(const std::wstring& commands, const SolutionProgress& progress) override;

private:
    CCorvaneEngine& m_engine;
    IUpdateWorkers& m_updates;
    HWND m_notifyWindow = nullptr;
};
