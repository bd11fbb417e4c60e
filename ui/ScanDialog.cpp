#include "ui/ScanDialog.h"

#include "engine/CorvaneEngine.h"
#include "engine/FileSystem.h"
#include "engine/StartupEntries.h"
#include "res/resource.h"
#include "ui/AppMessages.h"
#include "ui/ManageStartupDialog.h"
#include "ui/DownloadDialog.h"
#include "ui/CustomSolnDialog.h"
#include "ui/Prompts.h"
#include "ui/RepairErrorsDialog.h"
#include "ui/RestoreBackupsDialog.h"
#include "ui/ScanProgressDialog.h"
#include "ui/ScanResultsDialog.h"
#include "ui/SendLogDialog.h"
#include "ui/SectionControls.h"
#include "ui/SettingsDialog.h"
#include "ui/WindowLayout.h"

#include <commctrl.h>
#include <shellapi.h>
#include <wininet.h>

#include <climits>
#include <utility>

namespace {

constexpr wchar_t kContactPage[] = L"https://www.velmora.example/it/contact-us.html";

constexpr wchar_t kStartWithWindows[] = L"StartWithWindows";
constexpr wchar_t kStartScanAtStartup[] = L"StartScanAtProgramStartup";
constexpr wchar_t kShowInTaskbarOnClose[] = L"ShowInTaskbarOnClose";
constexpr wchar_t kAllowAutoUpdates[] = L"AllowAutoUpdates";
constexpr wchar_t kIgnoredErrorsCount[] = L"IgnoredErrorsCount";
constexpr wchar_t kTrue[] = L"true";
constexpr wchar_t kFalse[] = L"false";

constexpr wchar_t kScanRunning[] = L"Scansione in corso. Si prega di attendere.";
constexpr wchar_t kNoSectionChosen[] = L"Selezionare una voce per proseguire";
constexpr wchar_t kGoodNews[] =
    L"Buone notizie! Lo scan non ha rilevato alcun tipo di errore.\n\n"
    L"Se ritieni che il tuo computer sia affetto da qualche problema tecnico,\n"
    L"hai adesso la possibilità di inviarci il report dello scan. Uno dei nostri\n"
    L"Ingegneri analizzerà i risultati e ti aiuterà con una soluzione personalizzata\n"
    L"per ripristinare la perfetta funzionalita’ del tuo PC.\n\n"
    L"Vuoi inviarci il report adesso?";
constexpr wchar_t kWaitForScan[] = L"Per favore, attendere il completamento della scansione.";
constexpr wchar_t kNoConnection[] = L"Nessuna connessione internet disponibile. Verificare la connessione.";
constexpr wchar_t kUpdateQuestion[] = L"Una nuova versione di Velmora è disponibile. Vuoi scaricarla ora?";
constexpr wchar_t kNoUpdate[] =
    L"Nessun nuovo aggiornamento disponibile. La versione più recente di Velmora è già installata sul tuo PC.";
constexpr wchar_t kUpdatesTitle[] = L"Aggiornamenti";
constexpr wchar_t kUpdateInstalled[] =
    L"Congratulazioni! L’aggiornamento alla versione piu recente di Velmora è avvenuto con successo. "
    L"Il programma sarà riavviato automaticamente. Cliccare OK per continuare.";
constexpr wchar_t kUpdateFailed[] =
    L"La nuova versione non è stata scaricata correttamente. Si prega fare un nuovo download.";
constexpr wchar_t kScanButtonTip[] = L"This is the scanning button.";

constexpr COLORREF kBrandBlue = RGB(13, 91, 153);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);

constexpr ControlPlace kGaugePlace{480, 380, 210, 75};
// "Velmora v" and a three-part version in 10-point bold need about 110 pixels.
constexpr ControlPlace kTitlePlace{18, 12, 160, 15};
// The statistics values stand beside their captions in the skin: the template's dialog
// units for the standard dialog font (6 x 13 base units), in pixels, so that a system
// whose dialog font has other metrics does not move them off their captions.
constexpr ControlPlace kVersionPlace{115, 465, 124, 13};
constexpr ControlPlace kReleaseDatePlace{115, 483, 124, 13};
constexpr ControlPlace kUpdateStatusPlace{115, 522, 126, 13};
constexpr RECT kUpdateStatusStripAvailable{115, 522, 200, 542};
constexpr RECT kUpdateStatusStripNone{115, 522, 240, 542};

