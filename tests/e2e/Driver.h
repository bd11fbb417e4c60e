#pragma once
// The driver's toolbox: start the program, find its windows, press keys, take screenshots.

#include "framework/Handles.h"

#include <functional>
#include <optional>
#include <set>
#include <string>

namespace e2e {

struct DriverSettings {
    std::wstring program;  // Windows path of Velmora.exe
    std::wstring nextVersion;  // the same program with a later version, for the update journey
    std::wstring nextRelease;  // its release as tools/sign-update.py writes it
    std::wstring rebooter;     // the restart helper of the update
    std::wstring output;   // folder for screenshots
};
DriverSettings& Settings();

// "/a/b" becomes "Z:\a\b"; Windows paths are returned unchanged.
std::wstring ToWindowsPath(const std::wstring& path);

// A started program; the destructor ends it if it is still running.
class RunningProgram {
public:
    // Starts Settings().program, or the given program file.
    [[nodiscard]] bool Start(const std::wstring& arguments = L"", const std::wstring& program = L"");
    // Waits for the process to end; true with its exit code when it ended in time.
    [[nodiscard]] bool WaitForExit(DWORD milliseconds, DWORD& exitCode);
    [[nodiscard]] DWORD ProcessId() const;
    // Waits until the program's message loop has first run out of work. A modal dialog
    // shows its window at that moment, so a window hidden earlier would show again.
    [[nodiscard]] bool WaitForInputIdle(DWORD milliseconds);
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

// Polls the condition every 50 ms; true as soon as it holds, false after the time-out.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds);

// --- windows of a running program -------------------------------------------------------
// A visible top-level window of the process for which the predicate holds; null after the
// time-out.
HWND WaitForProcessWindow(DWORD processId, const std::function<bool(HWND)>& predicate, DWORD milliseconds);
// Returns once the thread of the window reads its messages again (it answers a sent
// WM_NULL), whichever loop it is in then; false after the time-out.
bool WaitForMessageLoop(HWND window, DWORD milliseconds);
// The text of a dialog's control (read across processes with WM_GETTEXT).
std::wstring ControlText(HWND dialog, int id);
// Clicks a button of a dialog as the mouse would (BM_CLICK), without waiting for what
// the click starts.
void ClickButton(HWND dialog, int id);

// Asks the program to end through the exit command of its tray menu ("Esci"), as the
// restart helper and the setup program ask it; Enter and Escape never end it.
void AskToExit(HWND mainWindow);

// Whether the window's title is exactly this text.
bool TitleIs(HWND window, const wchar_t* title);

// --- message boxes -----------------------------------------------------------------------
// Whether a top-level window is a message box.
bool IsMessageBox(HWND window);
// Waits for a message box of the process; null after the time-out.
HWND WaitForMessageBox(DWORD processId, DWORD milliseconds);
// The text of a message box.
std::wstring MessageBoxText(HWND box);
// Waits for the next message box of the process, presses its button (IDOK, IDYES, IDNO...)
// and waits for it to close; returns its text, empty when none appeared in time.
std::wstring AnswerMessageBox(DWORD processId, int button, DWORD milliseconds);

// --- tray icon ---------------------------------------------------------------------------
// Entries of the tray menu the driver can choose: the first and the last one.
enum class TrayEntry { First, Last };
// Opens the tray icon's menu as a right click would (the icon's callback message to the
// main window) and chooses the entry with the keyboard; false when no menu opened.
[[nodiscard]] bool ChooseTrayMenuEntry(HWND mainWindow, UINT callbackMessage, UINT iconId, TrayEntry entry);

// --- files ---------------------------------------------------------------------------------
// The names of the ".dat" files in a folder (the backups, in the backup folder).
std::set<std::wstring> DatFilesIn(const std::wstring& folder);

// A string of a program file's version resource ("ProductVersion"...); empty when missing.
std::wstring VersionString(const std::wstring& file, const wchar_t* name);

// --- registry ----------------------------------------------------------------------------
std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& key, const std::wstring& name);
bool WriteRegistryString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value);
bool WriteRegistryDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
void DeleteRegistryValue(HKEY root, const std::wstring& key, const std::wstring& name);
void DeleteRegistryTree(HKEY root, const std::wstring& key);

}  // namespace e2e
