#pragma once
// The main window's part of the self-update: the update status label, the checks (at
// start-up, after the settings, on the user's request), the question when a new version
// is there, the download window, and what the user is told when it was installed (then
// the program restarts) or failed. The workers' results reach it through the main window.

#include "controls/XColorStatic.h"
#include "ui/MainWindowLinks.h"
#include "ui/MessageForwarder.h"

#include <windows.h>

inline constexpr wchar_t kUpdateFailed[] =
    L"La nuova versione non è stata scaricata correttamente. Si prega fare un nuovo download.";

class CUpdateFlow {
public:
    // links: the download window, the check worker, the restart and the connection test.
    // openWindows: the count of windows open over the main window, shared with it.
    CUpdateFlow(const MainWindowLinks& links, int& openWindows, const CMessageForwarder& forwarder);

    // Shows the status label on the main window.
    void SetUp(HWND mainWindow);
    // The start-up check when on line; its result is told to the user when `reported`.
    void StartupCheck(bool reported);
    // A check whose result only shows in the status label (unless one reported is pending).
    void RequestCheck();
    // The user's check: its result is told, or the lack of a connection.
    void CheckCommand();
    // The workers' results (WM_UPDATE_*); false for every other message.
    bool OnMessage(UINT message);

private:
    [[nodiscard]] bool IsConnected() const;
    void OnAvailable();
    void OnNone();
    void OnInstalled();
    void OnFailed();
    // The server did not answer: said in the status label (never left at "Controllo...")
    // and, when the user asked, in a message.
    void OnUnreachable();
    void ShowStatus(const wchar_t* text, const RECT& strip);
    // The final update message may overtake the download window's own closing message.
    void CloseDownloadWindow();

    const MainWindowLinks& m_links;
    int& m_openWindows;
    const CMessageForwarder& m_forwarder;
    HWND m_window = nullptr;
    bool m_reportedCheck = false;
    // The download window, open (counted in m_openWindows too): a check the user asks for
    // then is answered by that download.
    int m_downloadsOpen = 0;
    CXColorStatic m_statusLabel;
};
