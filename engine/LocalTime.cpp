#include "engine/LocalTime.h"

#include <windows.h>

CalendarTime LocalCalendarTime()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return CalendarTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
