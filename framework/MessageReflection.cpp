#include "framework/MessageReflection.h"

#include <commctrl.h>

bool CMessageReflector::Start(HWND control, CReflectedMessageSink& sink)
{
    Stop();
    const HWND parent = control ? ::GetParent(control) : nullptr;
    if (!parent)
        return false;
    // One subclass per reflector, told apart by its address, so that every control of a
    // window can reflect at the same time.
    if (!::SetWindowSubclass(parent, &CMessageReflector::ParentProc, reinterpret_cast<UINT_PTR>(this),
                             reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_parent = parent;
    m_control = control;
    m_sink = &sink;
    return true;
}

void CMessageReflector::Stop()
{
    if (!m_parent)
        return;
    // Fails harmlessly when the parent is already destroyed (its subclasses went with it).
    ::RemoveWindowSubclass(m_parent, &CMessageReflector::ParentProc, reinterpret_cast<UINT_PTR>(this));
    m_parent = nullptr;
    m_control = nullptr;
    m_sink = nullptr;
}

bool CMessageReflector::Concerns(UINT message, LPARAM lParam) const
{
    if (lParam == 0)
        return false;
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return item->CtlType != ODT_MENU && item->hwndItem == m_control;
    }
    if (message == WM_NOTIFY)
        return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == m_control;
    return false;
}

LRESULT CALLBACK CMessageReflector::ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR self)
{
    auto* reflector = reinterpret_cast<CMessageReflector*>(self);
    if (message == WM_NCDESTROY) {
        // The system drops the subclass with the window; forget the parent so Stop does not touch it.
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        reflector->m_parent = nullptr;
        return result;
    }
    if (reflector->m_sink && reflector->Concerns(message, lParam)) {
        LRESULT result = 0;
        try {
            if (reflector->m_sink->OnReflectedMessage(message, wParam, lParam, result))
                return result;
        } catch (...) {
            // No exception may unwind through the system's dispatch code; the parent handles it instead.
        }
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}
