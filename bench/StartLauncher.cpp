// The start benchmark's launcher: starts a program as the restarter after an update does
// (suspended, the first-paint event made for its process id, then let run), waits for that
// event and prints the time from just before the process was created to the event, with
// the program's CPU times and peak working set at that moment. Then it ends the program.
//
//   velmora-start-launcher PROGRAM.exe [ARGUMENTS...]
//
// Prints "seconds S user U kernel K peak-kib P"; exit code 1 when the program ended or
// did not signal within a minute (it is ended all the same), 2 when it could not start.
// bench/run-start-bench.sh runs it in a throw-away prefix.

#include "core/StartSignal.h"
#include "framework/Handles.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwctype>
#include <string>

namespace {

constexpr DWORD kSignalTimeoutMs = 60000;
constexpr DWORD kEndTimeoutMs = 10000;

// Our own command line without its first argument, quoted as it was given.
std::wstring ChildCommandLine(const wchar_t* own)
{
    const wchar_t* at = own;
    while (*at && std::iswspace(*at))
        ++at;
    if (*at == L'"') {
        ++at;
        while (*at && *at != L'"')
            ++at;
        if (*at)
            ++at;
    } else {
        while (*at && !std::iswspace(*at))
            ++at;
    }
    while (*at && std::iswspace(*at))
        ++at;
    return at;
}

double Seconds(const FILETIME& time)
{
    ULARGE_INTEGER value{};
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e7;
}

}  // namespace

int wmain()
{
    std::wstring commandLine = ChildCommandLine(::GetCommandLineW());
    if (commandLine.empty()) {
        std::fwprintf(stderr, L"usage: velmora-start-launcher PROGRAM.exe [ARGUMENTS...]\n");
        return 2;
    }
    LARGE_INTEGER frequency{};
    LARGE_INTEGER started{};
    LARGE_INTEGER signalled{};
    ::QueryPerformanceFrequency(&frequency);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created{};
    ::QueryPerformanceCounter(&started);
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                          &startup, &created)) {
        std::fwprintf(stderr, L"velmora-start-launcher: cannot start %ls (error %lu)\n", commandLine.c_str(),
                      ::GetLastError());
        return 2;
    }
    const UniqueHandle process(created.hProcess);
    const UniqueHandle thread(created.hThread);
    const UniqueHandle painted(::CreateEventW(nullptr, TRUE, FALSE, FirstPaintEventName(created.dwProcessId).c_str()));
    if (!painted) {
        ::TerminateProcess(process.get(), 1);
        std::fwprintf(stderr, L"velmora-start-launcher: cannot make the event (error %lu)\n", ::GetLastError());
        return 2;
    }
    ::ResumeThread(thread.get());
    const HANDLE waits[] = {painted.get(), process.get()};
    const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, kSignalTimeoutMs);
    ::QueryPerformanceCounter(&signalled);
    FILETIME creation{};
    FILETIME exit{};
    FILETIME kernel{};
    FILETIME user{};
    const bool timed = ::GetProcessTimes(process.get(), &creation, &exit, &kernel, &user) != FALSE;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    const bool measured = ::GetProcessMemoryInfo(process.get(), &memory, sizeof(memory)) != FALSE;
    ::TerminateProcess(process.get(), 0);
    ::WaitForSingleObject(process.get(), kEndTimeoutMs);
    if (woke != WAIT_OBJECT_0) {
        std::fwprintf(stderr, L"velmora-start-launcher: %ls %ls\n", commandLine.c_str(),
                      woke == WAIT_OBJECT_0 + 1 ? L"ended without signalling its first paint"
                                                : L"did not signal its first paint within a minute");
        return 1;
    }
    const double seconds =
        static_cast<double>(signalled.QuadPart - started.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::wprintf(L"seconds %.3f user %.3f kernel %.3f peak-kib %llu\n", seconds, timed ? Seconds(user) : 0.0,
                 timed ? Seconds(kernel) : 0.0,
                 measured ? static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024) : 0ULL);
    return 0;
}
