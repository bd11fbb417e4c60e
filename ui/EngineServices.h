#pragma once
// The engine as the scan, results, repair and restore windows see it.

#include "ui/RepairErrorsDialog.h"
#include "ui/RestoreBackupsDialog.h"
#include "ui/ScanResultsDialog.h"
#include "ui/ScanService.h"

class CCorvaneEngine;

class CEngineServices final : public IScanService,
                              public IResultsService,
                              public IRepairService,
                              public IBackupService {
public:
    // The engine must outlive this object.
    explicit CEngineServices(CCorvaneEngine& engine) : m_engine(engine) {}

    void SetNotifyWindow(HWND window) override;
    bool StartScan(const Selection& sections) override;
    void StopScan() override;
    bool HasScanWorker() const override;
    bool IsScanning() const override;
    int GetTotalFound() const override;
    std::wstring LastScanDate() const override;
    bool ClearUnresolvedProblems() override;
    bool LoadIgnoredProblems() override;

    const CErrorListEx& Problems() const override;
    const SectionCounters& Counters() const override;
    bool SaveUnresolvedProblems(const std::vector<bool>& stays) override;
    bool WriteScanReport(std::wstring& reportFolder, std::wstring& reportFile) override;

    bool StartRepair() override;
    void StopRepair() override;
    bool RepairFailed() const override;
    bool RepairLeftProblems() const override;

    void ListBackups() override;
    RestoreOutcome RestoreBackup(const std::wstring& path) override;

private:
    CCorvaneEngine& m_engine;
};
