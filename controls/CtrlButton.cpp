#include "controls/CtrlButton.h"

#include <array>

#include "controls/WindowText.h"

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

void CCtrlButton::Press()
{
    // What a click sends; the window then acts on this button, not on its default one.
    if (const HWND parent = ::GetParent(m_hWnd))
        ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hWnd), BN_CLICKED),
                       reinterpret_cast<LPARAM>(m_hWnd));
}

long CCtrlButton::AccessibleRole(long) const { return ROLE_SYSTEM_PUSHBUTTON; }

std::wstring CCtrlButton::AccessibleName(long) const { return ReadWindowText(m_hWnd); }

long CCtrlButton::AccessibleState(long) const
{
    long state = STATE_SYSTEM_FOCUSABLE;
    if (::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED)
        state |= STATE_SYSTEM_PRESSED;
    return state;
}

std::wstring CCtrlButton::AccessibleDefaultAction(long) const { return L"Premi"; }

void CCtrlButton::DoAccessibleDefaultAction(long)
{
    if (::IsWindowEnabled(m_hWnd))
        Press();
}

LRESULT CCtrlButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT answer = 0; m_accessible.OnMessage(m_hWnd, message, wParam, lParam, answer))
        return answer;
    switch (message) {
    case WM_GETDLGCODE: {
        // Enter comes to the button itself instead of becoming the window's default command.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        const bool enter = key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
        return DefaultProc(message, wParam, lParam) | DLGC_WANTTAB | (enter ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
        if (wParam == VK_TAB) {
            MoveFocusToNextTabStop(::GetKeyState(VK_SHIFT) < 0);
            return 0;
        }
        if (wParam == VK_RETURN) {
            // Once per press, not again while the key repeats.
            if ((lParam & (1 << 30)) == 0)
                Press();
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
