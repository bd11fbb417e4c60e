#pragma once
// The advanced-repair window for a user without a pending log: shows the system
// snapshot, takes name, e-mail and description, and sends the log. It stays open after
// every message but the one of an accepted log. The log travels on a worker: meanwhile
// the window paints, says that it is sending and offers only "Annulla", which abandons
// the exchange and closes the window.

#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/XColorStatic.h"
#include "framework/TaskThread.h"
#include "online/LogSubmission.h"

#include <atomic>
#include <string>

// What the send-log window asks of the online services. The program's is
// COnlineServices; the window tests give their own.
class ISendLogService {
public:
    virtual ~ISendLogService() = default;
    // The plain form; marked receives the form that is sent.
    [[nodiscard]] virtual std::wstring BuildSnapshot(std::wstring& marked) = 0;
    // Called on a worker; set `abandoned` ends it early as Failed.
    [[nodiscard]] virtual SubmitOutcome SubmitLog(const std::wstring& email, const std::wstring& description,
                                                  const std::wstring& log, const std::wstring& productVersion,
                                                  const std::atomic<bool>& abandoned) = 0;
    [[nodiscard]] virtual std::wstring ProductVersion() const = 0;
};

inline constexpr wchar_t kNoConnectionForLog[] = L"Nessuna connessione internet disponibile. Verificare la connessione.";

class CSendLogDialog : public CBitmapDialog {
public:
    explicit CSendLogDialog(ISendLogService& service);

    // "Invia report": the field checks, then the submission starts on a worker.
    void SendCommand();
    [[nodiscard]] bool IsSending() const { return m_sending.IsBusy(); }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { SendCommand(); }
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroyed() override;

private:
    void SetUpControls();
    [[nodiscard]] std::wstring FieldText(int id) const;
    void ShowSending(bool sending);
    void OnSent();

    ISendLogService& m_service;
    std::wstring m_markedSnapshot;
    CWindowTask m_sending;
    SubmitOutcome m_outcome = SubmitOutcome::Failed;  // written by the worker

    CXColorStatic m_title;
    CXColorStatic m_subtitle;
    CXColorStatic m_explanation;
    CXColorStatic m_nameLabel;
    CXColorStatic m_emailLabel;
    CXColorStatic m_descriptionLabel;
    CBitmapButtonEx m_send;
    CBitmapButtonEx m_cancel;
};
