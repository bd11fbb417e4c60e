// A stand-in for the program in the restart helper's tests, copied as "Velmora.exe" beside
// "rebooter.exe". With "--parent" it plays the program that has just been updated: it shows
// a window with the main window's title, starts the helper from its folder and ends when the
// helper asks it to ("Esci"). Without, it plays the new program the helper starts, as the
// environment variable VELMORA_STAND_IN_START says: "paint" sets the first-paint event the
// helper made for it, then ends; anything else ends at once, as a program that cannot start.

#include "core/StartSignal.h"
#include "framework/Handles.h"
#include "res/resource.h"

#include <windows.h>

#include <string>

namespace {

LRESULT CALLBACK StandInWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == ID_TRAY_EXIT) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int PlayUpdatedProgram(HINSTANCE instance)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &StandInWindow;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"VelmoraRestartStandIn";
    if (!::RegisterClassW(&windowClass) ||
        !::CreateWindowW(windowClass.lpszClassName, L"Velmora 2011 | Registry Cleaner", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                         100, nullptr, nullptr, instance, nullptr))
        return 2;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring helper(path, length);
    helper = helper.substr(0, helper.rfind(L'\\')) + L"\\rebooter.exe";
    std::wstring commandLine = L"\"" + helper + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(helper.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started))
        return 3;
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&message);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    if (std::wstring(commandLine) == L"--parent")
        return PlayUpdatedProgram(instance);
    wchar_t start[16] = {};
    ::GetEnvironmentVariableW(L"VELMORA_STAND_IN_START", start, 16);
    if (std::wstring(start) != L"paint")
        return 1;
    const UniqueHandle painted(
        ::OpenEventW(EVENT_MODIFY_STATE, FALSE, FirstPaintEventName(::GetCurrentProcessId()).c_str()));
    return painted && ::SetEvent(painted.get()) ? 0 : 4;
}
