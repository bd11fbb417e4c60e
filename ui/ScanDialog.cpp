#include "ui/ScanDialog.h"

#include "core/TextSplit.h"
#include "framework/FirstPaintSignal.h"
#include "res/resource.h"
#include "ui/AppMessages.h"
#include "ui/FirstRunDefaults.h"
#include "ui/Prompts.h"
#include "ui/ScanProgressDialog.h"
#include "ui/SectionControls.h"
#include "ui/WindowLayout.h"

#include <commctrl.h>
#include <shellapi.h>

#include <iterator>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kContactPage[] = L"https://www.velmora.example/it/contact-us.html";

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
constexpr wchar_t kScanButtonTip[] = L"This is the scanning button.";

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

constexpr ControlPlace kGaugePlace{480, 380, 210, 75};
// "Velmora v" and a three-part version in 10-point bold need about 110 pixels.
constexpr ControlPlace kTitlePlace{18, 12, 160, 15};
// The statistics values stand beside their captions in the skin: the template's dialog
// units for the standard dialog font (6 x 13 base units), in pixels, so that a system
// whose dialog font has other metrics does not move them off their captions.
constexpr ControlPlace kVersionPlace{115, 465, 124, 13};
constexpr ControlPlace kReleaseDatePlace{115, 483, 124, 13};

// Tab as the window reads: the header's buttons, the column of commands, the section
// boxes column by column, the commands under the report.
std::vector<int> ReadingOrder()
{
    std::vector<int> order{IDC_MAIN_MINIMIZE, IDC_MAIN_CLOSE,    IDC_MAIN_UPDATE,  IDC_MAIN_CONTACT,
                           IDC_MAIN_SCAN,     IDC_MAIN_SETTINGS, IDC_MAIN_RESTORE, IDC_MAIN_STARTUP,
                           IDC_MAIN_ADVANCED_REPAIR};
    for (const SectionControlIds& ids : kSectionControls)
        order.push_back(ids.box);
    order.insert(order.end(), {IDC_MAIN_LAST_RESULTS, IDC_MAIN_NEW_SCAN});
    return order;
}

