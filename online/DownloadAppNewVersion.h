#pragma once
// The update-download worker: it downloads the served program file beside the program
// ("<program>.new", CDownloadedProgramFile) and puts it in the place of the program file
// (ReplaceProgramFile) only when every check holds: status 200, exactly the announced
// number of bytes, the maker's signature (the served velmora_signature.txt), an
// executable for this machine, and the served version as its "ProductVersion".
// Anything else is a failed update that leaves the program file untouched and deletes
// the download.
//
// It posts WM_DOWNLOAD_STARTED, WM_DOWNLOAD_PROGRESS after a block (at most every 50 ms,
// and always for the last one) and WM_DOWNLOAD_DONE once
// the transfer has ended, then WM_UPDATE_INSTALLED or WM_UPDATE_FAILED. Cancelled
// (RequestStop), it posts nothing more.

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

    // programPath: the file to replace; notify none posts nothing.
    CDownloadAppNewVersion(CNotifyTarget notify, std::wstring programPath);

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
    [[nodiscard]] bool DownloadAndVerify(std::optional<CDownloadedProgramFile>& file);
    [[nodiscard]] bool Download(const class CUpdateServerSession& server, HANDLE file, std::uint64_t expected);
    void Post(UINT message, WPARAM wParam = 0) const;

    const CNotifyTarget m_notify;
    const std::wstring m_programPath;
    std::atomic<bool> m_running{true};
    // Held while the worker replaces the program and posts its result, and by RequestStop.
    std::mutex m_finishing;
    std::atomic<std::uint64_t> m_expected{0};
    std::atomic<std::uint64_t> m_written{0};
    std::atomic<Outcome> m_outcome{Outcome::Pending};
};