// Counts one more open window while the scope lasts, whichever way it ends.
class COpenWindowScope {
public:
    explicit COpenWindowScope(int& count) : m_count(count) { ++m_count; }
    ~COpenWindowScope() { --m_count; }
    COpenWindowScope(const COpenWindowScope&) = delete;
    COpenWindowScope& operator=(const COpenWindowScope&) = delete;

private:
    int& m_count;
};

POINT SectionBoxPlace(int section)
{
    return {IsLeftColumn(section) ? 280 : 510, 225 + 20 * SectionRow(section)};
}

// Shows one of the program's windows modally over the owner, reading from the service.
template <typename Dialog, typename Service>
void ShowPrepared(HWND owner, Service& service)
{
    Dialog& dialog = Dialog::Instance();
    dialog.Prepare(service);
    dialog.DoModal(owner);
}

// The helper beside the program asks this process to end, waits for it, then starts the
// new program file.
void StartRestartHelper()
{
    const std::wstring folder = GetModuleFolder();
    const std::wstring helper = folder + L"\\rebooter.exe";
    ::ShellExecuteW(nullptr, L"open", helper.c_str(), nullptr, folder.c_str(), SW_SHOW);
}

HICON LoadProgramIcon(int metricX, int metricY)
{
    return static_cast<HICON>(::LoadImageW(CDialogBase::ResourceModule(), MAKEINTRESOURCEW(IDI_VELMORA), IMAGE_ICON,
                                           ::GetSystemMetrics(metricX), ::GetSystemMetrics(metricY), LR_SHARED));
}

}  // namespace

UINT GaugeBitmapFor(int problems)
{
    if (problems > 120)
        return IDB_GAUGE_STEP_5;
    if (problems > 90)
        return IDB_GAUGE_STEP_4;
    if (problems > 60)
        return IDB_GAUGE_STEP_3;
    if (problems > 30)
        return IDB_GAUGE_STEP_2;
    if (problems > 0)
        return IDB_GAUGE_STEP_1;
    return 0;
}

