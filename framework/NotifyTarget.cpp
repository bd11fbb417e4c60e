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

bool CNotifyTarget::PostUntilQueued(UINT message, WPARAM wParam, LPARAM lParam, HANDLE stopEvent) const
{
    constexpr DWORD kRetryMs = 10;
    while (!Post(message, wParam, lParam)) {
        if (!*this || ::GetLastError() != ERROR_NOT_ENOUGH_QUOTA || (m_window && !::IsWindow(m_window)))
            return false;
        if (stopEvent) {
            if (::WaitForSingleObject(stopEvent, kRetryMs) == WAIT_OBJECT_0)
                return Post(message, wParam, lParam);
        } else {
            ::Sleep(kRetryMs);
        }
    }
    return true;
}
