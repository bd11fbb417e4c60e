#include "ui/MessageForwarder.h"

#include "engine/EngineMessages.h"
#include "engine/ScanMessages.h"
#include "ui/AppMessages.h"

#include <oleauto.h>

namespace {

CTextReleaseCounter* g_releaseCounter = nullptr;

}  // namespace

bool WorkWindowOf(UINT message, WorkWindow& window)
{
    switch (message) {
    case WM_SCAN_PROBLEM_FOUND:
    case WM_SCAN_ITEM:
    case WM_SCAN_FINISHED:
    case WM_SCAN_SECTION_STARTED:
    case WM_SCAN_SECTION_DONE:
        window = WorkWindow::ScanProgress;
        return true;
    case WM_REPAIR_STARTED:
    case WM_REPAIR_PROGRESS:
    case WM_REPAIR_ITEM:
    case WM_REPAIR_FINISHED:
        window = WorkWindow::Repair;
        return true;
    case WM_BACKUP_FOUND:
        window = WorkWindow::Restore;
        return true;
    case WM_DOWNLOAD_STARTED:
    case WM_DOWNLOAD_DONE:
    case WM_DOWNLOAD_PROGRESS:
        window = WorkWindow::Download;
        return true;
    default:
        return false;
    }
}

void ReleaseMessageText(UINT message, WPARAM wParam)
{
    if (!CarriesText(message) || wParam == 0)
        return;
    ::SysFreeString(reinterpret_cast<BSTR>(wParam));
    if (g_releaseCounter)
        ++g_releaseCounter->m_count;
}

void DiscardQueuedTexts(HWND window)
{
    for (const UINT message : {WM_SCAN_ITEM, WM_REPAIR_ITEM, WM_BACKUP_FOUND}) {
        MSG queued{};
        while (::PeekMessageW(&queued, window, message, message, PM_REMOVE | PM_NOYIELD))
            ReleaseMessageText(queued.message, queued.wParam);
    }
}

CTextReleaseCounter::CTextReleaseCounter() : m_previous(g_releaseCounter) { g_releaseCounter = this; }

CTextReleaseCounter::~CTextReleaseCounter() { g_releaseCounter = m_previous; }

void CMessageForwarder::SetTarget(WorkWindow role, const CDialogBase* window)
{
    m_targets[static_cast<size_t>(role)] = window;
}

const CDialogBase* CMessageForwarder::GetTarget(WorkWindow role) const
{
    return m_targets[static_cast<size_t>(role)];
}

CMessageForwarder::Outcome CMessageForwarder::Forward(UINT message, WPARAM wParam, LPARAM lParam) const
{
    WorkWindow role{};
    if (!WorkWindowOf(message, role))
        return Outcome::NotForwarded;
    const CDialogBase* target = GetTarget(role);
    if (target && target->IsShown()) {
        if (::PostMessageW(target->GetSafeHwnd(), message, wParam, lParam))
            return Outcome::Posted;
        // A full queue must not lose a worker's last message: without it the window
        // would wait for ever. The target runs on this thread, so it is handed over now.
        if (message == WM_SCAN_FINISHED || message == WM_REPAIR_FINISHED) {
            ::SendMessageW(target->GetSafeHwnd(), message, wParam, lParam);
            return Outcome::Posted;
        }
    }
    ReleaseMessageText(message, wParam);
    return Outcome::Lost;
}
