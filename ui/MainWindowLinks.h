#pragma once
// The windows and actions the main window reaches: the application sets them, the tests
// give their own. Each window is shown modally by its function; a function that is not
// set does nothing.

#include <windows.h>

#include <functional>

struct MainWindowLinks {
    std::function<void(HWND owner)> showScanResults;
    std::function<void(HWND owner)> showSettings;
    std::function<void(HWND owner)> showRestore;
    std::function<void(HWND owner)> showStartupManager;
    std::function<void(HWND owner)> showSendLog;
    std::function<void(HWND owner)> showCustomSolution;
    // Shows the download window while the new version downloads.
    std::function<void(HWND owner)> downloadUpdate;
    // Starts the update-check worker with its check requested.
    std::function<void()> startUpdateCheck;
    // Restarts the program after an installed update.
    std::function<void()> restartAfterUpdate;
    // A stored log id and e-mail address: the custom solution can be fetched.
    std::function<bool()> hasPendingLog;
    // Whether the computer is on line; the system's answer when not set.
    std::function<bool()> isConnected;
    // Stops the repair and the download cleanly, before the process ends.
    std::function<void()> stopWorkBeforeEnd;
    // Ends the process at once with the exit code; ExitProcess when not set.
    std::function<void(UINT exitCode)> endProcess;
};

// Counts one more window open over the main window while the scope lasts, whichever way
// it ends.
class COpenWindowScope {
public:
    explicit COpenWindowScope(int& count) : m_count(count) { ++m_count; }
    ~COpenWindowScope() { --m_count; }
    COpenWindowScope(const COpenWindowScope&) = delete;
    COpenWindowScope& operator=(const COpenWindowScope&) = delete;

private:
    int& m_count;
};

// Shows a window through its link, counted in `openCount` while it is open; nothing when
// the link is not set.
inline void OpenCounted(int& openCount, const std::function<void(HWND)>& show, HWND owner)
{
    if (!show)
        return;
    COpenWindowScope open(openCount);
    show(owner);
}
