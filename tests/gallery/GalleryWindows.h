#pragma once
// The tour of every window of the program in the states worth reviewing, for whatever
// looks at them: the gallery photographs them, the layout tests measure them.

#include <windows.h>

#include <string>

class IWindowCamera {
public:
    virtual ~IWindowCamera() = default;
    // The window as it is now, under `name`.
    virtual void Take(HWND window, const std::wstring& name) = 0;
    // The window and the states of its buttons and check boxes; may leave them disabled.
    virtual void TakeStates(HWND window, const std::wstring& name) = 0;
    // A window that did not open.
    virtual void Missed(const std::wstring& name) = 0;
};

// Opens every window of the program in turn, in each state worth reviewing, and shows it
// to `camera`; answers every message box on the way.
void PhotographEveryWindow(IWindowCamera& camera);
