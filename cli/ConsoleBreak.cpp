#include "cli/ConsoleBreak.h"

#include <windows.h>

#include <atomic>

namespace {

// The handler runs on a thread of its own and takes no argument.
std::atomic<CMessageSink*> g_sink{nullptr};

BOOL WINAPI OnConsoleBreak(DWORD)
{
    if (CMessageSink* sink = g_sink.load())
        sink->RequestStop();
    return TRUE;
}

}  // namespace

CConsoleBreakGuard::CConsoleBreakGuard(CMessageSink& sink)
{
    g_sink = &sink;
    ::SetConsoleCtrlHandler(&OnConsoleBreak, TRUE);
}

CConsoleBreakGuard::~CConsoleBreakGuard()
{
    ::SetConsoleCtrlHandler(&OnConsoleBreak, FALSE);
    g_sink = nullptr;
}