POINT SectionBoxPlace(int section)
{
    return {IsLeftColumn(section) ? 280 : 510, 225 + 20 * SectionRow(section)};
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

std::wstring GaugeName(UINT bitmapId)
{
    // The scale the gauge paints: five steps from Basso to Alto.
    static constexpr UINT kSteps[] = {IDB_GAUGE_STEP_1, IDB_GAUGE_STEP_2, IDB_GAUGE_STEP_3, IDB_GAUGE_STEP_4,
                                      IDB_GAUGE_STEP_5};
    for (size_t step = 0; step < std::size(kSteps); ++step) {
        if (kSteps[step] == bitmapId)
            return L"Livello di pericolo: " + std::to_wstring(step + 1) + L" su 5";
    }
    return L"Livello di pericolo: non valutato";
}

CScanDialog::CScanDialog(bool scanAtStart, MainWindowServices services)
    : CBitmapDialog(IDD_SCAN_DIALOG),
      m_services(std::move(services)),
      m_scanAtStart(scanAtStart),
      m_tray(m_services.settings),
      m_updates(m_links, m_windowsOpen, m_forwarder)
{
    m_forwarder.SetTarget(WorkWindow::ScanProgress, &m_services.progress);
}

CScanDialog::~CScanDialog() = default;

// --- set-up -----------------------------------------------------------------------------

BOOL CScanDialog::OnInitDialog()
{
    m_services.scans.SetNotifyWindow(m_hWnd);
    m_painted = false;
    WriteFirstRunDefaults(m_services.settings);
    // Without its bitmap the window still works, on the default background.
    static_cast<void>(SetSkinBitmap(IDB_MAIN_BACKGROUND));
    SetTransparentColor(RGB(255, 0, 255));
    SetTransparentLabels(true);
    SetDragEnabled(true);
    SetUpControls();
    SetTabOrder(m_hWnd, ReadingOrder());
    SetUpLabel(m_titleLabel, m_hWnd, IDC_MAIN_TITLE, {kWhite, 10, FW_BOLD}, L"Velmora v" + m_services.productVersion,
               &kTitlePlace);
    SetGauge(IDB_GAUGE_UNKNOWN);
    const ControlPlace lastScanPlace{257, 390, 200, 15};
    SetUpLabel(m_lastScanLabel, m_hWnd, IDC_MAIN_LAST_SCAN, {kRed, 10, FW_BOLD}, m_services.scans.LastScanDate(),
               &lastScanPlace);
    ::SetWindowTextW(m_hWnd, kTitle);
    Place();
    SetUpLabel(m_versionLabel, m_hWnd, IDC_MAIN_VERSION, {kWhite, 8, FW_NORMAL}, m_services.productVersion,
               &kVersionPlace);
    SetUpLabel(m_releaseDateLabel, m_hWnd, IDC_MAIN_RELEASE_DATE, {kWhite, 8, FW_NORMAL}, m_services.releaseDate,
               &kReleaseDatePlace);
    m_updates.SetUp(m_hWnd);
    RefreshProblemCount();
    m_autoScanArmed = true;
    ::PostMessageW(m_hWnd, WM_STARTUP_READY, 0, 0);
    FocusControl(m_hWnd, IDC_MAIN_SCAN);
    return FALSE;
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
        SetUpLabel(m_sectionLabels[static_cast<size_t>(section)], m_hWnd, ids.name, kSectionNameLook,
                   SectionName(section), &labelPlace);
        PairBoxWithLabel(check, m_sectionLabels[static_cast<size_t>(section)]);
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
    // The captions the background paints beside these values.
    m_lastScanLabel.SetAccessibleCaption(L"Report ultima scansione");
    m_problemCountLabel.SetAccessibleCaption(L"Trovati nel tuo sistema");
    m_versionLabel.SetAccessibleCaption(L"Versione");
    m_releaseDateLabel.SetAccessibleCaption(L"Data uscita");
}

void CScanDialog::SetUpSectionTooltips()
{
    m_tooltip = CreateControlTooltips(m_hWnd);
    if (!m_tooltip)
        return;
    for (int section = 0; section < kSectionCount; ++section)
        AddControlTooltip(m_tooltip, m_hWnd, kSectionControls[static_cast<size_t>(section)].name,
                          SectionDescription(section));
    AddControlTooltip(m_tooltip, m_hWnd, IDC_MAIN_SCAN, kScanButtonTip);
}

void CScanDialog::SetGauge(UINT bitmapId)
{
    UniqueGdiObject<HBITMAP> bitmap = LoadScaledBitmap(bitmapId, Scale());
    const HWND gauge = GetDlgItem(IDC_MAIN_GAUGE);
    if (!bitmap || !gauge)
        return;
    ::SendMessageW(gauge, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()));
    // The control no longer shows the previous bitmap, so it can go now.
    m_gaugeBitmap = std::move(bitmap);
    m_gaugeId = bitmapId;
    PlaceControl(m_hWnd, IDC_MAIN_GAUGE, kGaugePlace);
    SetUpAnnotation(m_gauge, m_hWnd, IDC_MAIN_GAUGE, GaugeName(bitmapId));
}

