// velmora-cli: the console driver of the engine, for automation, tests and benchmarks.
//
//   velmora-cli scan [--sections LIST] [--no-pause] [--json]
//   velmora-cli repair | backups | restore | report | ignored | schedule  (cli/ServiceCommands.h)
//   velmora-cli snapshot | send-log | solution  (cli/OnlineCommands.h)
//
// Runs one scan exactly as the program does (repaired-items filter included) and
// writes the problems to standard output as UTF-8, the per-section counts to standard
// error. Exit codes: 0 a completed scan, 1 a scan that was interrupted or could not
// start, 2 bad arguments.

#include "cli/ConsoleOutput.h"
#include "cli/OnlineCommands.h"
#include "cli/ServiceCommands.h"
#include "core/OnlineCommands.h"
#include "core/ScanCommand.h"
#include "core/ServiceCommands.h"
#include "core/Utf16Text.h"
#include "engine/RegistryScanThread.h"
#include "engine/RepairedItems.h"
#include "engine/ScanMessages.h"
#include "framework/Handles.h"
#include "framework/Pacing.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The message-only window that receives the worker's posts: it frees each item text
// and notes the finishing message.
class ScanListener {
public:
    ScanListener()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &ScanListener::WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelmoraCliScanListener";
        ::RegisterClassW(&wc);
        m_window = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                     nullptr);
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ScanListener() { ::DestroyWindow(m_window); }
    ScanListener(const ScanListener&) = delete;
    ScanListener& operator=(const ScanListener&) = delete;

    [[nodiscard]] HWND Window() const { return m_window; }
    [[nodiscard]] bool Finished() const { return m_finished; }

    // Dispatches posted messages until the thread ends, then what is still queued. The
    // queue is drained in batches every few milliseconds rather than on every post: the
    // worker posts one message per problem, and waking for each costs, under Wine, about
    // as much as the registry work behind it.
    void PumpUntilEnded(HANDLE thread)
    {
        while (::WaitForSingleObject(thread, kDrainIntervalMs) == WAIT_TIMEOUT)
            Drain();
        Drain();
    }

private:
    static constexpr DWORD kDrainIntervalMs = 20;

    void Drain()
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<ScanListener*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (message) {
        case WM_SCAN_ITEM:
            ::SysFreeString(reinterpret_cast<BSTR>(wParam));
            return 0;
        case WM_SCAN_FINISHED:
            if (self)
                self->m_finished = true;
            return 0;
        case WM_SCAN_PROBLEM_FOUND:
        case WM_SCAN_SECTION_STARTED:
        case WM_SCAN_SECTION_DONE:
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
    }

    HWND m_window = nullptr;
    bool m_finished = false;
};

std::atomic<CRegistryScanThread*> g_runningScan{nullptr};

BOOL WINAPI OnConsoleBreak(DWORD)
{
    if (CRegistryScanThread* scan = g_runningScan.load())
        scan->RequestStop();
    return TRUE;
}

int RunScanCommand(const std::vector<std::wstring>& args)
{
    ScanOptions options;
    const std::wstring error = ParseScanArguments(args, options);
    if (!error.empty()) {
        WriteBytes(STD_ERROR_HANDLE, "velmora-cli: " + utf16::ToUtf8(error) + "\r\n" + CliUsage());
        return kExitUsage;
    }
    if (options.noPause)
        SetPacingEnabled(false);

    // As the program does at the start of every scan: reload the repaired items.
    CRepairedItems repaired;
    if (!repaired.Load())
        WriteBytes(STD_ERROR_HANDLE, "velmora-cli: the repaired-items file cannot be read; nothing is filtered\r\n");

    CErrorListEx problems;
    SectionCounters counters;
    ScanListener listener;
    CRegistryScanThread scan(options.sections, ScanTarget{&problems, &counters, &repaired, listener.Window()});
    if (!scan.Start()) {
        WriteBytes(STD_ERROR_HANDLE, "velmora-cli: the scan thread cannot be started\r\n");
        return kExitFailed;
    }
    g_runningScan = &scan;
    ::SetConsoleCtrlHandler(&OnConsoleBreak, TRUE);
    listener.PumpUntilEnded(scan.GetThreadHandle());
    ::SetConsoleCtrlHandler(&OnConsoleBreak, FALSE);
    g_runningScan = nullptr;

    WriteBytes(STD_OUTPUT_HANDLE, options.json ? ProblemsJson(problems) : ProblemLinesUtf8(problems));
    WriteBytes(STD_ERROR_HANDLE, SectionCountsText(options.sections, counters));
    if (!listener.Finished()) {
        WriteBytes(STD_ERROR_HANDLE, "velmora-cli: the scan was interrupted\r\n");
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::wstring> args(argv + 1, argv + argc);
    if (args.empty()) {
        WriteBytes(STD_ERROR_HANDLE, CliUsage() + ServiceCommandsUsage() + OnlineCommandsUsage());
        return kExitUsage;
    }
    const std::wstring command = args.front();
    args.erase(args.begin());
    if (command == L"--help" || command == L"-h" || command == L"help") {
        WriteBytes(STD_OUTPUT_HANDLE, CliUsage() + ServiceCommandsUsage() + OnlineCommandsUsage());
        return kExitOk;
    }
    if (command == L"scan")
        return RunScanCommand(args);
    if (IsServiceCommand(command))
        return RunServiceCommand(command, args);
    if (IsOnlineCommand(command))
        return RunOnlineCommand(command, args);
    WriteBytes(STD_ERROR_HANDLE, "velmora-cli: unknown command: " + utf16::ToUtf8(command) + "\r\n" + CliUsage() +
                                     ServiceCommandsUsage() + OnlineCommandsUsage());
    return kExitUsage;
}
