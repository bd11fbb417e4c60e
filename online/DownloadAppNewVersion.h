#pragma once
// The update-download worker: it reads the served release statement and downloads the
// served program file beside the program ("<program>.new", CDownloadedProgramFile), then
// puts it in the place of the program file (ReplaceProgramFile) only when every check
// holds: the statement carries the maker's signature (velmora_signature.txt), its version
// is strictly after the own one and after the highest this machine ever installed, the
// announced size is the stated one, the disk has room for it, the transfer ends with
// status 200 within its deadline, and the file is the stated release's program
// (UpdateVerification). Anything else is a failed update that leaves the program file
// untouched and deletes the download. After a replacement the installed version is
// recorded (InstalledVersion).
//
// It posts WM_DOWNLOAD_STARTED, WM_DOWNLOAD_PROGRESS after a block (at most every 50 ms,
// and always for the last one) and WM_DOWNLOAD_DONE once
// the transfer has ended, then WM_UPDATE_INSTALLED or WM_UPDATE_FAILED. Cancelled
// (RequestStop), it posts nothing more.

#include "core/ReleaseManifest.h"
#include "framework/NotifyTarget.h"
#include "framework/WinThread.h"
#include "online/ReplaceProgramFile.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

class CDownloadAppNewVersion : public CWinThread {
public:
    enum class Outcome { Pending, Installed, Failed, Cancelled };

    // programPath: the file to replace; ownVersion: its "ProductVersion"; notify none posts
    // nothing.
    CDownloadAppNewVersion(CNotifyTarget notify, std::wstring programPath, std::wstring ownVersion);

    [[nodiscard]] bool Start();
    // Clears the running flag. Once RequestStop returns, the worker posts no result and replaces
    // nothing (a replacement under way has been finished first, so the program file is
    // never left moved aside); it does not wait for a network call to end.
    void RequestStop();

    // For a caller without a window: the announced size (0 until known), the bytes
    // written so far and, once the thread has ended, the outcome.
    [[nodiscard]] std::uint64_t ExpectedSize() const { return m_expected; }
    [[nodiscard]] std::uint64_t BytesWritten() const { return m_written; }
    [[nodiscard]] Outcome Result() const { return m_outcome; }

    int Run() override;

private:
    [[nodiscard]] bool DownloadAndVerify(std::optional<CDownloadedProgramFile>& file, ReleaseManifest& release);
    [[nodiscard]] bool ReadRelease(const class CUpdateServerSession& server, ReleaseManifest& release) const;
    [[nodiscard]] bool Download(const class CUpdateServerSession& server, HANDLE file, std::uint64_t expected);
    void Post(UINT message, WPARAM wParam = 0) const;

    const CNotifyTarget m_notify;
    const std::wstring m_programPath;
    const std::wstring m_ownVersion;
    std::atomic<bool> m_running{true};
    // Held while the worker replaces the program and posts its result, and by RequestStop.
    std::mutex m_finishing;
    std::atomic<std::uint64_t> m_expected{0};
    std::atomic<std::uint64_t> m_written{0};
    std::atomic<Outcome> m_outcome{Outcome::Pending};
};
