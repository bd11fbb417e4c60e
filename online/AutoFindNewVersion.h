#pragma once
// The update-check worker: it asks the update server for the current version and posts
// WM_UPDATE_AVAILABLE when the served version is strictly after the own one and after the
// highest this machine ever installed, WM_UPDATE_NONE when it is not (the same, older, or
// not a version, an error page included). A request without an answer (no connection, no
// server) posts WM_UPDATE_UNREACHABLE. A stopped worker posts nothing.
//
// Owner's protocol: construct, Start(), then RequestCheck() (until then the worker looks
// once a minute). RequestStop() and WaitForEnd() before deleting a worker whose thread
// may still run.

#include "framework/Handles.h"
#include "framework/NotifyTarget.h"
#include "framework/WinThread.h"

#include <windows.h>

#include <atomic>
#include <string>

class CAutoFindNewVersion : public CWinThread {
public:
    enum class Outcome { Pending, NewVersion, NoNewVersion, Failed };

    // ownVersion: the "ProductVersion" of the program to compare with; notify receives the
    // result (none: nothing is posted, read Outcome after the thread has ended).
    CAutoFindNewVersion(CNotifyTarget notify, std::wstring ownVersion);

    [[nodiscard]] bool Start();
    // Sets CheckRequested and wakes the worker.
    void RequestCheck();
    // Clears every flag, so that no result is posted; returns at once.
    void RequestStop();
    [[nodiscard]] bool IsRunning() const { return m_running; }

    // Valid once the thread has ended.
    [[nodiscard]] Outcome Result() const { return m_outcome; }
    [[nodiscard]] const std::wstring& ServedVersion() const { return m_servedVersion; }
    [[nodiscard]] const std::wstring& OwnVersion() const { return m_ownVersion; }

    int Run() override;

private:
    void Check(const class CUpdateServerSession& server);

    const CNotifyTarget m_notify;
    const std::wstring m_ownVersion;
    std::atomic<bool> m_running{true};
    std::atomic<bool> m_checkRequested{false};
    std::atomic<bool> m_reportNoUpdate{true};
    std::atomic<Outcome> m_outcome{Outcome::Pending};
    std::wstring m_servedVersion;
    UniqueHandle m_wake;
};
