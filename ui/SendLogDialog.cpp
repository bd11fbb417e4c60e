#include "ui/SendLogDialog.h"

#include "core/SendLogForm.h"
#include "res/resource.h"
#include "ui/AppMessages.h"
#include "ui/Prompts.h"
#include "ui/WindowLayout.h"

#include <vector>

namespace {

constexpr wchar_t kExplanation[] =
    L"Ti serve una soluzione personalizzata per il tuo PC? Descrivi il tuo problema in dettaglio ed inviaci il tuo "
    L"log report. Un nostro Ingegnere informatico analizzerà il tuo caso e ti aiuterà a risolvere i problemi tecnici.";
constexpr wchar_t kSubtitle[] = L"Ecco il report della scansione del tuo PC.";
constexpr wchar_t kSendingSubtitle[] = L"Invio del report in corso, attendere...";

}  // namespace


CSendLogDialog::CSendLogDialog(ISendLogService& service) : CBitmapDialog(IDD_SEND_LOG), m_service(service) {}

BOOL CSendLogDialog::OnInitDialog()
{
    SetUpSkinnedPanel(*this, kNarrowPanelSkin, L"Velmora - Riparazione avanzata");
    SetUpControls();
    m_markedSnapshot.clear();
    const std::wstring plain = m_service.BuildSnapshot(m_markedSnapshot);
    ::SetWindowTextW(GetDlgItem(IDC_SEND_LOG_SNAPSHOT), plain.c_str());
    ::SetWindowTextW(GetDlgItem(IDC_SEND_LOG_EMAIL), L"");
    ::SetWindowTextW(GetDlgItem(IDC_SEND_LOG_DESCRIPTION), L"");
    // The report above is only to read: the user starts with the name.
    FocusControl(m_hWnd, IDC_SEND_LOG_NAME);
    return FALSE;
}

void CSendLogDialog::SetUpControls()
{
    const ControlPlace titlePlace{50, 30, 300, 30};
    const ControlPlace subtitlePlace{50, 60, 420, 21};
    const ControlPlace explanationPlace{50, 90, 421, 63};
    const ControlPlace nameLabelPlace{50, 270, 75, 21};
    const ControlPlace emailLabelPlace{280, 270, 50, 21};
    const ControlPlace descriptionLabelPlace{50, 300, 75, 21};
    SetUpLabel(m_title, m_hWnd, IDC_SEND_LOG_TITLE, kTitleLook, L"RIPARAZIONE AVANZATA", &titlePlace);
    SetUpLabel(m_subtitle, m_hWnd, IDC_SEND_LOG_SUBTITLE, {kBlack, 9, FW_BOLD}, kSubtitle, &subtitlePlace);
    SetUpLabel(m_explanation, m_hWnd, IDC_SEND_LOG_EXPLANATION, {kBlack, 8, FW_NORMAL}, kExplanation,
               &explanationPlace);
    SetUpLabel(m_nameLabel, m_hWnd, IDC_SEND_LOG_NAME_LABEL, {kBlack, 8, FW_NORMAL}, L"Nome:", &nameLabelPlace);
    SetUpLabel(m_emailLabel, m_hWnd, IDC_SEND_LOG_EMAIL_LABEL, {kBlack, 8, FW_NORMAL}, L"Email:", &emailLabelPlace);
    SetUpLabel(m_descriptionLabel, m_hWnd, IDC_SEND_LOG_DESCRIPTION_LABEL, {kBlack, 8, FW_NORMAL}, L"Descrizione:",
               &descriptionLabelPlace);
    PlaceControl(m_hWnd, IDC_SEND_LOG_SNAPSHOT, {50, 140, 430, 120});
    PlaceControl(m_hWnd, IDC_SEND_LOG_NAME, {130, 270, 140, 21});
    PlaceControl(m_hWnd, IDC_SEND_LOG_EMAIL, {330, 270, 150, 21});
    PlaceControl(m_hWnd, IDC_SEND_LOG_DESCRIPTION, {130, 300, 350, 100});
    SetUpCaptionButton(m_send, m_hWnd, IDOK, IDB_BUTTON, L"Invia report", {310, 413, 81, 21});
    SetUpCaptionButton(m_cancel, m_hWnd, IDCANCEL, IDB_BUTTON, L"Annulla", {400, 413, 81, 21});
}

std::wstring CSendLogDialog::FieldText(int id) const
{
    const HWND field = GetDlgItem(id);
    const int length = ::GetWindowTextLengthW(field);
    if (length <= 0)
        return {};
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    const int got = ::GetWindowTextW(field, text.data(), length + 1);
    return std::wstring(text.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void CSendLogDialog::SendCommand()
{
    if (m_sending.IsBusy())
        return;
    const std::wstring email = FieldText(IDC_SEND_LOG_EMAIL);
    const std::wstring description = FieldText(IDC_SEND_LOG_DESCRIPTION);
    if (const std::wstring problem = SendLogFieldProblem(FieldText(IDC_SEND_LOG_NAME), email, description);
        !problem.empty()) {
        ShowAppPrompt(m_hWnd, problem);
        return;
    }
    ISendLogService& service = m_service;
    const bool started = m_sending.Start(
        m_hWnd, WM_SEND_LOG_DONE,
        [this, &service, email, description, log = m_markedSnapshot,
         version = L"IT " + service.ProductVersion()](const std::atomic<bool>& abandoned) {
            m_outcome = service.SubmitLog(email, description, log, version, abandoned);
        });
    if (!started) {
        ShowAppPrompt(m_hWnd, OutcomeMessage(SubmitOutcome::Failed));
        ShowAppPrompt(m_hWnd, kNoConnectionForLog);
        return;
    }
    ShowSending(true);
}

void CSendLogDialog::ShowSending(bool sending)
{
    ::SetWindowTextW(GetDlgItem(IDC_SEND_LOG_SUBTITLE), sending ? kSendingSubtitle : kSubtitle);
    ::EnableWindow(GetDlgItem(IDOK), sending ? FALSE : TRUE);
    for (const int field : {IDC_SEND_LOG_NAME, IDC_SEND_LOG_EMAIL, IDC_SEND_LOG_DESCRIPTION})
        ::SendMessageW(GetDlgItem(field), EM_SETREADONLY, sending ? TRUE : FALSE, 0);
    if (sending)
        ::SetFocus(GetDlgItem(IDCANCEL));
}

void CSendLogDialog::OnSent()
{
    if (!m_sending.IsBusy())
        return;
    m_sending.Finish();
    ShowSending(false);
    ShowAppPrompt(m_hWnd, OutcomeMessage(m_outcome));
    if (m_outcome == SubmitOutcome::Accepted) {
        EndDialog(IDOK);
        return;
    }
    ShowAppPrompt(m_hWnd, kNoConnectionForLog);
}

void CSendLogDialog::OnCancel()
{
    m_sending.Stop();
    EndDialog(IDCANCEL);
}

void CSendLogDialog::OnDestroyed()
{
    m_sending.Stop();
}

bool CSendLogDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_SEND_LOG_DONE) {
        OnSent();
        result = 0;
        return true;
    }
    return CBitmapDialog::OnMessage(message, wParam, lParam, result);
}
