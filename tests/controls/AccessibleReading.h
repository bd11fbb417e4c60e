#pragma once
// What assistive software reads from a window, through the call a screen reader makes
// (AccessibleObjectFromWindow, its client object): role, name, state and how many rows.

#include <windows.h>
#include <oleacc.h>

#include <string>

struct AccessibleReading {
    long role = 0;
    std::wstring name;
    long state = 0;
    long children = 0;

    [[nodiscard]] bool Checked() const { return (state & STATE_SYSTEM_CHECKED) != 0; }
};

// About `child` of the window (CHILDID_SELF: the window itself); all empty when it
// gives no object. COM must be initialised on the calling thread.
[[nodiscard]] AccessibleReading ReadAccessible(HWND window, long child = CHILDID_SELF);
