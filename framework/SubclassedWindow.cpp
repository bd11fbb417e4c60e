#include "framework/SubclassedWindow.h"

#include <commctrl.h>

namespace {
constexpr UINT_PTR kSubclassId = 0x56454C;
}

bool CSubclassedWindow::Attach(HWND window)
{
    if (!window || m_hWnd)
        return false;
    if (!::SetWindowSubclass(window, &CSubclassedWindow::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_hWnd = window;
    OnAttached();
    return true;
}

void CSubclassedWindow::Detach()
{
    if (m_hWnd) {
        ::RemoveWindowSubclass(m_hWnd, &CSubclassedWindow::SubclassProc, kSubclassId);
        m_hWnd = nullptr;
    }
}

LRESULT CSubclassedWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CSubclassedWindow::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                 DWORD_PTR self)
{
    auto* object = reinterpret_cast<CSubclassedWindow*>(self);
    LRESULT result = 0;
    try {
        result = object->WindowProc(message, wParam, lParam);
    } catch (...) {
        // No exception may unwind through the system's dispatch code.
        result = ::DefSubclassProc(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY)
        object->Detach();
    return result;
}
