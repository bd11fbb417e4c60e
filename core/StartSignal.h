#pragma once
// The name of the event by which a started program says that its main window is up and
// painted. Whoever starts the program and wants to know (the restarter after an update, the
// start benchmark) creates the event for the child's process id before letting it run; the
// program only opens it, so a program started by anyone else signals nothing.
#include <string>

inline std::wstring FirstPaintEventName(unsigned long processId)
{
    return L"Local\\VelmoraFirstPaint-" + std::to_wstring(processId);
}
