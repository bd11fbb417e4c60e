// The main window: first-run settings, labels and gauge, the scan command with a real
// (modal) progress window fed by a scripted scan, the passing on of worker messages,
// update results, tray commands, closing and ending. Settings are kept in memory.

#include "engine/EngineMessages.h"
#include "engine/FileSystem.h"
#include "engine/ScanMessages.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/AppMessages.h"
#include "ui/ScanDialog.h"
#include "ui/ScanProgressDialog.h"
#include "ui/SectionControls.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kFinished[] = L"La scansione è stata completata con successo.";
constexpr wchar_t kScanRunning[] = L"Scansione in corso. Si prega di attendere.";
constexpr wchar_t kNoSectionChosen[] = L"Selezionare una voce per proseguire";
constexpr wchar_t kWaitForScan[] = L"Per favore, attendere il completamento della scansione.";
constexpr wchar_t kNoConnection[] = L"Nessuna connessione internet disponibile. Verificare la connessione.";
constexpr wchar_t kUpdateQuestion[] = L"Una nuova versione di Velmora è disponibile. Vuoi scaricarla ora?";

bool IsGoodNews(const std::wstring& text) { return text.rfind(L"Buone notizie!", 0) == 0; }

// A window that only records what reaches it, standing for the windows of later features.
class RecordingDialog : public CDialogBase {
public:
    RecordingDialog() : CDialogBase(IDD_SCAN_PROGRESS) {}
    std::vector<UINT> messages;
    std::vector<std::wstring> texts;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        if (message < 0x8100 || message > 0x8130)
            return false;
        messages.push_back(message);
        if (message == WM_BACKUP_FOUND || message == WM_REPAIR_ITEM)
            texts.push_back(TakeText(wParam));
        result = 1;
        return true;
    }
};

class MainWindow : public ::testing::Test {
protected:
    MainWindow()
    {
        scans.settings = &settings;
        scans.scanMessages = {{WM_SCAN_SECTION_STARTED, 0, 0},
                              {WM_SCAN_PROBLEM_FOUND, 0, 1},
                              {WM_SCAN_SECTION_DONE, 0, 0},
                              {WM_SCAN_FINISHED, 0, 0}};
        links.showScanResults = [this](HWND) { opened.push_back(L"results"); };
        links.showSendLog = [this](HWND) { opened.push_back(L"send log"); };
        links.showCustomSolution = [this](HWND) { opened.push_back(L"custom solution"); };
        links.downloadUpdate = [this](HWND) { opened.push_back(L"download"); };
        links.startUpdateCheck = [this] { opened.push_back(L"update check"); };
        links.restartAfterUpdate = [this] { opened.push_back(L"restart"); };
        links.isConnected = [this] { return connected; };
        links.endProcess = [this](UINT code) { endedWith.push_back(code); };
    }

    void Open(bool scanAtStart = false)
    {
        Create(scanAtStart);
        PumpMessages();
        openedAtStart = std::exchange(opened, {});
    }

