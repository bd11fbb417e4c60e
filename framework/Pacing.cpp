#include "framework/Pacing.h"

#include <atomic>

namespace {

bool PacingFromEnvironment()
{
    wchar_t value[8] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VELMORA_NO_PAUSE", value, 8);
    return !(length == 1 && value[0] == L'1');
}

std::atomic<bool>& PacingFlag()
{
    static std::atomic<bool> flag{PacingFromEnvironment()};
    return flag;
}

}  // namespace

bool PacingEnabled() { return PacingFlag().load(); }

void SetPacingEnabled(bool enabled) { PacingFlag().store(enabled); }

bool PacedWait(HANDLE stopEvent, DWORD milliseconds)
{
    if (!PacingEnabled())
        return false;
    if (!stopEvent) {
        ::Sleep(milliseconds);
        return false;
    }
    return ::WaitForSingleObject(stopEvent, milliseconds) == WAIT_OBJECT_0;
}
