#pragma once
// Attaches an object to an existing child window (a control made by a dialog
// template) so that its messages reach WindowProc. The skinned controls build on it.

#include <windows.h>

class CSubclassedWindow {
public:
    CSubclassedWindow() = default;
    virtual ~CSubclassedWindow() { Detach(); }
    CSubclassedWindow(const CSubclassedWindow&) = delete;
    CSubclassedWindow& operator=(const CSubclassedWindow&) = delete;

    // Subclasses the dialog's control with the given id; false when it does not exist.
    [[nodiscard]] bool SubclassDlgItem(int id, HWND dialog) { return Attach(::GetDlgItem(dialog, id)); }
    [[nodiscard]] bool Attach(HWND window);
    void Detach();

    [[nodiscard]] HWND GetSafeHwnd() const { return m_hWnd; }

protected:
    // Called once the window is subclassed: the place for set-up that needs the window
    // (styles, fonts, text), since a control made by a template has long passed WM_CREATE.
    virtual void OnAttached() {}
    // Override to handle messages; call DefaultProc for what is not handled.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return DefaultProc(message, wParam, lParam);
    }
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
};
