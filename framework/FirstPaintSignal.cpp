#include "framework/FirstPaintSignal.h"

#include "core/StartSignal.h"
#include "framework/Handles.h"

#include <windows.h>

void SignalFirstPaint()
{
    // Only opened, never created: a starter that does not wait has made no event.
    const UniqueHandle event(
        ::OpenEventW(EVENT_MODIFY_STATE, FALSE, FirstPaintEventName(::GetCurrentProcessId()).c_str()));
    if (event)
        ::SetEvent(event.get());
}
