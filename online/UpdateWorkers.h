#pragma once
// The owner of the update-check and update-download workers: one of each kind at a time.
// A worker that is replaced or cancelled is told to stop and kept, without waiting, until
// its thread has ended: it may be stuck in a network call that WinINet ends only at its
// time-out (closing the call's handles from another thread does not end it under Wine),
// and the window that starts the next one, or cancels, must not freeze meanwhile. A
// stopped worker posts no result and replaces nothing; stopping a download waits only
// for a replacement already under way. The owner's end waits for every thread.

#include "engine/UpdateWorkerSeam.h"
#include "online/AutoFindNewVersion.h"
#include "online/DownloadAppNewVersion.h"

#include <memory>
#include <string>
#include <vector>

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
    template <typename Worker>
    struct Slot {
        std::unique_ptr<Worker> current;
        std::vector<std::unique_ptr<Worker>> stopping;

        // Stops the current worker and keeps it until its thread has ended.
        void Retire();
        void WaitForAll();
    };

    std::wstring m_ownVersion;
    std::wstring m_programPath;
    Slot<CAutoFindNewVersion> m_check;
    Slot<CDownloadAppNewVersion> m_download;
};
