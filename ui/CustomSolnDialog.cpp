#include "ui/CustomSolnDialog.h"

#include "core/SolutionCommands.h"
#include "res/resource.h"
#include "ui/AppMessages.h"
#include "ui/Prompts.h"
#include "ui/WindowLayout.h"

namespace {

constexpr wchar_t kFetching[] = L"Verifica della soluzione in corso, attendere...";
constexpr wchar_t kRunning[] = L"Esecuzione della soluzione in corso, attendere...";

std::wstring RunningText(std::size_t done, std::size_t total)
{
    return L"Esecuzione della soluzione in corso: operazione " + std::to_wstring(done) + L" di " +
           std::to_wstring(total) + L", attendere...";
}

}  // namespace


CCustomSolnDialog::CCustomSolnDialog(ISolutionService& service) : CBitmapDialog(IDD_CUSTOM_SOLUTION), m_service(service) {}

BOOL CCustomSolnDialog::OnInitDialog()
{
    SetUpSkinnedPanel(*this, kPanelSkin, L"Velmora - Soluzione personalizzata");
    SetUpControls();
    m_solution.reset();
    m_ready = false;
    ::SetWindowTextW(GetDlgItem(IDC_SOLUTION_STATUS), kFetching);
    ::EnableWindow(GetDlgItem(IDC_SOLUTION_RUN), FALSE);
    ISolutionService& service = m_service;
    const auto fetch = [this, &service](const std::atomic<bool>& abandoned) {
        m_fetchedComments.clear();
        m_fetchedSolution.reset();
        m_fetchedActions.clear();
        std::wstring commands;
        m_fetched = service.FetchSolution(m_fetchedComments, commands, abandoned);
        if (m_fetched == FetchOutcome::Ready && !abandoned) {
            m_fetchedSolution = service.PrepareSolution(commands);
            if (m_fetchedSolution)
                m_fetchedActions = m_fetchedSolution->Description();
        }
    };
    if (!m_worker.Start(m_hWnd, WM_SOLUTION_FETCHED, fetch)) {
        m_fetched = FetchOutcome::Failed;
        OnFetched();
    }
    // Not the read-only instructions: the first thing the user can do is close.
    FocusControl(m_hWnd, IDCANCEL);
    return FALSE;
}

void CCustomSolnDialog::OnFetched()
{
    m_worker.Finish();
    switch (m_fetched) {
    case FetchOutcome::Ready:
        m_solution = std::move(m_fetchedSolution);
        m_ready = m_solution != nullptr;
        ShowSolution(m_fetchedComments);
        break;
    case FetchOutcome::Failed:
        ShowNotReady();
        ShowAppPrompt(m_hWnd, kFetchFailedMessage);
        break;
    case FetchOutcome::NotReady:
        ShowNotReady();
        break;
    }
    ::SetFocus(GetDlgItem(IDC_SOLUTION_RUN));
}

void CCustomSolnDialog::SetUpControls()
{
    const ControlPlace titlePlace{50, 30, 300, 30};
    const ControlPlace statusLabelPlace{50, 90, 150, 21};
    const ControlPlace statusPlace{205, 90, 290, 100};
    const ControlPlace instructionsLabelPlace{50, 173, 150, 21};
    SetUpLabel(m_title, m_hWnd, IDC_SOLUTION_TITLE, kTitleLook, L"RIPARAZIONE AVANZATA", &titlePlace);
    SetUpLabel(m_statusLabel, m_hWnd, IDC_SOLUTION_STATUS_LABEL, {kBlack, 9, FW_BOLD}, L"Stato della Soluzione:",
               &statusLabelPlace);
    SetUpLabel(m_status, m_hWnd, IDC_SOLUTION_STATUS, {kBlack, 9, FW_NORMAL}, L"", &statusPlace);
    SetUpLabel(m_instructionsLabel, m_hWnd, IDC_SOLUTION_INSTRUCTIONS_LABEL, {kBlack, 9, FW_BOLD}, L"Istruzioni:",
               &instructionsLabelPlace);
    PlaceControl(m_hWnd, IDC_SOLUTION_INSTRUCTIONS, {50, 195, 450, 190});
    SetUpCaptionButton(m_run, m_hWnd, IDC_SOLUTION_RUN, IDB_BUTTON_REPORTS, L"Esegui Soluzione Personalizzata",
                       {320, 398, 180, 21});
    SetUpCaptionButton(m_close, m_hWnd, IDCANCEL, IDB_BUTTON, L"Chiudi", {234, 398, 81, 21});
}

