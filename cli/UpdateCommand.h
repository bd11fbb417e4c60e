#pragma once
// velmora-cli update [--check] [--no-pause]: compares the served version with that of the
// Velmora.exe beside the driver and prints both; without --check, when they differ,
// downloads the served program and puts it in the place of that Velmora.exe (never of the
// driver itself) with the same checks as the program's own update, printing progress.
// Exit codes: 0 up to date, a completed check or a completed update; 1 any failure (no
// server, a bad answer, a short body, a failed replacement); 2 bad arguments.

#include <string>
#include <vector>

[[nodiscard]] int RunUpdateCommand(const std::vector<std::wstring>& args);
[[nodiscard]] std::string UpdateCommandUsage();
