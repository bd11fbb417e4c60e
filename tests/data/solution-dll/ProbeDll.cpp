// A library for the custom solution's DLL removal that tells a test whether its code ran:
// loading it leaves "<its path>.loaded" beside it, and its DllUnregisterServer leaves a
// value under HKEY_CURRENT_USER\Software\VelmoraSolutionTest.

#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    std::wstring marker(MAX_PATH, L'\0');
    marker.resize(::GetModuleFileNameW(instance, marker.data(), MAX_PATH));
    marker += L".loaded";
    const HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer()
{
    const DWORD one = 1;
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\VelmoraSolutionTest", L"Unregistered", REG_DWORD, &one,
                             sizeof(one)) == ERROR_SUCCESS
               ? S_OK
               : E_FAIL;
}
