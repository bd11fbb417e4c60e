#pragma once
// The scan results window: the sections that have problems, one row each, with the total
// and the way to repair the chosen problems ("Ripara i problemi") or to write the HTML
// report ("Crea Rapporto"). Problems left unchosen when the repair starts, and every
// problem when the window is closed without a repair (Escape or closing), go to the
// unresolved-problems store, whose count the main window then refreshes. Enter opens the
// focused section in the list and presses a focused button, and otherwise does nothing,
// so that no repair starts by a key pressed by habit; "Chiudi" closes as Escape.
//
// Made on the stack for each showing.

#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/XColorStatic.h"
#include "core/ProblemRecord.h"
#include "core/ScanSections.h"
#include "ui/ScanResultContainer.h"

#include <functional>
#include <string>
#include <vector>

// What the results window asks of the engine. The program's is CEngineServices.
class IResultsService {
public:
    virtual ~IResultsService() = default;
    // The problems the last scan found (or the stored ones, once loaded).
    [[nodiscard]] virtual const CErrorListEx& Problems() const = 0;
    // The counters the repair summary shows.
    [[nodiscard]] virtual const SectionCounters& Counters() const = 0;
    // stays[i] true keeps problem i for the repair; every other problem is stored and
    // leaves the list. False when the file could not be written.
    [[nodiscard]] virtual bool SaveUnresolvedProblems(const std::vector<bool>& stays) = 0;
    // Writes the HTML report of the problems; false when it could not be written.
    [[nodiscard]] virtual bool WriteScanReport(std::wstring& reportFolder, std::wstring& reportFile) = 0;
};

// "Attenzione! Sono stati trovati %d errori di Registro."
[[nodiscard]] std::wstring ProblemsFoundText(int count);
// The question after a written report, naming the folder it went to.
[[nodiscard]] std::wstring ReportWrittenQuestion(const std::wstring& folder);

inline constexpr wchar_t kReportFailed[] =
    L"Il programma non è riuscito a generare un report in questo momento. Si prega di riprovare.";

// The windows and actions around the results. A step that is not set does nothing.
struct ResultsWindowLinks {
    // The main window's count of unresolved problems, refreshed after each store.
    std::function<void()> refreshProblemCount;
    // The repair window, shown modally; the application gives it, since its messages
    // reach it through the main window.
    std::function<void(HWND owner)> showRepair;
    // The repair summary, shown modally (by default CResultStatus).
    std::function<void(HWND owner)> showSummary;
    // Opens the written report (by default in the browser, through the shell).
    std::function<void(const std::wstring& reportFile)> openReport;
};

class CScanResultsDialog : public CBitmapDialog {
public:
    // Shows the problems of `results`.
    explicit CScanResultsDialog(IResultsService& results);

    // The defaults stay for the steps not set in `links`.
    void SetLinks(ResultsWindowLinks links);
    [[nodiscard]] CScanResultContainer& List() { return m_list; }
    [[nodiscard]] bool IsRepairDone() const { return m_repairDone; }

    // The two buttons and the close, as the user triggers them.
    void Repair();
    void Report();
    void CloseAndStore();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override { CloseAndStore(); }
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void SetUpControls();
    void Store(const std::vector<bool>& stays);
    static void Run(const std::function<void(HWND)>& step, HWND owner);

    IResultsService& m_results;
    ResultsWindowLinks m_links;
    bool m_repairDone = false;

    CScanResultContainer m_list;
    CXColorStatic m_title;
    CXColorStatic m_banner;
    CXColorStatic m_total;
    CBitmapButtonEx m_repair;
    CBitmapButtonEx m_report;
    CBitmapButtonEx m_close;
};
