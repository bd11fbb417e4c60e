#pragma once
// The program's main window: the twelve section boxes, the scan command, the count of
// unresolved problems with its gauge, the last scan date, the version, release date and
// update status, and the way to every other window. Every worker message reaches it
// first; it passes the update results to its update flow and the rest on to the window
// that shows that work. Its tray icon and its update flow are parts of their own.

#include "controls/AccessibleAnnotation.h"
#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/CheckBox.h"
#include "controls/XColorStatic.h"
#include "ui/MainTray.h"
#include "ui/MainWindowLinks.h"
#include "ui/MessageForwarder.h"
#include "ui/ScanService.h"
#include "ui/SettingsService.h"
#include "ui/UpdateFlow.h"

#include <array>
#include <functional>
#include <string>

class CScanProgressDialog;

// What the main window works with; each must outlive it.
struct MainWindowServices {
    IScanService& scans;
    ISettingsService& settings;
    // Shows the scans; the main window passes the scan worker's messages on to it.
    CScanProgressDialog& progress;
    std::wstring productVersion;
    std::wstring releaseDate;
};

// The gauge bitmap for a count of unresolved problems; 0 leaves the gauge as it is.
[[nodiscard]] UINT GaugeBitmapFor(int problems);
// What the gauge with this bitmap tells assistive software.
[[nodiscard]] std::wstring GaugeName(UINT bitmapId);

class CScanDialog : public CBitmapDialog {
public:
    // Its size in 96-DPI pixels.
    static constexpr int kWidth = 770;
    static constexpr int kHeight = 571;
    static constexpr wchar_t kTitle[] = L"Velmora 2011 | Registry Cleaner";

    // scanAtStart: the program was started with "-scan".
    CScanDialog(bool scanAtStart, MainWindowServices services);
    ~CScanDialog() override;

    void SetLinks(MainWindowLinks links) { m_links = std::move(links); }
    [[nodiscard]] CMessageForwarder& Forwarder() { return m_forwarder; }
    [[nodiscard]] CMainTray& Tray() { return m_tray; }

    // Scans the chosen sections (refused while a scan runs, another window is open over
    // this one or no section is chosen) and shows what was found.
    void ScanCommand();
    // Label and gauge from the stored count of unresolved problems.
    void RefreshProblemCount();
    // The problems stored by the last scan's results, or the good news when there are none.
    void ShowLastResults();
    // The log submission window, or the custom solution when a log was sent earlier.
    void HelpChoice();
    // Ends the program unless a scan runs.
    void ExitProcedure();

    [[nodiscard]] UINT GetGaugeBitmapId() const { return m_gaugeId; }
    [[nodiscard]] COLORREF GetProblemCountColor() const { return m_problemCountLabel.GetTextColor(); }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDpiChanged() override;
    void OnDestroyed() override;

private:
    void SetUpControls();
    void SetUpSectionTooltips();
    void SetGauge(UINT bitmapId);
    void Place();
    void OnStartupReady();
    void StartupCheck();
    // Once, right after the first paint has put the window on the screen.
    void OnFirstPainted();
    void OnAutoScanCheck();
    void CloseButton();
    void ShowGoodNews();
    void OpenContactPage() const;
    void Open(const std::function<void(HWND)>& show);
    void EndMainDialog(INT_PTR result);
    [[nodiscard]] IScanService::Selection ChosenSections() const;

    MainWindowServices m_services;
    MainWindowLinks m_links;
    CMessageForwarder m_forwarder;

    bool m_scanAtStart;
    bool m_autoScanArmed = false;
    bool m_painted = false;
    // The start-up's update check waits for the first paint.
    bool m_startupCheckDue = false;
    // Windows open over this one (the scan command's progress and results, and every
    // window Open shows). The tray stays usable meanwhile, so its scan command is
    // refused until none is open: a scan must not replace the list a window shows.
    int m_windowsOpen = 0;

    CMainTray m_tray;
    CUpdateFlow m_updates;
    HWND m_tooltip = nullptr;  // owned by the window: destroyed with it
    HICON m_largeIcon = nullptr;  // shared resource icons: never destroyed
    HICON m_smallIcon = nullptr;
    UINT m_gaugeId = 0;
    UniqueGdiObject<HBITMAP> m_gaugeBitmap;
    CAccessibleAnnotation m_gauge{ROLE_SYSTEM_GRAPHIC};

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
    CXColorStatic m_lastScanLabel;
    CXColorStatic m_problemCountLabel;
};