    void Create(bool scanAtStart = false)
    {
        window = std::make_unique<CScanDialog>(scanAtStart,
                                               MainWindowServices{scans, settings, progress, L"3.0.6", L"08/12/2026"});
        window->SetLinks(links);
        ASSERT_TRUE(window->Create());
        hwnd = window->GetSafeHwnd();
    }
    void Click(int id) { ::SendMessageW(::GetDlgItem(hwnd, id), BM_CLICK, 0, 0); }
    void Command(int id) { ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void CheckOnly(std::initializer_list<int> sections)
    {
        for (const SectionControlIds& ids : kSectionControls)
            ::SendMessageW(::GetDlgItem(hwnd, ids.box), BM_SETCHECK, BST_UNCHECKED, 0);
        for (const int section : sections)
            ::SendMessageW(::GetDlgItem(hwnd, kSectionControls[static_cast<size_t>(section)].box), BM_SETCHECK,
                           BST_CHECKED, 0);
    }

    FakeSettings settings;
    FakeScanService scans;
    PromptRecorder prompts{IDNO};
    CScanProgressDialog progress{scans};
    MainWindowLinks links;
    bool connected = true;
    std::vector<std::wstring> opened;
    std::vector<std::wstring> openedAtStart;
    std::vector<UINT> endedWith;
    std::unique_ptr<CScanDialog> window;
    HWND hwnd = nullptr;
};

TEST_F(MainWindow, FirstStartWritesOnlyTheMissingDefaults)
{
    settings = {};
    Open();
    EXPECT_EQ(settings.Get(L"StartWithWindows"), L"true");
    EXPECT_EQ(settings.Get(L"StartScanAtProgramStartup"), L"false");
    EXPECT_EQ(settings.Get(L"ShowInTaskbarOnClose"), L"true");
    EXPECT_EQ(settings.Get(L"AllowAutoUpdates"), L"false");
    EXPECT_TRUE(settings.runEntry);
    window.reset();

    // Stored choices stay, and a stored "false" writes no Run entry.
    settings = {};
    settings.WriteSetting(L"StartWithWindows", L"false");
    settings.WriteSetting(L"ShowInTaskbarOnClose", L"false");
    Open();
    EXPECT_EQ(settings.Get(L"StartWithWindows"), L"false");
    EXPECT_EQ(settings.Get(L"ShowInTaskbarOnClose"), L"false");
    EXPECT_FALSE(settings.runEntry);
}

TEST_F(MainWindow, ShowsVersionDatesStatusAndTheSectionsAllChosen)
{
    scans.lastScanDate = L"Non ancora effettuata";
    settings.stored.erase(L"IgnoredErrorsCount");
    Create();
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hwnd, IDC_MAIN_ADVANCED_REPAIR))) << "before the start-up is done";
    PumpMessages();
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hwnd, IDC_MAIN_ADVANCED_REPAIR)));

    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_VERSION), L"3.0.6");
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_TITLE), L"Velmora v3.0.6");
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_RELEASE_DATE), L"08/12/2026");
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_UPDATE_STATUS), L"Controllo...");
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_LAST_SCAN), L"Non ancora effettuata");
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_PROBLEM_COUNT), L"0 Errori di Registro");
    EXPECT_EQ(window->GetProblemCountColor(), RGB(0, 255, 0));
    EXPECT_EQ(window->GetGaugeBitmapId(), static_cast<UINT>(IDB_GAUGE_UNKNOWN));
    wchar_t title[64] = {};
    ::GetWindowTextW(hwnd, title, 64);
    EXPECT_STREQ(title, L"Velmora 2011 | Registry Cleaner");
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, CScanDialog::kWidth);
    EXPECT_EQ(client.bottom, CScanDialog::kHeight);
    for (int section = 0; section < kSectionCount; ++section) {
        const SectionControlIds& ids = kSectionControls[static_cast<size_t>(section)];
        EXPECT_EQ(::SendMessageW(::GetDlgItem(hwnd, ids.box), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(ControlText(hwnd, ids.name), SectionName(section));
    }
    EXPECT_TRUE(window->Tray().IsAdded());
}

TEST_F(MainWindow, SectionLabelsAndTheScanButtonCarryTheirTooltips)
{
    Open();
    HWND tooltip = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND candidate, LPARAM found) -> BOOL {
            wchar_t name[32] = {};
            ::GetClassNameW(candidate, name, 32);
            if (::lstrcmpiW(name, TOOLTIPS_CLASSW) != 0)
                return TRUE;
            *reinterpret_cast<HWND*>(found) = candidate;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&tooltip));
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), kSectionCount + 1);
    const auto tipOf = [&](int id) {
        wchar_t text[512] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(::GetDlgItem(hwnd, id));
        tool.lpszText = text;
        ::SendMessageW(tooltip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
        return std::wstring(text);
    };
    EXPECT_EQ(tipOf(IDC_SECTION_NAME_7), SectionDescription(7));
    EXPECT_EQ(tipOf(IDC_SECTION_NAME_0), SectionDescription(0));
    EXPECT_EQ(tipOf(IDC_MAIN_SCAN), L"This is the scanning button.");
}

