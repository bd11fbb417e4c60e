#include "controls/CtrlButton.h"

#include <array>

namespace {

bool IsDialogWindow(HWND window)
{
    std::array<wchar_t, 16> className{};
    return ::GetClassNameW(window, className.data(), static_cast<int>(className.size())) > 0 &&
           ::lstrcmpW(className.data(), L"#32770") == 0;
}

}  // namespace

void CCtrlButton::OnAttached()
{
    // A template's button was created long before it was subclassed, so the tab stop
    // is added here rather than on WM_CREATE.
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | WS_TABSTOP);
}

void CCtrlButton::MoveFocusToNextTabStop(bool backwards)
{
    const HWND parent = ::GetParent(m_hWnd);
    if (!parent)
        return;
    const HWND next = ::GetNextDlgTabItem(parent, m_hWnd, backwards ? TRUE : FALSE);
    if (!next)
        return;
    if (IsDialogWindow(parent))
        ::SendMessageW(parent, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    else
        ::SetFocus(next);
}

LRESULT CCtrlButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DefaultProc(message, wParam, lParam) | DLGC_WANTTAB;
    case WM_KEYDOWN:
        if (wParam == VK_TAB) {
            MoveFocusToNextTabStop(::GetKeyState(VK_SHIFT) < 0);
            return 0;
        }
        break;
    case WM_CHAR:
    case WM_SYSCHAR:
        return 0;
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}