int LeadingNumber(const std::wstring& text)
{
    long long value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            break;
        value = value * 10 + (c - L'0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(value);
}

CScanDialog::CScanDialog(bool scanAtStart)
    : CScanDialog(scanAtStart, EngineScanService(), CScanProgressDialog::Instance())
{
    m_links.showScanResults = [this](HWND owner) {
        CScanResultsDialog results;
        results.SetLinks({[this] { RefreshProblemCount(); }, nullptr, nullptr, nullptr});
        results.DoModal(owner);
    };
    m_links.showRestore = [](HWND owner) { ShowPrepared<CRestoreBackupsDialog>(owner, EngineBackupService()); };
    m_links.showSettings = [](HWND owner) { ShowPrepared<CSettingsDialog>(owner, EngineSettingsService()); };
    m_links.showStartupManager = [](HWND owner) {
        ShowPrepared<CManageStartupDialog>(owner, EngineStartupService());
    };
    m_links.startUpdateCheck = [] {
        CCorvaneEngine& engine = CCorvaneEngine::Instance();
        if (engine.StartUpdateCheck())
            engine.CheckRequested();
    };
    m_links.downloadUpdate = [](HWND owner) {
        if (!CCorvaneEngine::Instance().StartUpdateDownload()) {
            ShowPrompt(owner, kUpdateFailed, kProductTitle, MB_OK);
            return;
        }
        ShowPrepared<CDownloadDialog>(owner, EngineDownloadService());
    };
    m_links.restartAfterUpdate = &StartRestartHelper;
    m_forwarder.SetTarget(WorkWindow::Download, &CDownloadDialog::Instance());
    m_links.showSendLog = [](HWND owner) { ShowPrepared<CSendLogDialog>(owner, OnlineSendLogService()); };
    m_links.showCustomSolution = [](HWND owner) {
        ShowPrepared<CCustomSolnDialog>(owner, OnlineSolutionService());
    };
    m_links.hasPendingLog = [] { return HasPendingLog(); };
    // The repair window opens over the results window, but its messages come here first.
    m_forwarder.SetTarget(WorkWindow::Repair, &CRepairErrorsDialog::Instance());
    m_forwarder.SetTarget(WorkWindow::Restore, &CRestoreBackupsDialog::Instance());
}

CScanDialog::CScanDialog(bool scanAtStart, IScanService& scans, CScanProgressDialog& progress)
    : CBitmapDialog(IDD_SCAN_DIALOG),
      m_engine(CCorvaneEngine::Instance()),
      m_scans(scans),
      m_progress(progress),
      m_scanAtStart(scanAtStart)
{
    m_forwarder.SetTarget(WorkWindow::ScanProgress, &m_progress);
}

CScanDialog::~CScanDialog() = default;

// --- set-up -----------------------------------------------------------------------------

BOOL CScanDialog::OnInitDialog()
{
    m_scans.SetNotifyWindow(m_hWnd);
    WriteFirstRunDefaults();
    SetUpTooltips();
    AddTray();
    m_largeIcon = LoadProgramIcon(SM_CXICON, SM_CYICON);
    m_smallIcon = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_largeIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    // Without its bitmap the window still works, on the default background.
    static_cast<void>(SetSkinBitmap(IDB_MAIN_BACKGROUND));
    SetTransparentColor(RGB(255, 0, 255));
    SetTransparentLabels(true);
    SetDragEnabled(true);
    SetUpControls();
    SetUpSectionTooltips();
    SetUpLabel(m_titleLabel, m_hWnd, IDC_MAIN_TITLE, {kWhite, 10, FW_BOLD}, L"Velmora v" + m_engine.ProductVersion(),
               &kTitlePlace);
    SetGauge(IDB_GAUGE_UNKNOWN);
    const ControlPlace lastScanPlace{257, 390, 200, 15};
    SetUpLabel(m_lastScanLabel, m_hWnd, IDC_MAIN_LAST_SCAN, {kRed, 10, FW_BOLD}, m_scans.LastScanDate(),
               &lastScanPlace);
    ::SetWindowTextW(m_hWnd, kTitle);
    Place();
    SetUpLabel(m_versionLabel, m_hWnd, IDC_MAIN_VERSION, {kWhite, 8, FW_NORMAL}, m_engine.ProductVersion(),
               &kVersionPlace);
    SetUpLabel(m_releaseDateLabel, m_hWnd, IDC_MAIN_RELEASE_DATE, {kWhite, 8, FW_NORMAL}, m_engine.ReleaseDate(),
               &kReleaseDatePlace);
    SetUpLabel(m_updateStatusLabel, m_hWnd, IDC_MAIN_UPDATE_STATUS, {kWhite, 8, FW_NORMAL}, L"Controllo...",
               &kUpdateStatusPlace);
    RefreshProblemCount();
    m_autoScanArmed = true;
    ::PostMessageW(m_hWnd, WM_STARTUP_READY, 0, 0);
    return TRUE;
}

void CScanDialog::WriteFirstRunDefaults()
{
    // Only missing values take their defaults: a stored "false" stays, and then no Run
    // value is written either.
    if (m_engine.ReadSetting(kStartWithWindows).empty()) {
        static_cast<void>(m_engine.WriteSetting(kStartWithWindows, kTrue));
        static_cast<void>(m_engine.WriteMachineValue(kStartupRunKey, kProgramRunValue, ProgramRunCommand()));
    }
    const std::pair<const wchar_t*, const wchar_t*> defaults[] = {
        {kStartScanAtStartup, kFalse}, {kShowInTaskbarOnClose, kTrue}, {kAllowAutoUpdates, kFalse}};
    for (const auto& [name, value] : defaults) {
        if (m_engine.ReadSetting(name).empty())
            static_cast<void>(m_engine.WriteSetting(name, value));
    }
}

void CScanDialog::SetUpTooltips()
{
    m_tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                  ResourceModule(), nullptr);
    if (!m_tooltip)
        return;
    ::SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
    ::SendMessageW(m_tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 4000);
    ::SendMessageW(m_tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, 350);
    ::SendMessageW(m_tooltip, TTM_SETDELAYTIME, TTDT_RESHOW, 350);
    ::SendMessageW(m_tooltip, TTM_SETTIPBKCOLOR, kWhite, 0);
    ::SendMessageW(m_tooltip, TTM_ACTIVATE, TRUE, 0);
}