TEST_F(MainWindow, ProblemCountLabelAndGaugeFollowTheStoredCount)
{
    Open();
    struct Case {
        const wchar_t* stored;
        const wchar_t* label;
        COLORREF color;
        UINT gauge;
    };
    // Each case starts from the gauge the one before left: a count that is not a
    // positive number leaves the gauge where it was.
    const Case cases[] = {
        {L"31", L"31 Errori di Registro", RGB(255, 0, 0), IDB_GAUGE_STEP_2},
        {L"121", L"121 Errori di Registro", RGB(255, 0, 0), IDB_GAUGE_STEP_5},
        {L"abc", L"abc Errori di Registro", RGB(255, 0, 0), IDB_GAUGE_STEP_5},
        {L"30", L"30 Errori di Registro", RGB(255, 0, 0), IDB_GAUGE_STEP_1},
        {L"120", L"120 Errori di Registro", RGB(255, 0, 0), IDB_GAUGE_STEP_4},
        {L"61", L"61 Errori di Registro", RGB(255, 0, 0), IDB_GAUGE_STEP_3},
        {L"-4", L"-4 Errori di Registro", RGB(255, 0, 0), IDB_GAUGE_STEP_3},
        {L"99999999999", L"99999999999 Errori di Registro", RGB(255, 0, 0), IDB_GAUGE_STEP_5},
        {L"0", L"0 Errori di Registro", RGB(0, 255, 0), IDB_GAUGE_UNKNOWN},
        {L"1", L"1 Errori di Registro", RGB(255, 0, 0), IDB_GAUGE_STEP_1},
        {L"", L"0 Errori di Registro", RGB(0, 255, 0), IDB_GAUGE_UNKNOWN},
    };
    for (const Case& c : cases) {
        settings.WriteSetting(L"IgnoredErrorsCount", c.stored);
        window->RefreshProblemCount();
        EXPECT_EQ(ControlText(hwnd, IDC_MAIN_PROBLEM_COUNT), c.label) << "stored " << c.stored;
        EXPECT_EQ(window->GetProblemCountColor(), c.color) << "stored " << c.stored;
        EXPECT_EQ(window->GetGaugeBitmapId(), c.gauge) << "stored " << c.stored;
    }
}

TEST_F(MainWindow, ReplacedGaugePicturesAreFreed)
{
    Open();
    const HWND gauge = ::GetDlgItem(hwnd, IDC_MAIN_GAUGE);
    const auto shown = [&] { return reinterpret_cast<HGDIOBJ>(::SendMessageW(gauge, STM_GETIMAGE, IMAGE_BITMAP, 0)); };
    const HGDIOBJ first = shown();
    ASSERT_NE(first, nullptr);
    BITMAP picture{};
    ASSERT_EQ(::GetObjectW(first, sizeof(picture), &picture), static_cast<int>(sizeof(picture)));
    EXPECT_EQ(picture.bmWidth, 210);
    EXPECT_EQ(picture.bmHeight, 75);
    settings.WriteSetting(L"IgnoredErrorsCount", L"95");
    window->RefreshProblemCount();
    const HGDIOBJ second = shown();
    EXPECT_NE(second, first);
    EXPECT_EQ(::GetObjectType(first), 0u) << "the replaced picture leaked";
    window.reset();
    EXPECT_EQ(::GetObjectType(second), 0u) << "the last picture leaked";
}