void CScanDialog::Place()
{
    const CDpiScale scale = Scale();
    const int width = scale.Px(kWidth);
    const int height = scale.Px(kHeight);
    const int x = (::GetSystemMetrics(SM_CXFULLSCREEN) - width) / 2;
    const int y = (::GetSystemMetrics(SM_CYFULLSCREEN) - height) / 2 - scale.Px(20);
    ::SetWindowPos(m_hWnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CScanDialog::OnDpiChanged()
{
    if (m_gaugeId)
        SetGauge(m_gaugeId);
}

// --- problem count and scans ------------------------------------------------------------

void CScanDialog::RefreshProblemCount()
{
    const std::wstring stored = m_services.settings.ReadSetting(SettingName(Setting::UnresolvedCount));
    m_problemCountLabel.SetTextFont(11, FW_BOLD);
    if (!stored.empty() && stored != L"0") {
        m_problemCountLabel.SetTextColor(kRed);
        ::SetWindowTextW(GetDlgItem(IDC_MAIN_PROBLEM_COUNT), (stored + L" Errori di Registro").c_str());
        // A text that is not a number is shown as it is, and the gauge keeps its place.
        if (const UINT gauge = GaugeBitmapFor(ParseDecimal(stored)))
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
    if (m_services.scans.IsScanning() || m_windowsOpen > 0) {
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
        CScanProgressDialog& progress = m_services.progress;
        progress.Prepare(sections);
        // The worker has ended when the window returns (finished or stopped), so the
        // problem list and the counters can be read; a scan that never started has
        // found nothing, which is no news at all. A stopped scan that found nothing
        // cannot tell that the system is clean: its window has said it was stopped, and
        // the problems left unresolved earlier stay stored.
        if (progress.DoModal(m_hWnd) != -1 && progress.ScanStarted()) {
            if (m_services.scans.GetTotalFound() > 0) {
                Open(m_links.showScanResults);
            } else if (progress.ScanCompleted()) {
                static_cast<void>(m_services.scans.ClearUnresolvedProblems());
                RefreshProblemCount();
                ShowGoodNews();
            }
        }
    }
    ::SetWindowTextW(GetDlgItem(IDC_MAIN_LAST_SCAN), m_services.scans.LastScanDate().c_str());
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
    static_cast<void>(m_services.scans.LoadIgnoredProblems());
    if (m_services.scans.GetTotalFound() > 0)
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

void CScanDialog::Open(const std::function<void(HWND)>& show) { OpenCounted(m_windowsOpen, show, m_hWnd); }

// --- start-up ---------------------------------------------------------------------------

void CScanDialog::OnStartupReady()
{
    ::EnableWindow(GetDlgItem(IDC_MAIN_ADVANCED_REPAIR), TRUE);
    // The check's worker would compete with the first paint.
    m_startupCheckDue = true;
    if (m_painted)
        StartupCheck();
}

void CScanDialog::StartupCheck()
{
    m_startupCheckDue = false;
    m_updates.StartupCheck(IsSettingOn(m_services.settings, Setting::AutoUpdates));
}

void CScanDialog::OnFirstPainted()
{
    // The controls paint after their parent: the window is shown once they have too.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    m_painted = true;
    SignalFirstPaint();
    // What nobody sees before the window is on the screen follows it, in the order of
    // the set-up: the tooltips, the tray icon, the window's icons, the update check.
    SetUpSectionTooltips();
    m_tray.Add(m_hWnd, LoadProgramIcon(SM_CXSMICON, SM_CYSMICON), kTitle);
    m_largeIcon = LoadProgramIcon(SM_CXICON, SM_CYICON);
    m_smallIcon = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_largeIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    if (m_startupCheckDue)
        StartupCheck();
    OnAutoScanCheck();
}

void CScanDialog::OnAutoScanCheck()
{
    if (m_scanAtStart || IsSettingOn(m_services.settings, Setting::ScanAtStartup))
        ScanCommand();
}

// --- closing and ending ----------------------------------------------------------------

void CScanDialog::OpenContactPage() const
{
    ::ShellExecuteW(m_hWnd, L"open", kContactPage, nullptr, nullptr, SW_SHOW);
}

void CScanDialog::CloseButton()
{
    if (!m_tray.HideWindowIfChosen())
        ExitProcedure();
}

void CScanDialog::ExitProcedure()
{
    if (m_services.scans.IsScanning()) {
        ShowAppPrompt(m_hWnd, kWaitForScan);
        return;
    }
    // The process ends at once below; a repair cut off there could delete a registry
    // entry without writing its backup record, and a download cut off between its two
    // moves would leave no program file, so both are stopped cleanly first.
    if (m_links.stopWorkBeforeEnd)
        m_links.stopWorkBeforeEnd();
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
void CScanDialog::OnCancel() { static_cast<void>(m_tray.HideWindowIfChosen()); }

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
    if (m_tray.OnCommand(id))
        return true;
    switch (id) {
    case IDC_MAIN_SCAN:
    case IDC_MAIN_NEW_SCAN:
        ScanCommand();
        return true;
    case IDC_MAIN_SETTINGS:
        Open(m_links.showSettings);
        if (IsSettingOn(m_services.settings, Setting::AutoUpdates))
            m_updates.RequestCheck();
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
        m_updates.CheckCommand();
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
    case ID_TRAY_SCAN_NOW:
        m_tray.ShowAndActivateWindow();
        ScanCommand();
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
    if (m_tray.OnMessage(message, lParam) || m_updates.OnMessage(message))
        return true;
    switch (message) {
    case WM_PAINT:
        if (m_autoScanArmed) {
            // Once per process, and after this paint has put the window on the screen.
            m_autoScanArmed = false;
            ::PostMessageW(m_hWnd, WM_FIRST_PAINTED, 0, 0);
        }
        return false;
    case WM_FIRST_PAINTED:
        OnFirstPainted();
        return true;
    case WM_CLOSE:
        // The system's close (Alt+F4, the taskbar) is the close button's.
        CloseButton();
        return true;
    case WM_STARTUP_READY:
        OnStartupReady();
        return true;
    case WM_DESTROY:
        // A worker started later must not post to a window that is gone.
        m_services.scans.SetNotifyWindow(nullptr);
        DiscardQueuedTexts(m_hWnd);
        break;
    default:
        break;
    }
    return CBitmapDialog::OnMessage(message, wParam, lParam, result);
}