void CScanDialog::AddTray()
{
    // Without a notification area the program still runs; it then cannot hide to the tray
    // usefully, but every other path works.
    static_cast<void>(m_tray.Add(m_hWnd, kTrayIconId, WM_TRAY_NOTIFY, LoadProgramIcon(SM_CXSMICON, SM_CYSMICON),
                                 kTitle));
    m_trayMenu.reset(::LoadMenuW(ResourceModule(), MAKEINTRESOURCEW(IDM_TRAY_MENU)));
}

void CScanDialog::SetUpControls()
{
    for (int section = 0; section < kSectionCount; ++section) {
        const SectionControlIds& ids = kSectionControls[static_cast<size_t>(section)];
        const POINT box = SectionBoxPlace(section);
        CCheckBox& check = m_boxes[static_cast<size_t>(section)];
        if (check.GetSafeHwnd() || check.SubclassDlgItem(ids.box, m_hWnd)) {
            PlaceControl(m_hWnd, ids.box, {box.x, box.y, CCheckBox::kBoxSize, CCheckBox::kBoxSize});
            ::SendMessageW(check.GetSafeHwnd(), BM_SETCHECK, BST_CHECKED, 0);
        }
        const ControlPlace labelPlace{box.x + 20, box.y - 2, 160, 21};
        SetUpLabel(m_sectionLabels[static_cast<size_t>(section)], m_hWnd, ids.name, {kBrandBlue, 10, FW_NORMAL},
                   SectionName(section), &labelPlace);
    }
    SetUpImageButton(m_scanButton, m_hWnd, IDC_MAIN_SCAN, IDB_SCAN_NORMAL, IDB_SCAN_ACTIVE, {32, 92, 181, 50});
    SetUpImageButton(m_settingsButton, m_hWnd, IDC_MAIN_SETTINGS, IDB_SETTINGS_NORMAL, IDB_SETTINGS_ACTIVE,
                     {32, 152, 181, 50});
    SetUpImageButton(m_restoreButton, m_hWnd, IDC_MAIN_RESTORE, IDB_BACKUP_NORMAL, IDB_BACKUP_ACTIVE,
                     {32, 212, 181, 50});
    SetUpImageButton(m_startupButton, m_hWnd, IDC_MAIN_STARTUP, IDB_STARTUP_NORMAL, IDB_STARTUP_ACTIVE,
                     {32, 272, 181, 50});
    SetUpImageButton(m_advancedRepairButton, m_hWnd, IDC_MAIN_ADVANCED_REPAIR, IDB_ADVANCED_REPAIR_NORMAL,
                     IDB_ADVANCED_REPAIR_ACTIVE, {30, 334, 181, 50});
    SetUpCaptionButton(m_updateButton, m_hWnd, IDC_MAIN_UPDATE, IDB_BUTTON_HEADER, L"Aggiorna", {488, 51, 80, 31});
    SetUpCaptionButton(m_contactButton, m_hWnd, IDC_MAIN_CONTACT, IDB_BUTTON_HEADER, L"Aiuto", {652, 51, 80, 31});
    SetUpImageButton(m_minimizeButton, m_hWnd, IDC_MAIN_MINIMIZE, IDB_MINIMIZE_NORMAL, IDB_MINIMIZE_ACTIVE,
                     {708, 9, 24, 24});
    SetUpImageButton(m_closeButton, m_hWnd, IDC_MAIN_CLOSE, IDB_CLOSE_NORMAL, IDB_CLOSE_ACTIVE, {735, 9, 24, 24});
    SetUpImageButton(m_lastResultsButton, m_hWnd, IDC_MAIN_LAST_RESULTS, IDB_REPAIR_NORMAL, IDB_REPAIR_ACTIVE,
                     {469, 476, 113, 31});
    SetUpImageButton(m_newScanButton, m_hWnd, IDC_MAIN_NEW_SCAN, IDB_NEW_SCAN_NORMAL, IDB_NEW_SCAN_ACTIVE,
                     {589, 476, 113, 31});
    const ControlPlace countPlace{257, 409, 200, 21};
    SetUpLabel(m_problemCountLabel, m_hWnd, IDC_MAIN_PROBLEM_COUNT, {kGreen, 11, FW_BOLD}, L"", &countPlace);
}

