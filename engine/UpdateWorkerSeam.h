#pragma once
// The seam for the self-update workers, which live in online/: the windows that start and
// cancel them see only this. The application owns the real one for the program's life.

#include "framework/NotifyTarget.h"

class IUpdateWorkers {
public:
    // Stops and waits for any worker still running.
    virtual ~IUpdateWorkers() = default;
    // Stops the previous check worker (without waiting for a network call to end; it
    // posts nothing more), then starts a new one posting to notify; false when the
    // thread cannot start.
    [[nodiscard]] virtual bool StartUpdateCheck(const CNotifyTarget& notify) = 0;
    // Asks the check worker, if any, to check now (its CheckRequested).
    virtual void SetCheckRequested() = 0;
    // Stops the previous download worker in the same way, then starts a new one posting
    // to notify; false when the thread cannot start.
    [[nodiscard]] virtual bool StartUpdateDownload(const CNotifyTarget& notify) = 0;
    // Cancels the download worker: once this returns it posts no result and replaces
    // nothing (a replacement under way has finished); a network call it is stuck in is
    // not waited for.
    virtual void StopUpdateDownload() = 0;
};