TEST_F(MainWindow, ScanShowsProgressThenTheGoodNewsWhenNothingIsFound)
{
    Open();
    scans.lastScanDate = L"07-DIC-2026";
    settings.WriteSetting(L"IgnoredErrorsCount", L"12");
    std::wstring countWhenFinished;
    prompts.whileOpen = [&](const RecordedPrompt& prompt) {
        if (prompt.text == kFinished)
            countWhenFinished = ControlText(progress.GetSafeHwnd(), IDC_SECTION_COUNT_0);
    };
    Click(IDC_MAIN_SCAN);
    const std::vector<std::wstring> texts = prompts.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], kFinished);
    EXPECT_TRUE(IsGoodNews(texts[1]));
    EXPECT_EQ(prompts.prompts[1].title, L"Velmora");
    EXPECT_EQ(prompts.prompts[1].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(countWhenFinished, L"(1)") << "the worker's messages must reach the progress window";
    ASSERT_EQ(scans.started.size(), 1u);
    IScanService::Selection all{};
    all.fill(1);
    EXPECT_EQ(scans.started[0], all);
    EXPECT_EQ(scans.clears, 1);
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_PROBLEM_COUNT), L"0 Errori di Registro");
    EXPECT_EQ(window->GetGaugeBitmapId(), static_cast<UINT>(IDB_GAUGE_UNKNOWN));
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_LAST_SCAN), L"07-DIC-2026");
    EXPECT_TRUE(opened.empty()) << "No to the question opens nothing";
    EXPECT_FALSE(progress.IsShown());
}

TEST_F(MainWindow, YesToTheGoodNewsOpensTheLogSubmissionOrTheCustomSolution)
{
    Open();
    prompts.answer = IDYES;
    Click(IDC_MAIN_NEW_SCAN);
    EXPECT_EQ(opened, std::vector<std::wstring>{L"send log"});

    opened.clear();
    bool pending = true;
    links.hasPendingLog = [&] { return pending; };
    window->SetLinks(links);
    Click(IDC_MAIN_ADVANCED_REPAIR);
    EXPECT_EQ(opened, std::vector<std::wstring>{L"custom solution"});
}

// Clicks the stop button of the progress window as soon as it is shown, from the thread's
// message loop (the window is modal).
class StopButtonClicker {
public:
    explicit StopButtonClicker(CScanProgressDialog& progress)
    {
        s_progress = &progress;
        m_timer = ::SetTimer(nullptr, 0, 20, &StopButtonClicker::Tick);
    }
    ~StopButtonClicker()
    {
        ::KillTimer(nullptr, m_timer);
        s_progress = nullptr;
    }
    StopButtonClicker(const StopButtonClicker&) = delete;
    StopButtonClicker& operator=(const StopButtonClicker&) = delete;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        if (!s_progress || !s_progress->IsShown())
            return;
        ::KillTimer(nullptr, timer);
        ::PostMessageW(s_progress->GetDlgItem(IDC_PROGRESS_STOP), BM_CLICK, 0, 0);
    }
    static inline CScanProgressDialog* s_progress = nullptr;
    UINT_PTR m_timer = 0;
};

TEST_F(MainWindow, StoppedScanThatFoundNothingIsNoGoodNews)
{
    Open();
    settings.WriteSetting(L"IgnoredErrorsCount", L"12");
    window->RefreshProblemCount();
    scans.scanMessages = {{WM_SCAN_SECTION_STARTED, 0, 0}};
    scans.scanningAfterStart = true;
    {
        const StopButtonClicker stopper(progress);
        Click(IDC_MAIN_SCAN);
    }
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{L"La scansione è stata interrotta dall’utente."});
    EXPECT_EQ(scans.clears, 0) << "the problems left unresolved earlier stay stored";
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_PROBLEM_COUNT), L"12 Errori di Registro");
    EXPECT_TRUE(opened.empty());
}

TEST_F(MainWindow, ScanThatFindsProblemsOpensTheResults)
{
    Open();
    scans.foundByScan = 4;
    Click(IDC_MAIN_SCAN);
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{kFinished});
    EXPECT_EQ(opened, std::vector<std::wstring>{L"results"});
    EXPECT_EQ(scans.clears, 0);
}

TEST_F(MainWindow, ScanIsRefusedWhileOneRunsOrItsWindowsAreOpen)
{
    Open();
    scans.scanning = true;
    Click(IDC_MAIN_SCAN);
    Command(ID_TRAY_SCAN_NOW);
    EXPECT_EQ(prompts.Texts(), (std::vector<std::wstring>{kScanRunning, kScanRunning}));
    EXPECT_TRUE(scans.started.empty());

    // The worker has ended, but the progress window still tells the user so: a scan from
    // the tray now would start under it.
    PromptRecorder duringScan(IDNO);
    scans.scanning = false;
    duringScan.whileOpen = [&](const RecordedPrompt& prompt) {
        if (prompt.text == kFinished)
            Command(ID_TRAY_SCAN_NOW);
    };
    Click(IDC_MAIN_SCAN);
    ASSERT_GE(duringScan.prompts.size(), 2u);
    EXPECT_EQ(duringScan.prompts[1].text, kScanRunning);
    EXPECT_EQ(scans.started.size(), 1u);
}

