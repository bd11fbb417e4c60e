#pragma once
// Holds the console break handler for the life of one command: Ctrl+C ends the sink's
// pump, and the command then stops its worker cleanly (a repair still saves and ends
// its backup) instead of the process being killed between a backup line and its
// deletion.

#include "framework/MessageSink.h"

class CConsoleBreakGuard {
public:
    explicit CConsoleBreakGuard(CMessageSink& sink);
    ~CConsoleBreakGuard();
    CConsoleBreakGuard(const CConsoleBreakGuard&) = delete;
    CConsoleBreakGuard& operator=(const CConsoleBreakGuard&) = delete;
};
