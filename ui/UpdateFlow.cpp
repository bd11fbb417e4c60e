#include "ui/UpdateFlow.h"

#include "online/UpdateMessages.h"
#include "res/resource.h"
#include "ui/AppMessages.h"
#include "ui/Prompts.h"
#include "ui/WindowLayout.h"

#include <wininet.h>

#include <utility>

namespace {

constexpr wchar_t kNoConnection[] = L"Nessuna connessione internet disponibile. Verificare la connessione.";
constexpr wchar_t kUpdateQuestion[] = L"Una nuova versione di Velmora è disponibile. Vuoi scaricarla ora?";
constexpr wchar_t kNoUpdate[] =
    L"Nessun nuovo aggiornamento disponibile. La versione più recente di Velmora è già installata sul tuo PC.";
constexpr wchar_t kUpdatesTitle[] = L"Aggiornamenti";
constexpr wchar_t kStatusUnreachable[] = L"Non verificabili";
constexpr wchar_t kUnreachable[] =
    L"Impossibile contattare il server degli aggiornamenti. Verificare la connessione e riprovare più tardi.";
constexpr wchar_t kUpdateInstalled[] =
    L"Congratulazioni! L’aggiornamento alla versione piu recente di Velmora è avvenuto con successo. "
    L"Il programma sarà riavviato automaticamente. Cliccare OK per continuare.";

constexpr COLORREF kYellow = RGB(255, 255, 0);
// The template's dialog units for the standard dialog font, in pixels, so that a system
// whose dialog font has other metrics does not move the label off its caption.
constexpr ControlPlace kStatusPlace{115, 522, 126, 13};
constexpr RECT kStatusStripAvailable{115, 522, 200, 542};
constexpr RECT kStatusStripNone{115, 522, 240, 542};

}  // namespace

CUpdateFlow::CUpdateFlow(const MainWindowLinks& links, int& openWindows, const CMessageForwarder& forwarder)
    : m_links(links), m_openWindows(openWindows), m_forwarder(forwarder)
{
}

void CUpdateFlow::SetUp(HWND mainWindow)
{
    m_window = mainWindow;
    SetUpLabel(m_statusLabel, m_window, IDC_MAIN_UPDATE_STATUS, {kWhite, 8, FW_NORMAL}, L"Controllo...",
               &kStatusPlace);
    m_statusLabel.SetAccessibleCaption(L"Aggiornamenti");
}

bool CUpdateFlow::IsConnected() const
{
    if (m_links.isConnected)
        return m_links.isConnected();
    DWORD flags = 0;
    return ::InternetGetConnectedState(&flags, 0) == TRUE;
}

void CUpdateFlow::StartupCheck(bool reported)
{
    if (reported)
        m_reportedCheck = true;
    if (IsConnected())
        RequestCheck();
    else
        ShowStatus(kStatusUnreachable, kStatusStripNone);
}

void CUpdateFlow::RequestCheck()
{
    if (m_links.startUpdateCheck)
        m_links.startUpdateCheck();
}

void CUpdateFlow::CheckCommand()
{
    // From the tray while the download window is open: that download is the answer.
    if (m_downloadsOpen > 0)
        return;
    if (IsConnected()) {
        m_reportedCheck = true;
        RequestCheck();
        return;
    }
    ShowStatus(kStatusUnreachable, kStatusStripNone);
    ShowPrompt(m_window, kNoConnection, kProductTitle, MB_OK);
}

bool CUpdateFlow::OnMessage(UINT message)
{
    switch (message) {
    case WM_UPDATE_AVAILABLE:
        OnAvailable();
        return true;
    case WM_UPDATE_NONE:
        OnNone();
        return true;
    case WM_UPDATE_INSTALLED:
        OnInstalled();
        return true;
    case WM_UPDATE_FAILED:
        OnFailed();
        return true;
    case WM_UPDATE_UNREACHABLE:
        OnUnreachable();
        return true;
    default:
        return false;
    }
}

void CUpdateFlow::ShowStatus(const wchar_t* text, const RECT& strip)
{
    ::SetWindowTextW(::GetDlgItem(m_window, IDC_MAIN_UPDATE_STATUS), text);
    ::InvalidateRect(m_window, &strip, TRUE);
}

void CUpdateFlow::OnAvailable()
{
    m_statusLabel.SetTextColor(kYellow);
    m_statusLabel.SetTextFont(8, FW_BOLD);
    ShowStatus(L"Disponibili", kStatusStripAvailable);
    // Cleared before asking, so a second result arriving during the question is not
    // asked about again; never asked under a scan or a download already shown.
    if (!std::exchange(m_reportedCheck, false) || m_openWindows > 0)
        return;
    if (ShowPrompt(m_window, kUpdateQuestion, kProductTitle, MB_YESNO) == IDYES) {
        COpenWindowScope downloading(m_downloadsOpen);
        OpenCounted(m_openWindows, m_links.downloadUpdate, m_window);
    }
}

void CUpdateFlow::CloseDownloadWindow()
{
    const CDialogBase* download = m_forwarder.GetTarget(WorkWindow::Download);
    if (download && download->IsShown())
        ::SendMessageW(download->GetSafeHwnd(), WM_DOWNLOAD_DONE, 0, 0);
}

void CUpdateFlow::OnNone()
{
    ShowStatus(L"Non disponibili", kStatusStripNone);
    if (std::exchange(m_reportedCheck, false))
        ShowPrompt(m_window, kNoUpdate, kUpdatesTitle, MB_OK | MB_ICONINFORMATION);
}

void CUpdateFlow::OnUnreachable()
{
    ShowStatus(kStatusUnreachable, kStatusStripNone);
    if (std::exchange(m_reportedCheck, false))
        ShowPrompt(m_window, kUnreachable, kUpdatesTitle, MB_OK | MB_ICONWARNING);
}

void CUpdateFlow::OnInstalled()
{
    CloseDownloadWindow();
    ShowAppPrompt(m_window, kUpdateInstalled, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
    if (m_links.restartAfterUpdate)
        m_links.restartAfterUpdate();
}

void CUpdateFlow::OnFailed()
{
    CloseDownloadWindow();
    ShowPrompt(m_window, kUpdateFailed, kProductTitle, MB_OK);
}
