#pragma once
// The online services and the self-update as the advanced-repair windows and the download
// window see them.

#include "ui/CustomSolnDialog.h"
#include "ui/DownloadDialog.h"
#include "ui/SendLogDialog.h"

#include <string>

class CUpdateWorkers;

class COnlineServices final : public ISendLogService, public ISolutionService, public IDownloadService {
public:
    // backupFolder: where the repairs keep their backups, which a solution never touches
    // and beside which it keeps its own. The update workers must outlive this object.
    COnlineServices(std::wstring productVersion, std::wstring backupFolder, CUpdateWorkers& updates);

    std::wstring BuildSnapshot(std::wstring& marked) override;
    SubmitOutcome SubmitLog(const std::wstring& email, const std::wstring& description, const std::wstring& log,
                            const std::wstring& productVersion, const std::atomic<bool>& abandoned) override;
    std::wstring ProductVersion() const override { return m_productVersion; }

    FetchOutcome FetchSolution(std::wstring& comments, std::wstring& commands,
                               const std::atomic<bool>& abandoned) override;
    std::unique_ptr<IPreparedSolution> PrepareSolution(const std::wstring& commands) override;

    // The self-update's workers post to `notify`; false when a worker cannot start. The
    // check is started with its check requested.
    [[nodiscard]] bool StartUpdateCheck(HWND notify);
    [[nodiscard]] bool StartUpdateDownload(HWND notify);
    void StopDownload() override;

private:
    std::wstring m_productVersion;
    std::wstring m_backupFolder;
    CUpdateWorkers& m_updates;
};
