#include "framework/NotifyTarget.h"

CNotifyTarget CNotifyTarget::Thread(DWORD threadId)
{
    CNotifyTarget target;
    target.m_thread = threadId;
    return target;
}

bool CNotifyTarget::Post(UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (m_window)
        return ::PostMessageW(m_window, message, wParam, lParam) != FALSE;
    if (m_thread)
        return ::PostThreadMessageW(m_thread, message, wParam, lParam) != FALSE;
    return false;
}
