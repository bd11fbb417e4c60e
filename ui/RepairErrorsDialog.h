#pragma once
// The repair window: it starts the repair of the problems left in the engine's problem
// list, shows the item being repaired and the progress as the worker reports them (its
// messages arrive through the main window), tells the user how it ended and closes.
// "Chiudi" and Escape stop the repair first; Enter does nothing, so that a key pressed
// by habit never cuts a repair short.

#include "controls/AccessibleAnnotation.h"
#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/XColorStatic.h"
#include "ui/ClosingGuard.h"

#include <string>

// What the repair window asks of the engine. The program's is
// CEngineServices; the window tests give their own.
class IRepairService {
public:
    virtual ~IRepairService() = default;
    // Starts the repair worker on the whole problem list; false when it could not start
    // (nothing was changed).
    [[nodiscard]] virtual bool StartRepair() = 0;
    // Stops the repair worker, waiting for it; nothing when there is none.
    virtual void StopRepair() = 0;
    // After the worker's finishing message: true when the repair could not write its
    // backup (so the registry was left alone) or could not save what it listed.
    [[nodiscard]] virtual bool RepairFailed() const = 0;
    // After the worker's finishing message: true when some problems were left in place.
    [[nodiscard]] virtual bool RepairLeftProblems() const = 0;
};

inline constexpr wchar_t kRepairSucceeded[] =
    L"Tutti i problemi sono stati riparati con successo. Cliccare su OK per proseguire.";
inline constexpr wchar_t kRepairFailed[] =
    L"Riparazione non eseguita: non è stato possibile creare il file di backup. Il Registro non è stato modificato.";
inline constexpr wchar_t kRepairIncomplete[] =
    L"Alcuni problemi non sono stati riparati e sono rimasti nel Registro.";
inline constexpr wchar_t kRepairNotStarted[] = L"Impossibile avviare la riparazione. Il Registro non è stato modificato.";

class CRepairErrorsDialog : public CBitmapDialog {
public:
    explicit CRepairErrorsDialog(IRepairService& repairs);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void SetUpControls();
    void OnStarted(WPARAM count);
    void OnProgress(WPARAM done);
    void OnItem(WPARAM text);
    void OnFinished();
    void Close();

    IRepairService& m_repairs;
    // Set once the window has begun to close: the messages still on their way (the
    // finishing message of a stopped repair, above all) must not act any more.
    CClosingGuard m_closing;

    CXColorStatic m_title;
    CXColorStatic m_notice;
    CXColorStatic m_item;
    CAccessibleAnnotation m_bar{ROLE_SYSTEM_PROGRESSBAR};
    CBitmapButtonEx m_close;
};
