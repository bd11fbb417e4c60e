#include "engine/UserAccount.h"

#include <windows.h>

#include <lmcons.h>

std::wstring LoggedOnUserName()
{
    wchar_t name[UNLEN + 1] = {};
    DWORD chars = UNLEN + 1;
    return ::GetUserNameW(name, &chars) ? std::wstring(name) : std::wstring();
}