TEST_F(MainWindow, NoScanStartsUnderAnyWindowOpenOverTheMainWindow)
{
    Open();
    // Each window the main window opens tries the tray's scan command while it is open.
    const auto scanFromTray = [this](HWND) {
        opened.push_back(L"open");
        Command(ID_TRAY_SCAN_NOW);
    };
    links.showScanResults = scanFromTray;
    links.showRestore = scanFromTray;
    links.showSettings = scanFromTray;
    window->SetLinks(links);
    scans.foundAfterLoad = 3;
    for (const int button : {IDC_MAIN_LAST_RESULTS, IDC_MAIN_RESTORE, IDC_MAIN_SETTINGS})
        Click(button);
    EXPECT_EQ(opened, std::vector<std::wstring>(3, L"open"));
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>(3, kScanRunning));
    EXPECT_TRUE(scans.started.empty());
    EXPECT_EQ(scans.loads, 1) << "the results window's list is replaced by nothing";
    EXPECT_EQ(scans.totalFound, 3);

    // Once they are closed the tray scans again.
    Command(ID_TRAY_SCAN_NOW);
    EXPECT_EQ(scans.started.size(), 1u);
}

TEST_F(MainWindow, ScanThatCannotStartChangesNothing)
{
    Open();
    settings.WriteSetting(L"IgnoredErrorsCount", L"12");
    scans.startSucceeds = false;
    Click(IDC_MAIN_SCAN);
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{L"Impossibile avviare la scansione."});
    EXPECT_EQ(scans.clears, 0);
    EXPECT_EQ(settings.Get(L"IgnoredErrorsCount"), L"12");
    EXPECT_TRUE(opened.empty());
}

TEST_F(MainWindow, NoChosenSectionMeansNoScanButAFreshDate)
{
    Open();
    CheckOnly({});
    scans.lastScanDate = L"01-GEN-2027";
    Click(IDC_MAIN_SCAN);
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{kNoSectionChosen});
    EXPECT_TRUE(scans.started.empty());
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_LAST_SCAN), L"01-GEN-2027");

    CheckOnly({11});
    Click(IDC_MAIN_SCAN);
    ASSERT_EQ(scans.started.size(), 1u);
    IScanService::Selection onlyLast{};
    onlyLast[11] = 1;
    EXPECT_EQ(scans.started[0], onlyLast);
}

TEST_F(MainWindow, LastResultsShowTheStoredProblemsOrTheGoodNews)
{
    Open();
    scans.foundAfterLoad = 3;
    Click(IDC_MAIN_LAST_RESULTS);
    EXPECT_EQ(scans.loads, 1);
    EXPECT_EQ(opened, std::vector<std::wstring>{L"results"});
    EXPECT_TRUE(prompts.prompts.empty());

    opened.clear();
    scans.foundAfterLoad = 0;
    Click(IDC_MAIN_LAST_RESULTS);
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_TRUE(IsGoodNews(prompts.prompts[0].text));
    EXPECT_TRUE(opened.empty());
}

TEST_F(MainWindow, AutomaticScanRunsOnceAtTheFirstPaintWhenAsked)
{
    Open(true);
    ASSERT_EQ(scans.started.size(), 1u);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();
    EXPECT_EQ(scans.started.size(), 1u) << "only the first paint scans";
    window.reset();

    scans.started.clear();
    settings.WriteSetting(L"StartScanAtProgramStartup", L"true");
    Open(false);
    EXPECT_EQ(scans.started.size(), 1u);
    window.reset();

    scans.started.clear();
    settings.WriteSetting(L"StartScanAtProgramStartup", L"false");
    Open(false);
    EXPECT_TRUE(scans.started.empty());
}

