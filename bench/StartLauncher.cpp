// The start benchmark's launcher: starts a program as the restarter after an update does
// (suspended, the first-paint event made for its process id, then let run), waits for that
// event, stops the program's threads where they are and prints the time from just before
// the process was created to the event with the program's peak working set. The program
// stays stopped, so that its CPU time up to the event can be read from the host, until
// standard input closes; then the launcher ends it.
//
//   velmora-start-launcher PROGRAM.exe [ARGUMENTS...]
//
// Prints "seconds S peak-kib P"; exit code 1 when the program ended or did not signal
// within a minute (it is ended all the same), 2 when it could not start. Wine's answer
// for another process's CPU times counts far from all of it, hence the host's figure.
// bench/run-start-bench.sh runs it in a throw-away prefix.

#include "core/StartSignal.h"
#include "framework/Handles.h"

#include <windows.h>
#include <psapi.h>

#include <winternl.h>

#include <cstdio>
#include <cwctype>
#include <string>

extern "C" NTSTATUS NTAPI NtSuspendProcess(HANDLE process);

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

// Returns when standard input has closed.
void AwaitEndOfInput()
{
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    char buffer[64];
    DWORD read = 0;
    while (input && input != INVALID_HANDLE_VALUE && ::ReadFile(input, buffer, sizeof(buffer), &read, nullptr) &&
           read > 0) {
    }
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
    if (woke == WAIT_OBJECT_0)
        ::NtSuspendProcess(process.get());
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    const bool measured = ::GetProcessMemoryInfo(process.get(), &memory, sizeof(memory)) != FALSE;
    if (woke != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 0);
        ::WaitForSingleObject(process.get(), kEndTimeoutMs);
        std::fwprintf(stderr, L"velmora-start-launcher: %ls %ls\n", commandLine.c_str(),
                      woke == WAIT_OBJECT_0 + 1 ? L"ended without signalling its first paint"
                                                : L"did not signal its first paint within a minute");
        return 1;
    }
    const double seconds =
        static_cast<double>(signalled.QuadPart - started.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::wprintf(L"seconds %.3f peak-kib %llu\n", seconds,
                 measured ? static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024) : 0ULL);
    std::fflush(stdout);
    AwaitEndOfInput();
    ::TerminateProcess(process.get(), 0);
    ::WaitForSingleObject(process.get(), kEndTimeoutMs);
    return 0;
}
