#pragma once
// The driver's toolbox: start the program, find its windows, press keys, take screenshots.

#include "framework/Handles.h"

#include <string>

namespace e2e {

struct DriverSettings {
    std::wstring program;  // Windows path of Velmora.exe
    std::wstring output;   // folder for screenshots
};
DriverSettings& Settings();

// "/a/b" becomes "Z:\a\b"; Windows paths are returned unchanged.
std::wstring ToWindowsPath(const std::wstring& path);

// A started program; the destructor ends it if it is still running.
class RunningProgram {
public:
    [[nodiscard]] bool Start(const std::wstring& arguments = L"");
    // Waits for the process to end; true with its exit code when it ended in time.
    [[nodiscard]] bool WaitForExit(DWORD milliseconds, DWORD& exitCode);
    ~RunningProgram();

private:
    UniqueHandle m_process;
};

// Polls for a visible top-level window with this title; null after the time-out.
HWND WaitForWindow(const wchar_t* title, DWORD milliseconds);

// Presses a key in the window as the keyboard would (key down and up).
void PressKey(HWND window, UINT virtualKey);

// Saves the window's pixels as a 24-bit BMP in the output folder; true on success.
[[nodiscard]] bool SaveScreenshot(HWND window, const std::wstring& name);

}  // namespace e2e
