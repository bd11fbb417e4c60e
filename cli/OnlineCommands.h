#pragma once
// The console driver's online commands (snapshot, send-log, solution). They go through
// the same online services as the advanced-repair windows, so they read and write the
// same pending-log values and backups.

#include <string>
#include <vector>

// What the online commands need to know of the program.
struct OnlineCommandContext {
    std::wstring productVersion;
    // Where the repairs keep their backups; a solution keeps its own beside them.
    std::wstring backupFolder;
};

// Runs one command (IsOnlineCommand in core/OnlineCommandLine.h tells which) with the
// arguments after its name. Exit codes: 0 success, 1 the service refused or failed,
// 2 bad arguments.
[[nodiscard]] int RunOnlineCommand(const std::wstring& command, const std::vector<std::wstring>& args,
                                   const OnlineCommandContext& context);
