// A library for the custom solution's DLL removal: its DllUnregisterServer leaves a
// value under HKEY_CURRENT_USER\Software\VelmoraSolutionTest, so a test can tell that the
// library's own code ran.

#include <windows.h>

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer()
{
    const DWORD one = 1;
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\VelmoraSolutionTest", L"Unregistered", REG_DWORD, &one,
                             sizeof(one)) == ERROR_SUCCESS
               ? S_OK
               : E_FAIL;
}
