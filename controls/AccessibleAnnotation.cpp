#include "controls/AccessibleAnnotation.h"

#include <commctrl.h>

#include <utility>

void CAccessibleAnnotation::SetAccessibleName(std::wstring name)
{
    m_name = std::move(name);
    CAccessibleHost::Notify(m_hWnd, EVENT_OBJECT_NAMECHANGE);
}

long CAccessibleAnnotation::AccessibleState(long) const { return STATE_SYSTEM_READONLY; }

std::wstring CAccessibleAnnotation::AccessibleValue(long) const
{
    if (m_role != ROLE_SYSTEM_PROGRESSBAR || !m_hWnd)
        return {};
    const auto low = static_cast<long long>(::SendMessageW(m_hWnd, PBM_GETRANGE, TRUE, 0));
    const auto high = static_cast<long long>(::SendMessageW(m_hWnd, PBM_GETRANGE, FALSE, 0));
    const auto position = static_cast<long long>(::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0));
    if (high <= low)
        return L"0%";
    return std::to_wstring((position - low) * 100 / (high - low)) + L"%";
}

LRESULT CAccessibleAnnotation::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT answer = 0; m_accessible.OnMessage(m_hWnd, message, wParam, lParam, answer))
        return answer;
    if (message == PBM_SETPOS || message == PBM_DELTAPOS || message == PBM_STEPIT) {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        CAccessibleHost::Notify(m_hWnd, EVENT_OBJECT_VALUECHANGE);
        return result;
    }
    return DefaultProc(message, wParam, lParam);
}
