#pragma once
// The owner of the update-check and update-download workers: one of each kind at a time,
// and a worker whose thread still runs is stopped and waited for before it is replaced
// or freed.

#include "engine/UpdateWorkers.h"
#include "online/AutoFindNewVersion.h"
#include "online/DownloadAppNewVersion.h"

#include <memory>
#include <string>

class CUpdateWorkers final : public IUpdateWorkers {
public:
    // ownVersion: compared with the served version; programPath: the file a download
    // replaces.
    CUpdateWorkers(std::wstring ownVersion, std::wstring programPath);
    ~CUpdateWorkers() override;

    bool StartUpdateCheck(HWND notify) override;
    void SetCheckRequested() override;
    bool StartUpdateDownload(HWND notify) override;
    void StopUpdateDownload() override;

private:
    void StopCheck();

    std::wstring m_ownVersion;
    std::wstring m_programPath;
    std::unique_ptr<CAutoFindNewVersion> m_check;
    std::unique_ptr<CDownloadAppNewVersion> m_download;
};