// What waits for the first paint still comes, in its order: the tray icon, then the
// start-up update check, then the automatic scan; the update status shows from the start.
TEST_F(MainWindow, StartUpWorkAfterTheFirstPaintStillHappensInOrder)
{
    bool checkedAfterPaint = false;
    bool checkedWithTray = false;
    bool checkedBeforeScan = false;
    links.startUpdateCheck = [&] {
        checkedAfterPaint = ::IsWindowVisible(hwnd) && !::GetUpdateRect(hwnd, nullptr, FALSE);
        checkedWithTray = window->Tray().IsAdded();
        checkedBeforeScan = scans.started.empty();
    };
    Open(true);
    EXPECT_TRUE(checkedAfterPaint);
    EXPECT_TRUE(checkedWithTray);
    EXPECT_TRUE(checkedBeforeScan);
    EXPECT_EQ(scans.started.size(), 1u);
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_UPDATE_STATUS), L"Controllo...");
    EXPECT_NE(::SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hwnd, IDC_MAIN_ADVANCED_REPAIR)));
}

TEST_F(MainWindow, WorkerMessagesGoOnToTheirWindowOrAreLostWithTheirTextFreed)
{
    scans.scanMessages.clear();
    Open();
    IScanService::Selection all{};
    all.fill(1);
    progress.Prepare(all);
    ASSERT_TRUE(progress.Create());
    ::PostMessageW(hwnd, WM_SCAN_SECTION_STARTED, 4, 0);
    ::PostMessageW(hwnd, WM_SCAN_PROBLEM_FOUND, 4, 1);
    ASSERT_TRUE(PostText(hwnd, WM_SCAN_ITEM, L"HKEY_LOCAL_MACHINE\\Software\\Example"));
    PumpMessages();
    EXPECT_EQ(ControlText(progress.GetSafeHwnd(), IDC_SECTION_COUNT_4), L"(1)");
    EXPECT_EQ(ControlText(progress.GetSafeHwnd(), IDC_PROGRESS_ITEM), L"HKEY_LOCAL_MACHINE\\Software\\Example");
    ::SendMessageW(progress.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);

    CTextReleaseCounter released;
    ASSERT_TRUE(PostText(hwnd, WM_SCAN_ITEM, L"nobody shows this"));
    ASSERT_TRUE(PostText(hwnd, WM_REPAIR_ITEM, L"nor this"));
    ASSERT_TRUE(PostText(hwnd, WM_BACKUP_FOUND, L"C:\\backup\\20261207_1200.dat"));
    ::PostMessageW(hwnd, WM_REPAIR_STARTED, 5, 0);
    ::PostMessageW(hwnd, WM_DOWNLOAD_PROGRESS, 100, 0);
    PumpMessages();
    EXPECT_EQ(released.Count(), 3);

    RecordingDialog restore;
    ASSERT_TRUE(restore.Create());
    window->Forwarder().SetTarget(WorkWindow::Restore, &restore);
    ASSERT_TRUE(PostText(hwnd, WM_BACKUP_FOUND, L"C:\\backup\\20261207_1201.dat"));
    ::PostMessageW(hwnd, WM_REPAIR_FINISHED, 0, 0);
    PumpMessages();
    EXPECT_EQ(restore.texts, std::vector<std::wstring>{L"C:\\backup\\20261207_1201.dat"});
    EXPECT_EQ(restore.messages, std::vector<UINT>{WM_BACKUP_FOUND}) << "repair messages are not the restore's";
    EXPECT_EQ(released.Count(), 3);
    window->Forwarder().SetTarget(WorkWindow::Restore, nullptr);
}

