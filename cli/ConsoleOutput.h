#pragma once
// The console driver's output: raw bytes to a standard handle, with no text-mode
// translation, so CR LF stays CR LF and UTF-8 stays UTF-8.

#include <windows.h>

#include <string>
#include <string_view>

// Exit codes shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Writes everything or stops quietly at the first failed write (a closed pipe).
void WriteBytes(DWORD standardHandle, std::string_view bytes);
// One UTF-8 line on standard output.
void PrintLine(const std::wstring& line);
// "velmora-cli: " and one UTF-8 line on standard error.
void PrintError(const std::wstring& line);
