// rebooter.exe: the restart helper of the self-update. The program starts it from its
// own folder once the new program file is in place; the helper asks the program that
// started it to end, waits until it has ended and starts the new "Velmora.exe" beside
// the helper. The old program file (kept as "Velmora.exe.bak") is deleted only once the
// new one says that its main window is up and painted (it sets the event named by
// FirstPaintEventName, which the helper creates for it before it runs). When the new one
// cannot start, or ends before saying so, the old one is put back and started, so there
// is always a program that starts. When it says nothing within a minute but goes on
// running, both files stay: a running program is not ended on a guess, and the next
// update deletes the old file. Started by anything else than "Velmora.exe" from its own
// folder (or when that process cannot be opened), it does nothing.

#include "core/StartSignal.h"
#include "framework/Handles.h"
#include "res/resource.h"

#include <windows.h>
#include <tlhelp32.h>

#include <string>

namespace {

constexpr wchar_t kMainWindowTitle[] = L"Velmora 2011 | Registry Cleaner";
constexpr wchar_t kProgramName[] = L"Velmora.exe";
constexpr wchar_t kBackupSuffix[] = L".bak";
// A program file may stay locked for a moment after its process has ended.
constexpr int kFileAttempts = 40;
constexpr DWORD kFileRetryMilliseconds = 250;
// Long enough for a first paint on a slow, busy machine.
constexpr DWORD kStartWaitMilliseconds = 60000;

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
    for (int attempt = 0; attempt < kFileAttempts; ++attempt) {
        if (::DeleteFileW(backup.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND)
            return;
        ::Sleep(kFileRetryMilliseconds);
    }
}

bool PutOldProgramBack(const std::wstring& backup, const std::wstring& program)
{
    for (int attempt = 0; attempt < kFileAttempts; ++attempt) {
        if (::MoveFileExW(backup.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING))
            return true;
        if (::GetLastError() == ERROR_FILE_NOT_FOUND)
            return false;
        ::Sleep(kFileRetryMilliseconds);
    }
    return false;
}

struct StartedProgram {
    UniqueHandle process;
    UniqueHandle thread;
};

// flags: CREATE_SUSPENDED lets the caller prepare for the program before it runs.
bool CreateProgramProcess(const std::wstring& program, const std::wstring& folder, DWORD flags,
                          StartedProgram& started, DWORD& processId)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, folder.c_str(),
                          &startup, &info))
        return false;
    started.process.reset(info.hProcess);
    started.thread.reset(info.hThread);
    processId = info.dwProcessId;
    return true;
}

bool StartProgram(const std::wstring& program, const std::wstring& folder)
{
    StartedProgram started;
    DWORD processId = 0;
    return CreateProgramProcess(program, folder, 0, started, processId);
}

enum class Start { Painted, Ended, Silent, Failed };

// Starts the program and waits, bounded, for its first paint or its end.
Start StartAndWatch(const std::wstring& program, const std::wstring& folder)
{
    StartedProgram started;
    DWORD processId = 0;
    if (!CreateProgramProcess(program, folder, CREATE_SUSPENDED, started, processId))
        return Start::Failed;
    const UniqueHandle painted(::CreateEventW(nullptr, TRUE, FALSE, FirstPaintEventName(processId).c_str()));
    // An event someone else made first may have been set by them: it proves nothing.
    const bool ours = painted && ::GetLastError() != ERROR_ALREADY_EXISTS;
    if (::ResumeThread(started.thread.get()) == static_cast<DWORD>(-1)) {
        ::TerminateProcess(started.process.get(), 1);
        return Start::Failed;
    }
    if (!ours)
        return Start::Silent;
    const HANDLE waits[] = {painted.get(), started.process.get()};
    switch (::WaitForMultipleObjects(2, waits, FALSE, kStartWaitMilliseconds)) {
    case WAIT_OBJECT_0:
        return Start::Painted;
    case WAIT_OBJECT_0 + 1:
        return Start::Ended;
    default:
        return Start::Silent;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // It runs elevated from the program's folder: no library from anywhere else.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
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
    switch (StartAndWatch(program, folder)) {
    case Start::Painted:
        DeleteOldProgram(backup);
        return 0;
    case Start::Silent:
        return 0;
    case Start::Ended:
    case Start::Failed:
        break;
    }
    return PutOldProgramBack(backup, program) && StartProgram(program, folder) ? 0 : 1;
}
