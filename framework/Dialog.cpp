#include "framework/Dialog.h"

CDialogBase::~CDialogBase()
{
    if (m_hWnd) {
        // A modeless window outliving its object would call into freed memory.
        ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        ::DestroyWindow(m_hWnd);
    }
}

HINSTANCE CDialogBase::ResourceModule()
{
    return ::GetModuleHandleW(nullptr);
}

INT_PTR CDialogBase::DoModal(HWND parent)
{
    m_modal = true;
    return ::DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(m_templateId), parent, &CDialogBase::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

bool CDialogBase::Create(HWND parent)
{
    m_modal = false;
    return ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(m_templateId), parent, &CDialogBase::DialogProc,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialogBase::EndDialog(INT_PTR result)
{
    if (!m_hWnd)
        return;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ::DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialogBase*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
    }
    auto* dialog = reinterpret_cast<CDialogBase*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog)
        return FALSE;
    INT_PTR handled = FALSE;
    try {
        handled = dialog->Dispatch(message, wParam, lParam);
    } catch (...) {
        // An exception must never unwind through the system's dispatch code.
        handled = FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
        dialog->OnDestroyed();
    }
    return handled;
}

namespace {

// Messages whose dialog-procedure result is returned directly instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

}  // namespace

INT_PTR CDialogBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnInitDialog();
    if (message == WM_COMMAND) {
        const WORD id = LOWORD(wParam);
        const WORD code = HIWORD(wParam);
        if (OnCommand(id, code, reinterpret_cast<HWND>(lParam)))
            return TRUE;
        if (id == IDOK) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result))
        return FALSE;
    if (ReturnsResultDirectly(message))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
