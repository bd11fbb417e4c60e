#pragma once
// The advanced-repair window for a user with a pending log: asks the log service once,
// when it opens, whether the custom solution is ready; when it is, shows the staff's
// instructions and, in plain words, every action the solution would carry out. Nothing
// runs before the user presses "Esegui Soluzione Personalizzata". The service call and
// the solution's actions run on a worker: meanwhile the window paints, says what it is
// waiting for and keeps its button off. Closing it while the service is asked abandons
// the call; the actions, once started, are not cut short, so it stays open until they end.

#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/XColorStatic.h"
#include "framework/TaskThread.h"
#include "online/SolutionRunner.h"

#include <atomic>
#include <memory>
#include <string>

// What the custom-solution window asks of the online services, on its worker. The
// program's is COnlineServices; the window tests give their own.
class ISolutionService {
public:
    virtual ~ISolutionService() = default;
    // Set `abandoned` ends it early as Failed.
    [[nodiscard]] virtual FetchOutcome FetchSolution(std::wstring& comments, std::wstring& commands,
                                                     const std::atomic<bool>& abandoned) = 0;
    // The commands parsed once (CPreparedSolution): what they would do, and then exactly
    // that when run. It checks every path the commands name, so the window asks for it
    // on its worker.
    [[nodiscard]] virtual std::unique_ptr<IPreparedSolution> PrepareSolution(const std::wstring& commands) = 0;
};

inline constexpr wchar_t kSolutionReady[] =
    L"La soluzione è disponibile. Ti preghiamo di leggere le istruzioni seguenti.";
inline constexpr wchar_t kSolutionNotReady[] =
    L"La tua soluzione di riparazione personalizzata non è ancora disponibile. Ti chiediamo gentilmente di attendere "
    L"24-48 ore. Quando la soluzione sarà pronta, il pulsante diventerà attivo.";

class CCustomSolnDialog : public CBitmapDialog {
public:
    explicit CCustomSolnDialog(ISolutionService& service);

    // "Esegui Soluzione Personalizzata": the actions start on the worker; nothing while no
    // solution is ready or the worker is busy.
    void RunCommand();
    [[nodiscard]] bool IsBusy() const { return m_worker.IsBusy(); }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroyed() override;

private:
    void SetUpControls();
    void OnFetched();
    void OnRunDone();
    void ShowSolution(const std::wstring& comments);
    void ShowNotReady();

    ISolutionService& m_service;
    std::unique_ptr<IPreparedSolution> m_solution;  // what was shown; run as it was parsed
    bool m_ready = false;
    CWindowTask m_worker;
    bool m_running = false;  // the worker carries out the actions, which are not abandoned
    // Written by the worker, read after it has ended.
    FetchOutcome m_fetched = FetchOutcome::Failed;
    std::wstring m_fetchedComments;
    std::unique_ptr<IPreparedSolution> m_fetchedSolution;
    std::wstring m_fetchedActions;
    std::wstring m_report;

    CXColorStatic m_title;
    CXColorStatic m_statusLabel;
    CXColorStatic m_status;
    CXColorStatic m_instructionsLabel;
    CBitmapButtonEx m_run;
    CBitmapButtonEx m_close;
};
