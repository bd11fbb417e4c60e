// rebooter.exe: the restart helper of the self-update. The program starts it from its
// own folder once the new program file is in place; the helper asks the program that
// started it to end, waits until it has ended and starts the new "Velmora.exe" beside
// the helper. The old program file (kept as "Velmora.exe.bak") is deleted once the new
// one has started; when the new one cannot start, the old one is put back and started,
// so there is always a program to start. Started by anything else than "Velmora.exe"
// from its own folder (or when that process cannot be opened), it does nothing.

#include "framework/Handles.h"
#include "res/resource.h"

#include <windows.h>
#include <tlhelp32.h>

#include <string>

namespace {

constexpr wchar_t kMainWindowTitle[] = L"Velmora 2011 | Registry Cleaner";
constexpr wchar_t kProgramName[] = L"Velmora.exe";
constexpr wchar_t kBackupSuffix[] = L".bak";
// The old file may stay locked for a moment after its process has ended.
constexpr int kDeleteAttempts = 40;
constexpr DWORD kDeleteRetryMilliseconds = 250;

DWORD ParentProcessId()
{
    const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return 0;
    const DWORD self = ::GetCurrentProcessId();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        if (entry.th32ProcessID == self)
            return entry.th32ParentProcessID;
    return 0;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, 64);
    if (owner != search->processId || std::wstring(title) != kMainWindowTitle)
        return TRUE;
    search->found = window;
    return FALSE;
}

std::wstring OwnFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::wstring folder(path, length);
    return folder.substr(0, folder.rfind(L'\\'));
}

// The file the process was started from (as it was named then).
std::wstring ImagePath(HANDLE process)
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    return ::QueryFullProcessImageNameW(process, 0, path, &length) ? std::wstring(path, length) : std::wstring();
}

void DeleteOldProgram(const std::wstring& backup)
{
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
        if (::DeleteFileW(backup.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND)
            return;
        ::Sleep(kDeleteRetryMilliseconds);
    }
}

bool StartProgram(const std::wstring& program, const std::wstring& folder)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &started))
        return false;
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const std::wstring folder = OwnFolder();
    const DWORD parentId = ParentProcessId();
    if (folder.empty() || parentId == 0)
        return 1;
    const std::wstring program = folder + L"\\" + kProgramName;
    const UniqueHandle parent(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parentId));
    if (!parent || ::CompareStringOrdinal(ImagePath(parent.get()).c_str(), -1, program.c_str(), -1, TRUE) != CSTR_EQUAL)
        return 1;
    WindowSearch search{parentId, nullptr};
    ::EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return 1;
    // The program's own way out (the tray's "Esci"): it removes its tray icon.
    ::PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(ID_TRAY_EXIT, BN_CLICKED), 0);
    ::WaitForSingleObject(parent.get(), INFINITE);

    const std::wstring backup = program + kBackupSuffix;
    if (StartProgram(program, folder)) {
        DeleteOldProgram(backup);
        return 0;
    }
    if (::GetFileAttributesW(backup.c_str()) == INVALID_FILE_ATTRIBUTES ||
        !::MoveFileExW(backup.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING))
        return 1;
    return StartProgram(program, folder) ? 0 : 1;
}
