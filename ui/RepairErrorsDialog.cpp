#include "ui/RepairErrorsDialog.h"

#include "engine/EngineMessages.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "ui/MessageForwarder.h"
#include "ui/Prompts.h"
#include "ui/WindowLayout.h"

#include <commctrl.h>

CRepairErrorsDialog::CRepairErrorsDialog(IRepairService& repairs) : CBitmapDialog(IDD_REPAIR_ERRORS), m_repairs(repairs) {}

BOOL CRepairErrorsDialog::OnInitDialog()
{
    m_closing.Open();
    SetUpSkinnedPanel(*this, kSmallPanelSkin, L"Velmora - Riparazione");
    SetUpControls();
    if (!m_repairs.StartRepair()) {
        // Without a worker no message would ever close the window.
        m_closing.Close();
        ShowAppPrompt(m_hWnd, kRepairNotStarted, MB_OK | MB_ICONERROR);
        Close();
    }
    return TRUE;
}

void CRepairErrorsDialog::SetUpControls()
{
    const ControlPlace titlePlace{50, 30, 181, 45};
    const ControlPlace noticePlace{50, 100, 350, 40};
    const ControlPlace itemPlace{50, 160, 351, 30};
    SetUpLabel(m_title, m_hWnd, IDC_REPAIR_TITLE, kTitleLook, L"RIPARAZIONE IN CORSO", &titlePlace);
    SetUpLabel(m_notice, m_hWnd, IDC_REPAIR_NOTICE, {kBlack, 8, FW_BOLD},
               L"Attendere fino a quando il processo di riparazione sarà concluso.", &noticePlace);
    SetUpLabel(m_item, m_hWnd, IDC_REPAIR_ITEM, {kBlack, 8, FW_NORMAL}, L"", &itemPlace);
    PlaceControl(m_hWnd, IDC_REPAIR_PROGRESS, {50, 210, 351, 21});
    SetUpAnnotation(m_bar, m_hWnd, IDC_REPAIR_PROGRESS, L"Avanzamento della riparazione");
    const HWND bar = GetDlgItem(IDC_REPAIR_PROGRESS);
    ::SendMessageW(bar, PBM_SETRANGE32, 0, 0);
    ::SendMessageW(bar, PBM_SETPOS, 0, 0);
    SetUpCaptionButton(m_close, m_hWnd, IDCANCEL, IDB_BUTTON, L"Chiudi", {340, 350, 81, 21});
}

void CRepairErrorsDialog::OnStarted(WPARAM count)
{
    // The 32-bit range: the 16-bit one would wrap for a list of more than 65,535 problems.
    const auto top = static_cast<LPARAM>(count > 0x7FFFFFFF ? 0x7FFFFFFF : count);
    ::SendMessageW(GetDlgItem(IDC_REPAIR_PROGRESS), PBM_SETRANGE32, 0, top);
}

void CRepairErrorsDialog::OnProgress(WPARAM done)
{
    ::SendMessageW(GetDlgItem(IDC_REPAIR_PROGRESS), PBM_SETPOS, done, 0);
}

void CRepairErrorsDialog::OnItem(WPARAM text)
{
    ::SetWindowTextW(GetDlgItem(IDC_REPAIR_ITEM), TakeText(text).c_str());
}

void CRepairErrorsDialog::OnFinished()
{
    m_closing.Close();
    // The worker has ended: what it reports now is final.
    if (m_repairs.RepairFailed())
        ShowAppPrompt(m_hWnd, kRepairFailed, MB_OK | MB_ICONERROR);
    else if (m_repairs.RepairLeftProblems())
        ShowAppPrompt(m_hWnd, kRepairIncomplete, MB_OK | MB_ICONWARNING);
    else
        ShowAppPrompt(m_hWnd, kRepairSucceeded, MB_OK | MB_ICONINFORMATION);
    Close();
}

void CRepairErrorsDialog::OnCancel()
{
    if (m_closing.Close())
        m_repairs.StopRepair();
    Close();
}

void CRepairErrorsDialog::Close() { EndDialog(IDCANCEL); }

bool CRepairErrorsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (IsWorkOf(WorkWindow::Repair, message)) {
        result = 1;
        if (m_closing.Drops(message, wParam))
            return true;
        switch (message) {
        case WM_REPAIR_STARTED: OnStarted(wParam); break;
        case WM_REPAIR_PROGRESS: OnProgress(wParam); break;
        case WM_REPAIR_ITEM: OnItem(wParam); break;
        default: OnFinished(); break;
        }
        return true;
    }
    if (message == WM_DESTROY)
        DiscardQueuedTexts(m_hWnd);
    return CBitmapDialog::OnMessage(message, wParam, lParam, result);
}