TEST_F(MainWindow, UpdateResultsChangeTheStatusAndAskOnlyAfterAManualCheck)
{
    Open();
    ASSERT_EQ(openedAtStart, std::vector<std::wstring>{L"update check"}) << "every start checks";
    ::SendMessageW(hwnd, WM_UPDATE_AVAILABLE, 0, 0);
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_UPDATE_STATUS), L"Disponibili");
    EXPECT_TRUE(prompts.prompts.empty());

    Click(IDC_MAIN_UPDATE);
    EXPECT_EQ(opened, std::vector<std::wstring>{L"update check"});
    prompts.answer = IDYES;
    ::SendMessageW(hwnd, WM_UPDATE_AVAILABLE, 0, 0);
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{kUpdateQuestion});
    EXPECT_EQ(opened.back(), L"download");
    ::SendMessageW(hwnd, WM_UPDATE_AVAILABLE, 0, 0);
    EXPECT_EQ(prompts.prompts.size(), 1u) << "one question for one check";

    prompts.prompts.clear();
    Command(ID_TRAY_CHECK_UPDATES);
    ::SendMessageW(hwnd, WM_UPDATE_NONE, 0, 0);
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_UPDATE_STATUS), L"Non disponibili");
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].title, L"Aggiornamenti");
    ::SendMessageW(hwnd, WM_UPDATE_NONE, 0, 0);
    EXPECT_EQ(prompts.prompts.size(), 1u) << "a result without a manual check is not reported";

    // A server that does not answer is a result too, never "Controllo..." for ever.
    prompts.prompts.clear();
    Click(IDC_MAIN_UPDATE);
    ::SendMessageW(hwnd, WM_UPDATE_UNREACHABLE, 0, 0);
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_UPDATE_STATUS), L"Non verificabili");
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].title, L"Aggiornamenti");
    ::SendMessageW(hwnd, WM_UPDATE_UNREACHABLE, 0, 0);
    EXPECT_EQ(prompts.prompts.size(), 1u);
}

TEST_F(MainWindow, DownloadWindowClosesBeforeTheFinalMessageAndNoCheckStartsUnderIt)
{
    Open();
    RecordingDialog download;
    ASSERT_TRUE(download.Create());
    window->Forwarder().SetTarget(WorkWindow::Download, &download);
    links.downloadUpdate = [&](HWND) {
        opened.push_back(L"download");
        Command(ID_TRAY_CHECK_UPDATES);
        ::SendMessageW(hwnd, WM_UPDATE_FAILED, 0, 0);
    };
    window->SetLinks(links);
    std::vector<UINT> downloadSawBeforeTheMessage;
    prompts.whileOpen = [&](const RecordedPrompt&) { downloadSawBeforeTheMessage = download.messages; };
    prompts.answer = IDYES;

    Click(IDC_MAIN_UPDATE);
    ::SendMessageW(hwnd, WM_UPDATE_AVAILABLE, 0, 0);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"update check", L"download"})) << "no check under the download";
    EXPECT_EQ(downloadSawBeforeTheMessage, std::vector<UINT>{WM_DOWNLOAD_DONE});
    window->Forwarder().SetTarget(WorkWindow::Download, nullptr);
}

TEST_F(MainWindow, UpdateCheckWithoutConnectionOnlyTellsTheUser)
{
    connected = false;
    Open();
    EXPECT_TRUE(openedAtStart.empty()) << "no connection at start: the check is skipped silently";
    EXPECT_TRUE(prompts.prompts.empty());
    EXPECT_EQ(ControlText(hwnd, IDC_MAIN_UPDATE_STATUS), L"Non verificabili");
    Click(IDC_MAIN_UPDATE);
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{kNoConnection});
    EXPECT_TRUE(opened.empty());
}

TEST_F(MainWindow, AutomaticUpdatesReportTheStartUpCheck)
{
    settings.WriteSetting(L"AllowAutoUpdates", L"true");
    Open();
    ::SendMessageW(hwnd, WM_UPDATE_NONE, 0, 0);
    ASSERT_EQ(prompts.prompts.size(), 1u) << "the start-up check's result is told";
    EXPECT_EQ(prompts.prompts[0].title, L"Aggiornamenti");
    prompts.prompts.clear();
    ::SendMessageW(hwnd, WM_UPDATE_FAILED, 0, 0);
    ::SendMessageW(hwnd, WM_UPDATE_INSTALLED, 0, 0);
    ASSERT_EQ(prompts.prompts.size(), 2u);
    EXPECT_EQ(prompts.prompts[0].text,
              L"La nuova versione non è stata scaricata correttamente. Si prega fare un nuovo download.");
    EXPECT_EQ(prompts.prompts[1].type & (MB_ICONINFORMATION | MB_TOPMOST),
              static_cast<UINT>(MB_ICONINFORMATION | MB_TOPMOST));
    EXPECT_EQ(opened.back(), L"restart");
}

