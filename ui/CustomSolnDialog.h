#pragma once
// The advanced-repair window for a user with a pending log: asks the log service once,
// when it opens, whether the custom solution is ready; when it is, shows the staff's
// instructions and, in plain words, every action the solution would carry out. Nothing
// runs before the user presses "Esegui Soluzione Personalizzata".
//
// One shared instance; its window exists only while it is shown modally.

#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/XColorStatic.h"
#include "framework/Singleton.h"
#include "online/SolutionRunner.h"

#include <string>

// What the custom-solution window asks of the online services. The program's is
// OnlineSolutionService; the window tests give their own.
class ISolutionService {
public:
    virtual ~ISolutionService() = default;
    [[nodiscard]] virtual FetchOutcome FetchSolution(std::wstring& comments, std::wstring& commands) = 0;
    // Runs the solution and returns its report.
    [[nodiscard]] virtual std::wstring RunSolution(const std::wstring& commands) = 0;
};

[[nodiscard]] ISolutionService& OnlineSolutionService();

inline constexpr wchar_t kSolutionReady[] =
    L"La soluzione è disponibile. Ti preghiamo di leggere le istruzioni seguenti.";
inline constexpr wchar_t kSolutionNotReady[] =
    L"La tua soluzione di riparazione personalizzata non è ancora disponibile. Ti chiediamo gentilmente di attendere "
    L"24-48 ore. Quando la soluzione sarà pronta, il pulsante diventerà attivo.";

class CCustomSolnDialog : public CBitmapDialog, public CSingleton<CCustomSolnDialog> {
public:
    static constexpr int kWidth = 528;
    static constexpr int kHeight = 481;
    static constexpr int kSkinHeight = 461;

    CCustomSolnDialog();

    void Prepare(ISolutionService& service) { m_service = &service; }

    // "Esegui Soluzione Personalizzata"; nothing while no solution is ready.
    void RunCommand();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    void SetUpControls();
    void ShowSolution(const std::wstring& comments);
    void ShowNotReady();

    ISolutionService* m_service;
    std::wstring m_commands;
    bool m_ready = false;

    CXColorStatic m_title;
    CXColorStatic m_statusLabel;
    CXColorStatic m_status;
    CXColorStatic m_instructionsLabel;
    CBitmapButtonEx m_run;
    CBitmapButtonEx m_close;
};