void CCustomSolnDialog::ShowSolution(const std::wstring& comments)
{
    ::SetWindowTextW(GetDlgItem(IDC_SOLUTION_STATUS), kSolutionReady);
    std::wstring instructions = comments;
    // The commands come over plain HTTP: the user sees what they would do before choosing to run them.
    if (!m_fetchedActions.empty())
        instructions += L"\r\n\r\nLa soluzione eseguirà queste operazioni:\r\n" + m_fetchedActions;
    ::SetWindowTextW(GetDlgItem(IDC_SOLUTION_INSTRUCTIONS), instructions.c_str());
    ::EnableWindow(GetDlgItem(IDC_SOLUTION_RUN), TRUE);
}

void CCustomSolnDialog::ShowNotReady()
{
    ::SetWindowTextW(GetDlgItem(IDC_SOLUTION_STATUS), kSolutionNotReady);
    ::SetWindowTextW(GetDlgItem(IDC_SOLUTION_INSTRUCTIONS), L"Non ancora disponibile.");
    ::EnableWindow(GetDlgItem(IDC_SOLUTION_RUN), FALSE);
}

void CCustomSolnDialog::RunCommand()
{
    if (!m_ready || m_worker.IsBusy())
        return;
    // The actions are not abandoned halfway: the flag is not looked at.
    IPreparedSolution& solution = *m_solution;
    const bool started = m_worker.Start(m_hWnd, WM_SOLUTION_RUN_DONE, [this, &solution](const std::atomic<bool>&) {
        m_report = solution.Run([window = m_hWnd](std::size_t done, std::size_t total) {
            ::PostMessageW(window, WM_SOLUTION_PROGRESS, done, static_cast<LPARAM>(total));
        });
    });
    if (!started)
        return;
    m_running = true;
    ::SetWindowTextW(GetDlgItem(IDC_SOLUTION_STATUS), kRunning);
    ::EnableWindow(GetDlgItem(IDC_SOLUTION_RUN), FALSE);
}

void CCustomSolnDialog::OnRunDone()
{
    m_worker.Finish();
    m_running = false;
    ::SetWindowTextW(GetDlgItem(IDC_SOLUTION_STATUS), kSolutionReady);
    ::EnableWindow(GetDlgItem(IDC_SOLUTION_RUN), TRUE);
    ShowAppPrompt(m_hWnd, m_report);
    if (m_report == kSolutionStaffMessage)
        EndDialog(IDOK);
}

void CCustomSolnDialog::OnCancel()
{
    if (m_running)
        return;
    m_worker.Stop();
    EndDialog(IDCANCEL);
}

void CCustomSolnDialog::OnDestroyed()
{
    // Gone without OnCancel (the program ending): a call is abandoned, actions run out.
    m_worker.Stop();
    m_running = false;
}

bool CCustomSolnDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_SOLUTION_PROGRESS) {
        if (m_running) {
            const std::wstring text = RunningText(wParam, static_cast<std::size_t>(lParam));
            ::SetWindowTextW(GetDlgItem(IDC_SOLUTION_STATUS), text.c_str());
        }
        result = 0;
        return true;
    }
    if (message == WM_SOLUTION_FETCHED || message == WM_SOLUTION_RUN_DONE) {
        if (m_worker.IsBusy()) {
            if (message == WM_SOLUTION_FETCHED)
                OnFetched();
            else
                OnRunDone();
        }
        result = 0;
        return true;
    }
    return CBitmapDialog::OnMessage(message, wParam, lParam, result);
}

bool CCustomSolnDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED || id != IDC_SOLUTION_RUN)
        return false;
    RunCommand();
    return true;
}