TEST_F(MainWindow, TrayMenuFollowsAndChangesTheStartWithWindowsSetting)
{
    Open();
    const auto checked = [&](UINT id) {
        return (::GetMenuState(window->Tray().PrepareMenu(), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    settings.WriteSetting(L"StartWithWindows", L"false");
    EXPECT_FALSE(checked(ID_TRAY_START_WITH_WINDOWS_YES));
    EXPECT_TRUE(checked(ID_TRAY_START_WITH_WINDOWS_NO));
    Command(ID_TRAY_START_WITH_WINDOWS_YES);
    EXPECT_EQ(settings.Get(L"StartWithWindows"), L"true");
    EXPECT_TRUE(settings.runEntry);
    EXPECT_TRUE(checked(ID_TRAY_START_WITH_WINDOWS_YES));
    EXPECT_FALSE(checked(ID_TRAY_START_WITH_WINDOWS_NO));
    Command(ID_TRAY_START_WITH_WINDOWS_NO);
    EXPECT_EQ(settings.Get(L"StartWithWindows"), L"false");
    EXPECT_FALSE(settings.runEntry);
}

TEST_F(MainWindow, CloseHidesToTheTrayAndTheTrayBringsTheWindowBack)
{
    settings.WriteSetting(L"ShowInTaskbarOnClose", L"true");
    Open();
    Click(IDC_MAIN_CLOSE);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_TRUE(::IsWindow(hwnd));
    Command(ID_TRAY_OPEN);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    ::ShowWindow(hwnd, SW_HIDE);
    ::SendMessageW(hwnd, WM_TRAY_NOTIFY, CMainTray::kIconId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    ::ShowWindow(hwnd, SW_HIDE);
    ::SendMessageW(hwnd, WM_TRAY_NOTIFY, CMainTray::kIconId, WM_MOUSEMOVE);
    EXPECT_FALSE(::IsWindowVisible(hwnd)) << "other mouse messages are ignored";
    EXPECT_TRUE(endedWith.empty());
}

TEST_F(MainWindow, CloseWithoutTheTrayEndsTheProgramUnlessAScanRuns)
{
    settings.WriteSetting(L"ShowInTaskbarOnClose", L"false");
    Open();
    scans.scanning = true;
    Click(IDC_MAIN_CLOSE);
    Command(ID_TRAY_EXIT);
    EXPECT_EQ(prompts.Texts(), (std::vector<std::wstring>{kWaitForScan, kWaitForScan}));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_TRUE(endedWith.empty());

    scans.scanning = false;
    Click(IDC_MAIN_CLOSE);
    EXPECT_EQ(endedWith, std::vector<UINT>{1});
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_FALSE(window->Tray().IsAdded());
}

TEST_F(MainWindow, EnterAndEscapeNeverEndTheProgram)
{
    settings.WriteSetting(L"ShowInTaskbarOnClose", L"false");
    Open();
    Command(IDCANCEL);
    EXPECT_TRUE(::IsWindowVisible(hwnd)) << "Escape does nothing where the close button would end the program";
    settings.WriteSetting(L"ShowInTaskbarOnClose", L"true");
    Command(IDCANCEL);
    EXPECT_FALSE(::IsWindowVisible(hwnd)) << "Escape hides to the tray as the close button does";
    Command(ID_TRAY_OPEN);

    // Enter presses the focused control.
    const HWND box = ::GetDlgItem(hwnd, kSectionControls[3].box);
    ::SetFocus(box);
    Command(IDOK);
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_TRUE(window->Tray().IsAdded());
    EXPECT_TRUE(endedWith.empty());
}

}  // namespace
