#pragma once
// The program's main window and the owner of the tray icon: the twelve section boxes, the
// scan command, the count of unresolved problems with its gauge, the last scan date, the
// version, release date and update status, and the way to every other window. Every
// worker message reaches it first; it keeps the update results and passes the rest on to
// the window that shows that work.

#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/CheckBox.h"
#include "controls/XColorStatic.h"
#include "ui/MessageForwarder.h"
#include "ui/ScanService.h"
#include "ui/TrayIcon.h"

#include <array>
#include <functional>
#include <string>

class CCorvaneEngine;
class CScanProgressDialog;

// The windows and actions that come with their own features. Each is shown or done
// modally by its function; a function that is not set does nothing.
struct MainWindowLinks {
    std::function<void(HWND owner)> showScanResults;
    std::function<void(HWND owner)> showSettings;
    std::function<void(HWND owner)> showRestore;
    std::function<void(HWND owner)> showStartupManager;
    std::function<void(HWND owner)> showSendLog;
    std::function<void(HWND owner)> showCustomSolution;
    // Shows the download window while the new version downloads.
    std::function<void(HWND owner)> downloadUpdate;
    // Starts the update-check worker with its check requested.
    std::function<void()> startUpdateCheck;
    // Restarts the program after an installed update.
    std::function<void()> restartAfterUpdate;
    // A stored log id and e-mail address: the custom solution can be fetched.
    std::function<bool()> hasPendingLog;
    // Whether the computer is on line; the system's answer when not set.
    std::function<bool()> isConnected;
    // Ends the process at once with the exit code; ExitProcess when not set.
    std::function<void(UINT exitCode)> endProcess;
};

// The gauge bitmap for a count of unresolved problems; 0 leaves the gauge as it is.
[[nodiscard]] UINT GaugeBitmapFor(int problems);
// The leading decimal digits of a text as a number (0 without any, saturated when huge).
[[nodiscard]] int LeadingNumber(const std::wstring& text);

class CScanDialog : public CBitmapDialog {
public:
    static constexpr int kWidth = 770;
    static constexpr int kHeight = 571;
    static constexpr UINT kTrayIconId = 227;
    static constexpr wchar_t kTitle[] = L"Velmora 2011 | Registry Cleaner";

    // Creates the engine. scanAtStart: the program was started with "-scan".
    explicit CScanDialog(bool scanAtStart = false);
    // The same with the scan service and progress window given (tests).
    CScanDialog(bool scanAtStart, IScanService& scans, CScanProgressDialog& progress);
    ~CScanDialog() override;

    void SetLinks(MainWindowLinks links) { m_links = std::move(links); }
    [[nodiscard]] CMessageForwarder& Forwarder() { return m_forwarder; }

    // Scans the chosen sections (refused while a scan runs, another window is open over
    // this one or no section is chosen) and shows what was found.
    void ScanCommand();
    // Label and gauge from the stored count of unresolved problems.
    void RefreshProblemCount();
    // The problems stored by the last scan's results, or the good news when there are none.
    void ShowLastResults();
    // The log submission window, or the custom solution when a log was sent earlier.
    void HelpChoice();
    // Asks for an update check whose result is reported to the user.
    void CheckForUpdatesCommand();
    // Ends the program unless a scan runs.
    void ExitProcedure();

    [[nodiscard]] bool IsAutoScanArmed() const { return m_autoScanArmed; }
    [[nodiscard]] bool IsManualUpdateCheck() const { return m_manualUpdateCheck; }
    [[nodiscard]] UINT GetGaugeBitmapId() const { return m_gaugeId; }
    [[nodiscard]] COLORREF GetProblemCountColor() const { return m_problemCountLabel.GetTextColor(); }
    [[nodiscard]] bool HasTrayIcon() const { return m_tray.IsAdded(); }
    [[nodiscard]] HMENU GetTrayMenu() const { return m_trayMenu.get(); }
    // The tray menu's popup with its start-with-Windows marks set from the setting, as it
    // is about to be shown.
    [[nodiscard]] HMENU PrepareTrayMenu();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroyed() override;

private:
    void WriteFirstRunDefaults();
    void SetUpTooltips();
    void AddTray();
    void SetUpControls();
    void SetUpSectionTooltips();
    void SetGauge(UINT bitmapId);
    void Place();
    void OnStartupReady();
    void OnAutoScanCheck();
    void OnTrayNotify(LPARAM mouseMessage);
    void ShowTrayMenu();
    void ShowAndActivate();
    // Hides the window to the tray when the setting "ShowInTaskbarOnClose" asks for it;
    // false when it does not.
    bool HideToTrayIfChosen();
    void CloseButton();
    void SetStartWithWindows(bool on);
    void ShowGoodNews();
    void RequestUpdateCheck();
    [[nodiscard]] bool IsConnected() const;
    void OnUpdateAvailable();
    void OnUpdateNone();
    void OnUpdateInstalled();
    void OnUpdateFailed();
    // The final update message may overtake the download window's own closing message.
    void CloseDownloadWindow();
    void OpenContactPage() const;
    void Open(const std::function<void(HWND)>& show);
    void EndMainDialog(INT_PTR result);
    [[nodiscard]] IScanService::Selection ChosenSections() const;

    CCorvaneEngine& m_engine;
    IScanService& m_scans;
    CScanProgressDialog& m_progress;
    MainWindowLinks m_links;
    CMessageForwarder m_forwarder;

    bool m_scanAtStart;
    bool m_autoScanArmed = false;
    bool m_manualUpdateCheck = false;
    // Windows open over this one (the scan command's progress and results, and every
    // window Open shows). The tray stays usable meanwhile, so its scan command is
    // refused until none is open: a scan must not replace the list a window shows.
    int m_windowsOpen = 0;
    // The download window, open (counted in m_windowsOpen too): a tray update check is
    // then answered by that download.
    int m_downloadsOpen = 0;

    CTrayIcon m_tray;
    UniqueMenu m_trayMenu;
    HWND m_tooltip = nullptr;  // owned by the window: destroyed with it
    HICON m_largeIcon = nullptr;  // shared resource icons: never destroyed
    HICON m_smallIcon = nullptr;
    UINT m_gaugeId = 0;
    UniqueGdiObject<HBITMAP> m_gaugeBitmap;

    std::array<CCheckBox, kSectionCount> m_boxes;
    std::array<CXColorStatic, kSectionCount> m_sectionLabels;
    CBitmapButtonEx m_scanButton;
    CBitmapButtonEx m_settingsButton;
    CBitmapButtonEx m_restoreButton;
    CBitmapButtonEx m_startupButton;
    CBitmapButtonEx m_advancedRepairButton;
    CBitmapButtonEx m_updateButton;
    CBitmapButtonEx m_contactButton;
    CBitmapButtonEx m_minimizeButton;
    CBitmapButtonEx m_closeButton;
    CBitmapButtonEx m_lastResultsButton;
    CBitmapButtonEx m_newScanButton;
    CXColorStatic m_titleLabel;
    CXColorStatic m_versionLabel;
    CXColorStatic m_releaseDateLabel;
    CXColorStatic m_updateStatusLabel;
    CXColorStatic m_lastScanLabel;
    CXColorStatic m_problemCountLabel;
};
