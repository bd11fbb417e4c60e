#include "ui/ScanResultsDialog.h"

#include "res/resource.h"
#include "ui/Prompts.h"
#include "ui/ResultStatus.h"
#include "ui/WindowLayout.h"

#include <shellapi.h>

namespace {

constexpr WindowSkin kResultsSkin{IDB_RESULTS_BACKGROUND, 526, 481, 461};
constexpr RECT kListPlace{40, 182, 40 + 454, 182 + 176};

void OpenInBrowser(const std::wstring& reportFile)
{
    ::ShellExecuteW(nullptr, L"open", reportFile.c_str(), L"", L"", SW_SHOW);
}

}  // namespace

std::wstring ProblemsFoundText(int count)
{
    return L"Attenzione! Sono stati trovati " + std::to_wstring(count) + L" errori di Registro.";
}

std::wstring ReportWrittenQuestion(const std::wstring& folder)
{
    return L"Il rapporto di scansione è stato salvato nella cartella \"dati del programma\" (" + folder +
           L"). Vuoi visualizzare il report sul tuo browser adesso in formato html?";
}

CScanResultsDialog::CScanResultsDialog(IResultsService& results)
    : CBitmapDialog(IDD_SCAN_RESULTS),
      m_results(results),
      m_links{nullptr, nullptr,
              [&results](HWND owner) {
                  CResultStatus summary(results.Counters());
                  summary.DoModal(owner);
              },
              &OpenInBrowser}
{
}

void CScanResultsDialog::SetLinks(ResultsWindowLinks links)
{
    if (links.refreshProblemCount)
        m_links.refreshProblemCount = std::move(links.refreshProblemCount);
    if (links.showRepair)
        m_links.showRepair = std::move(links.showRepair);
    if (links.showSummary)
        m_links.showSummary = std::move(links.showSummary);
    if (links.openReport)
        m_links.openReport = std::move(links.openReport);
}

BOOL CScanResultsDialog::OnInitDialog()
{
    m_repairDone = false;
    SetUpSkinnedPanel(*this, kResultsSkin, L"Velmora - Risultati della scansione");
    SetUpControls();
    const int problems = m_list.Fill(m_results.Problems());
    ::SetWindowTextW(GetDlgItem(IDC_RESULTS_BANNER), ProblemsFoundText(problems).c_str());
    ::SetWindowTextW(GetDlgItem(IDC_RESULTS_TOTAL), std::to_wstring(problems).c_str());
    // The list is where the user chooses; the buttons follow it as they stand, left to right.
    SetTabOrder(m_hWnd, {IDC_RESULTS_LIST, IDCANCEL, IDC_RESULTS_REPORT, IDC_RESULTS_REPAIR});
    FocusControl(m_hWnd, IDC_RESULTS_LIST);
    return FALSE;
}

void CScanResultsDialog::SetUpControls()
{
    SetUpCaptionButton(m_repair, m_hWnd, IDC_RESULTS_REPAIR, IDB_BUTTON_WIDE, L"Ripara i problemi",
                       {370, 410, 121, 21});
    SetUpCaptionButton(m_report, m_hWnd, IDC_RESULTS_REPORT, IDB_BUTTON_WIDE, L"Crea Rapporto", {275, 410, 90, 21});
    SetUpCaptionButton(m_close, m_hWnd, IDCANCEL, IDB_BUTTON, L"Chiudi", {189, 410, 81, 21});
    const ControlPlace titlePlace{40, 40, 250, 40};
    const ControlPlace bannerPlace{85, 100, 351, 21};
    const ControlPlace totalPlace{320, 373, 181, 21};
    SetUpLabel(m_title, m_hWnd, IDC_RESULTS_TITLE, {kBrandBlue, 13, FW_NORMAL}, L"RISULTATO DELLA SCANSIONE",
               &titlePlace);
    SetUpLabel(m_banner, m_hWnd, IDC_RESULTS_BANNER, {kWhite, 10, FW_BOLD}, L"", &bannerPlace);
    static_cast<void>(m_list.CreateIn(m_hWnd, IDC_RESULTS_LIST, kListPlace));
    SetUpLabel(m_total, m_hWnd, IDC_RESULTS_TOTAL, {kCountRed, 12, FW_BOLD}, L"", &totalPlace);
    m_total.SetAccessibleCaption(L"Totale Errori trovati nel Registro di Windows");
}

void CScanResultsDialog::Run(const std::function<void(HWND)>& step, HWND owner)
{
    if (step)
        step(owner);
}

void CScanResultsDialog::Store(const std::vector<bool>& stays)
{
    // A store that cannot be written still takes the problems out of the list, so they
    // are never repaired; the count then tells what the file really holds.
    static_cast<void>(m_results.SaveUnresolvedProblems(stays));
    if (m_links.refreshProblemCount)
        m_links.refreshProblemCount();
}

void CScanResultsDialog::Repair()
{
    if (m_repairDone)
        return;
    Store(m_list.ChosenForRepair());
    Run(m_links.showRepair, m_hWnd);
    m_repairDone = true;
    Run(m_links.showSummary, m_hWnd);
    EndDialog(IDOK);
}

void CScanResultsDialog::Report()
{
    std::wstring folder;
    std::wstring file;
    if (!m_results.WriteScanReport(folder, file)) {
        ShowAppPrompt(m_hWnd, kReportFailed, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (ShowAppPrompt(m_hWnd, ReportWrittenQuestion(folder), MB_YESNO | MB_ICONQUESTION) == IDYES &&
        m_links.openReport)
        m_links.openReport(file);
}

void CScanResultsDialog::CloseAndStore()
{
    if (!m_repairDone)
        Store(std::vector<bool>());
    EndDialog(IDCANCEL);
}

bool CScanResultsDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    if (id == IDC_RESULTS_REPAIR) {
        Repair();
        return true;
    }
    if (id == IDC_RESULTS_REPORT) {
        Report();
        return true;
    }
    return false;
}

bool CScanResultsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_MOUSEWHEEL) {
        // The wheel reaches the window with the focus; the list is what it scrolls.
        m_list.Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        result = 0;
        return true;
    }
    return CBitmapDialog::OnMessage(message, wParam, lParam, result);
}
