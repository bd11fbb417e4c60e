#pragma once
// The console driver's engine-service commands (repair, backups, restore, report,
// ignored, schedule). They go through the engine exactly as the program's windows do,
// so they read and write the same files and registry values.

#include <string>
#include <vector>

class CCorvaneEngine;

// Runs one command (IsServiceCommand in core/ServiceCommandLine.h tells which) with the arguments after its name. Exit codes: 0 success, 1 the
// operation failed or was interrupted, 2 bad arguments.
[[nodiscard]] int RunServiceCommand(const std::wstring& command, const std::vector<std::wstring>& args,
                                    CCorvaneEngine& engine);
