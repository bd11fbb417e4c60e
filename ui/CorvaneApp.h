#pragma once
// The application object: one instance per Windows user, elevated on Windows Vista and
// later (a plain start restarts itself through "runas"), and the main window shown
// modally; the program ends with it. It makes the program's capabilities once and hands
// each window the part that window uses.

#include "framework/Handles.h"
#include "framework/WinApp.h"

#include <windows.h>

#include <string>
#include <string_view>

// What the start-up asks of the system. The program's answers are the system's; tests
// give their own, since Wine always reports an elevated Windows 6.1.
class IStartupHost {
public:
    virtual ~IStartupHost() = default;
    [[nodiscard]] virtual bool IsVistaOrLater() = 0;
    [[nodiscard]] virtual bool IsProcessElevated() = 0;
    virtual void RelaunchElevated(const std::wstring& parameters) = 0;
    // Takes the single-instance mutex (kept for the process's life); true when another
    // instance of this user holds it.
    [[nodiscard]] virtual bool AnotherInstanceRuns() = 0;
    // Shows, restores and brings to the front the other instance's main window; false
    // when it cannot be found.
    [[nodiscard]] virtual bool BringFirstInstanceToFront() = 0;
    // Waits up to the given time for the other instance to give up the mutex; true when
    // this process holds it now.
    [[nodiscard]] virtual bool WaitForOtherInstanceToEnd(DWORD milliseconds) = 0;
    // Makes the program's capabilities and shows the main window modally until it ends.
    virtual void RunMainWindow(bool scanAtStart) = 0;
};

// True only for the exact command line "-scan".
[[nodiscard]] bool IsScanCommandLine(std::wstring_view commandLine);
// "Global\MutexCorvane" followed by the user name (nothing appended when it is empty);
// "MutexCorvane" alone on Windows NT 4 (major version 4).
[[nodiscard]] std::wstring SingleInstanceMutexName(DWORD majorVersion, const std::wstring& userName);
// The start-up sequence: a second instance brings the first one to the front (asking for
// elevation first when needed, so the elevated copy may reach the first window); a first
// instance without elevation on Vista or later restarts itself elevated; otherwise the
// main window runs. An elevated second instance that finds no window of the first (still
// starting, or already ending) looks again for a few seconds and runs as the first when
// the other one ends meanwhile.
void RunStartup(std::wstring_view commandLine, IStartupHost& host);

class CCorvaneApp : public CWinApp {
public:
    // commandLine: the arguments after the program name.
    explicit CCorvaneApp(std::wstring commandLine);

    // Runs the whole program; always false (there is no message loop after it).
    bool InitInstance() override;

    // GetVersionExW succeeds for an NT platform with a major version above 5.
    [[nodiscard]] static bool IsVistaOrLater();
    // True when the token says elevated, and also when the token cannot be opened.
    [[nodiscard]] static bool IsProcessElevated();
    // Starts this program again through the "runas" verb with the parameters; a refused
    // or failed start is not reported.
    static void RelaunchElevated(const std::wstring& parameters);

private:
    std::wstring m_commandLine;
    // Held until the process ends, whichever way it ends.
    UniqueHandle m_instanceMutex;
};