void CScanDialog::SetUpSectionTooltips()
{
    if (!m_tooltip)
        return;
    const auto addTool = [this](int id, const std::wstring& text) {
        const HWND control = GetDlgItem(id);
        if (!control)
            return;
        TTTOOLINFOW tool{};
        // The version-2 layout: every common-controls version accepts it.
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        // The tooltip watches the control's mouse messages itself (TTF_SUBCLASS), so no
        // message has to be relayed to it by hand.
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hWnd;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = const_cast<wchar_t*>(text.c_str());
        ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    };
    for (int section = 0; section < kSectionCount; ++section)
        addTool(kSectionControls[static_cast<size_t>(section)].name, SectionDescription(section));
    addTool(IDC_MAIN_SCAN, kScanButtonTip);
}

void CScanDialog::SetGauge(UINT bitmapId)
{
    UniqueGdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(
        ::LoadImageW(ResourceModule(), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    const HWND gauge = GetDlgItem(IDC_MAIN_GAUGE);
    if (!bitmap || !gauge)
        return;
    ::SendMessageW(gauge, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()));
    // The control no longer shows the previous bitmap, so it can go now.
    m_gaugeBitmap = std::move(bitmap);
    m_gaugeId = bitmapId;
    PlaceControl(m_hWnd, IDC_MAIN_GAUGE, kGaugePlace);
}

void CScanDialog::Place()
{
    const int x = (::GetSystemMetrics(SM_CXFULLSCREEN) - kWidth) / 2;
    const int y = (::GetSystemMetrics(SM_CYFULLSCREEN) - kHeight) / 2 - 20;
    ::SetWindowPos(m_hWnd, nullptr, x, y, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- problem count and scans ------------------------------------------------------------

void CScanDialog::RefreshProblemCount()
{
    const std::wstring stored = m_engine.ReadSetting(kIgnoredErrorsCount);
    m_problemCountLabel.SetTextFont(11, FW_BOLD);
    if (!stored.empty() && stored != L"0") {
        m_problemCountLabel.SetTextColor(kRed);
        ::SetWindowTextW(GetDlgItem(IDC_MAIN_PROBLEM_COUNT), (stored + L" Errori di Registro").c_str());
        // A text that is not a number is shown as it is, and the gauge keeps its place.
        if (const UINT gauge = GaugeBitmapFor(LeadingNumber(stored)))
            SetGauge(gauge);
        return;
    }
    m_problemCountLabel.SetTextColor(kGreen);
    ::SetWindowTextW(GetDlgItem(IDC_MAIN_PROBLEM_COUNT), L"0 Errori di Registro");
    SetGauge(IDB_GAUGE_UNKNOWN);
}

IScanService::Selection CScanDialog::ChosenSections() const
{
    IScanService::Selection sections{};
    for (int section = 0; section < kSectionCount; ++section) {
        const HWND box = GetDlgItem(kSectionControls[static_cast<size_t>(section)].box);
        sections[static_cast<size_t>(section)] = ::SendMessageW(box, BM_GETCHECK, 0, 0) > 0 ? 1 : 0;
    }
    return sections;
}

void CScanDialog::ScanCommand()
{
    if (m_scans.IsScanning() || m_windowsOpen > 0) {
        ShowAppPrompt(m_hWnd, kScanRunning);
        return;
    }
    COpenWindowScope scanWindows(m_windowsOpen);
    const IScanService::Selection sections = ChosenSections();
    bool anyChosen = false;
    for (const auto chosen : sections)
        anyChosen = anyChosen || chosen != 0;
    if (!anyChosen) {
        ShowAppPrompt(m_hWnd, kNoSectionChosen);
    } else {
        m_progress.Prepare(sections, m_scans);
        // The worker has ended when the window returns (finished or stopped), so the
        // problem list and the counters can be read; a scan that never started has
        // found nothing, which is no news at all. A stopped scan that found nothing
        // cannot tell that the system is clean: its window has said it was stopped, and
        // the problems left unresolved earlier stay stored.
        if (m_progress.DoModal(m_hWnd) != -1 && m_progress.ScanStarted()) {
            if (m_scans.GetTotalFound() > 0) {
                Open(m_links.showScanResults);
            } else if (m_progress.ScanCompleted()) {
                static_cast<void>(m_scans.ClearUnresolvedProblems());
                RefreshProblemCount();
                ShowGoodNews();
            }
        }
    }
    ::SetWindowTextW(GetDlgItem(IDC_MAIN_LAST_SCAN), m_scans.LastScanDate().c_str());
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CScanDialog::ShowGoodNews()
{
    if (ShowPrompt(m_hWnd, kGoodNews, kProductTitle, MB_YESNO) == IDYES)
        HelpChoice();
}

void CScanDialog::ShowLastResults()
{
    // The stored problems would replace the list an open results window shows.
    if (m_windowsOpen > 0)
        return;
    // An unreadable file leaves the list empty, which then reads as good news.
    static_cast<void>(m_scans.LoadIgnoredProblems());
    if (m_scans.GetTotalFound() > 0)
        Open(m_links.showScanResults);
    else
        ShowGoodNews();
}

void CScanDialog::HelpChoice()
{
    if (m_links.hasPendingLog && m_links.hasPendingLog())
        Open(m_links.showCustomSolution);
    else
        Open(m_links.showSendLog);
}

void CScanDialog::Open(const std::function<void(HWND)>& show)
{
    if (!show)
        return;
    COpenWindowScope open(m_windowsOpen);
    show(m_hWnd);
}

// --- start-up ---------------------------------------------------------------------------

void CScanDialog::OnStartupReady()
{
    ::EnableWindow(GetDlgItem(IDC_MAIN_ADVANCED_REPAIR), TRUE);
    if (m_engine.ReadSetting(kAllowAutoUpdates) == kTrue)
        m_manualUpdateCheck = true;
    if (IsConnected())
        RequestUpdateCheck();
}

void CScanDialog::OnAutoScanCheck()
{
    if (m_scanAtStart || m_engine.ReadSetting(kStartScanAtStartup) == kTrue)
        ScanCommand();
}

// --- updates ----------------------------------------------------------------------------

bool CScanDialog::IsConnected() const
{
    if (m_links.isConnected)
        return m_links.isConnected();
    DWORD flags = 0;
    return ::InternetGetConnectedState(&flags, 0) == TRUE;
}

void CScanDialog::RequestUpdateCheck()
{
    if (m_links.startUpdateCheck)
        m_links.startUpdateCheck();
}

void CScanDialog::CheckForUpdatesCommand()
{
    // From the tray while the download window is open: that download is the answer.
    if (m_downloadsOpen > 0)
        return;
    m_manualUpdateCheck = true;
    if (IsConnected())
        RequestUpdateCheck();
    else
        ShowPrompt(m_hWnd, kNoConnection, kProductTitle, MB_OK);
}

void CScanDialog::OnUpdateAvailable()
{
    m_updateStatusLabel.SetTextColor(kYellow);
    m_updateStatusLabel.SetTextFont(8, FW_BOLD);
    ::SetWindowTextW(GetDlgItem(IDC_MAIN_UPDATE_STATUS), L"Disponibili");
    ::InvalidateRect(m_hWnd, &kUpdateStatusStripAvailable, TRUE);
    // Cleared before asking, so a second result arriving during the question is not
    // asked about again; never asked under a scan or a download already shown.
    if (!std::exchange(m_manualUpdateCheck, false) || m_windowsOpen > 0)
        return;
    if (ShowPrompt(m_hWnd, kUpdateQuestion, kProductTitle, MB_YESNO) == IDYES) {
        COpenWindowScope downloading(m_downloadsOpen);
        Open(m_links.downloadUpdate);
    }
}

void CScanDialog::CloseDownloadWindow()
{
    const CDialogBase* download = m_forwarder.GetTarget(WorkWindow::Download);
    if (download && download->IsShown())
        ::SendMessageW(download->GetSafeHwnd(), WM_DOWNLOAD_DONE, 0, 0);
}

void CScanDialog::OnUpdateNone()
{
    ::SetWindowTextW(GetDlgItem(IDC_MAIN_UPDATE_STATUS), L"Non disponibili");
    ::InvalidateRect(m_hWnd, &kUpdateStatusStripNone, TRUE);
    if (std::exchange(m_manualUpdateCheck, false))
        ShowPrompt(m_hWnd, kNoUpdate, kUpdatesTitle, MB_OK);
}

void CScanDialog::OnUpdateInstalled()
{
    CloseDownloadWindow();
    ShowAppPrompt(m_hWnd, kUpdateInstalled, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
    if (m_links.restartAfterUpdate)
        m_links.restartAfterUpdate();
}

void CScanDialog::OnUpdateFailed()
{
    CloseDownloadWindow();
    ShowPrompt(m_hWnd, kUpdateFailed, kProductTitle, MB_OK);
}

void CScanDialog::OpenContactPage() const
{
    ::ShellExecuteW(m_hWnd, L"open", kContactPage, nullptr, nullptr, SW_SHOW);
}

// --- tray, closing and ending -----------------------------------------------------------

HMENU CScanDialog::PrepareTrayMenu()
{
    const HMENU popup = m_trayMenu ? ::GetSubMenu(m_trayMenu.get(), 0) : nullptr;
    if (!popup)
        return nullptr;
    const bool startsWithWindows = m_engine.ReadSetting(kStartWithWindows) == kTrue;
    ::CheckMenuItem(popup, ID_TRAY_START_WITH_WINDOWS_YES, MF_BYCOMMAND | (startsWithWindows ? MF_CHECKED : 0));
    ::CheckMenuItem(popup, ID_TRAY_START_WITH_WINDOWS_NO, MF_BYCOMMAND | (startsWithWindows ? 0 : MF_CHECKED));
    return popup;
}

void CScanDialog::ShowTrayMenu()
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::SetForegroundWindow(m_hWnd);
    if (const HMENU popup = PrepareTrayMenu())
        ::TrackPopupMenu(popup, TPM_RIGHTALIGN, cursor.x, cursor.y, 0, m_hWnd, nullptr);
    // Without a message after the menu, it would not close when the user clicks elsewhere.
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

void CScanDialog::OnTrayNotify(LPARAM mouseMessage)
{
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONDBLCLK:
        ShowAndActivate();
        break;
    case WM_RBUTTONUP:
        ShowTrayMenu();
        break;
    default:
        break;
    }
}

void CScanDialog::ShowAndActivate()
{
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    ::SetForegroundWindow(m_hWnd);
}

void CScanDialog::SetStartWithWindows(bool on)
{
    static_cast<void>(m_engine.WriteSetting(kStartWithWindows, on ? kTrue : kFalse));
    if (on)
        static_cast<void>(m_engine.WriteMachineValue(kStartupRunKey, kProgramRunValue, ProgramRunCommand()));
    else
        static_cast<void>(m_engine.DeleteRegistryValue(kRootLocalMachine, kStartupRunKey, kProgramRunValue));
}

bool CScanDialog::HideToTrayIfChosen()
{
    if (m_engine.ReadSetting(kShowInTaskbarOnClose) != kTrue)
        return false;
    ::ShowWindow(m_hWnd, SW_HIDE);
    return true;
}

void CScanDialog::CloseButton()
{
    if (!HideToTrayIfChosen())
        ExitProcedure();
}

void CScanDialog::ExitProcedure()
{
    if (m_scans.IsScanning()) {
        ShowAppPrompt(m_hWnd, kWaitForScan);
        return;
    }
    // The process ends at once below; a repair cut off there could delete a registry
    // entry without writing its backup record, and a download cut off between its two
    // moves would leave no program file, so both are stopped cleanly first.
    m_engine.StopRepair();
    m_engine.StopUpdateDownload();
    EndMainDialog(1);
    if (m_links.endProcess)
        m_links.endProcess(1);
    else
        ::ExitProcess(1);
}

void CScanDialog::EndMainDialog(INT_PTR result)
{
    m_tray.Remove();
    EndDialog(result);
}

// Enter presses the focused button or box as a click would; the window has no default
// button, and a key pressed by habit must not end the program.
void CScanDialog::OnOK()
{
    const HWND focus = ::GetFocus();
    wchar_t className[16] = {};
    if (focus && ::IsChild(m_hWnd, focus) && ::IsWindowEnabled(focus) && ::GetClassNameW(focus, className, 16) &&
        ::lstrcmpiW(className, WC_BUTTONW) == 0)
        ::SendMessageW(focus, BM_CLICK, 0, 0);
}

// Escape hides the window as the close button does, but never ends the program.
void CScanDialog::OnCancel() { static_cast<void>(HideToTrayIfChosen()); }

void CScanDialog::OnDestroyed()
{
    m_tray.Remove();
    m_tooltip = nullptr;
}

// --- dispatch ---------------------------------------------------------------------------

bool CScanDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_MAIN_SCAN:
    case IDC_MAIN_NEW_SCAN:
        ScanCommand();
        return true;
    case IDC_MAIN_SETTINGS:
        Open(m_links.showSettings);
        if (m_engine.ReadSetting(kAllowAutoUpdates) == kTrue)
            RequestUpdateCheck();
        return true;
    case IDC_MAIN_RESTORE:
        Open(m_links.showRestore);
        return true;
    case IDC_MAIN_STARTUP:
        Open(m_links.showStartupManager);
        return true;
    case IDC_MAIN_ADVANCED_REPAIR:
        HelpChoice();
        return true;
    case IDC_MAIN_UPDATE:
    case ID_TRAY_CHECK_UPDATES:
        CheckForUpdatesCommand();
        return true;
    case IDC_MAIN_CONTACT:
        OpenContactPage();
        return true;
    case IDC_MAIN_MINIMIZE:
        ::ShowWindow(m_hWnd, SW_MINIMIZE);
        return true;
    case IDC_MAIN_CLOSE:
        CloseButton();
        return true;
    case IDC_MAIN_LAST_RESULTS:
        ShowLastResults();
        return true;
    case ID_TRAY_OPEN:
        ShowAndActivate();
        return true;
    case ID_TRAY_SCAN_NOW:
        ShowAndActivate();
        ScanCommand();
        return true;
    case ID_TRAY_START_WITH_WINDOWS_YES:
        SetStartWithWindows(true);
        return true;
    case ID_TRAY_START_WITH_WINDOWS_NO:
        SetStartWithWindows(false);
        return true;
    case ID_TRAY_EXIT:
        ExitProcedure();
        return true;
    default:
        return false;
    }
}

bool CScanDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (m_forwarder.Forward(message, wParam, lParam) != CMessageForwarder::Outcome::NotForwarded) {
        result = 1;
        return true;
    }
    // Explorer restarted: its new taskbar has none of the old icons.
    const UINT taskbarCreated = CTrayIcon::TaskbarCreatedMessage();
    if (taskbarCreated != 0 && message == taskbarCreated) {
        static_cast<void>(m_tray.AddAgain());
        return true;
    }
    switch (message) {
    case WM_PAINT:
        if (m_autoScanArmed) {
            // Once per process, and after this paint has put the window on the screen.
            m_autoScanArmed = false;
            ::PostMessageW(m_hWnd, WM_AUTO_SCAN_CHECK, 0, 0);
        }
        return false;
    case WM_AUTO_SCAN_CHECK:
        OnAutoScanCheck();
        return true;
    case WM_CLOSE:
        // The system's close (Alt+F4, the taskbar) is the close button's.
        CloseButton();
        return true;
    case WM_STARTUP_READY:
        OnStartupReady();
        return true;
    case WM_TRAY_NOTIFY:
        OnTrayNotify(lParam);
        return true;
    case WM_UPDATE_AVAILABLE:
        OnUpdateAvailable();
        return true;
    case WM_UPDATE_NONE:
        OnUpdateNone();
        return true;
    case WM_UPDATE_INSTALLED:
        OnUpdateInstalled();
        return true;
    case WM_UPDATE_FAILED:
        OnUpdateFailed();
        return true;
    case WM_DESTROY:
        // A worker started later must not post to a window that is gone.
        m_scans.SetNotifyWindow(nullptr);
        DiscardQueuedTexts(m_hWnd);
        break;
    default:
        break;
    }
    return CBitmapDialog::OnMessage(message, wParam, lParam, result);
}
