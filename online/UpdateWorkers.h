#pragma once
// The owner of the update-check and update-download workers: one of each kind at a time.
// A worker that is replaced or cancelled is told to stop and kept, without waiting, until
// its thread has ended: it may be stuck in a network call that WinINet ends only at its
// time-out (closing the call's handles from another thread does not end it under Wine),
// and the window that starts the next one, or cancels, must not freeze meanwhile. A
// stopped worker posts no result and replaces nothing; stopping a download waits only
// for a replacement already under way. The owner's end waits for every thread.

#include "framework/NotifyTarget.h"
#include "framework/WorkerSlot.h"
#include "online/AutoFindNewVersion.h"
#include "online/DownloadAppNewVersion.h"

#include <string>

class CUpdateWorkers final {
public:
    // ownVersion: compared with the served version; programPath: the file a download
    // replaces.
    CUpdateWorkers(std::wstring ownVersion, std::wstring programPath);

    CUpdateWorkers(const CUpdateWorkers&) = delete;
    CUpdateWorkers& operator=(const CUpdateWorkers&) = delete;

    // Stops the previous check worker, then starts a new one posting to notify; false
    // when the thread cannot start.
    [[nodiscard]] bool StartUpdateCheck(const CNotifyTarget& notify);
    // Asks the check worker, if any, to check now (its CheckRequested).
    void SetCheckRequested();
    // Stops the previous download worker, then starts a new one posting to notify; false
    // when the thread cannot start.
    [[nodiscard]] bool StartUpdateDownload(const CNotifyTarget& notify);
    // Cancels the download worker: once this returns it posts no result and replaces
    // nothing (a replacement under way has finished).
    void StopUpdateDownload();

private:
    std::wstring m_ownVersion;
    std::wstring m_programPath;
    CWorkerSlot<CAutoFindNewVersion> m_check{StoppedWorker::Retired};
    CWorkerSlot<CDownloadAppNewVersion> m_download{StoppedWorker::Retired};
};
