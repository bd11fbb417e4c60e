// The results window (store on close, repair with unticked problems, report), the repair
// window (progress, outcome messages, stop), the repair summary and the restore window
// (dates, select-all, restore and delete with their messages, list and path pairing).

#include "engine/CorvaneEngine.h"
#include "engine/EngineMessages.h"
#include "engine/ReportWriter.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/ui/ResultTestSupport.h"
#include "ui/EngineServices.h"
#include "ui/MessageForwarder.h"
#include "ui/RepairErrorsDialog.h"
#include "ui/RestoreBackupsDialog.h"
#include "ui/ResultStatus.h"
#include "ui/ScanResultsDialog.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>

namespace {

void Command(HWND window, int id) { ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

std::vector<std::wstring> Subjects(const CErrorListEx& problems)
{
    std::vector<std::wstring> subjects;
    for (const CError& problem : problems)
        subjects.push_back(problem.Subject);
    return subjects;
}

// --- results window --------------------------------------------------------------------

class ResultsWindowTest : public testing::Test {
protected:
    void Open(const CErrorListEx& problems)
    {
        sandbox.SetProblems(problems);
        shown = problems;
        ResultsWindowLinks links;
        links.refreshProblemCount = [this] { ++refreshes; };
        links.showRepair = [this](HWND) {
            steps.push_back(L"repair");
            listAtRepair = sandbox.engine.ProblemList();
        };
        links.showSummary = [this](HWND) { steps.push_back(L"summary"); };
        links.openReport = [this](const std::wstring& file) { openedReports.push_back(file); };
        window.SetLinks(std::move(links));
        ASSERT_TRUE(window.Create());
    }
    HWND Window() const { return window.GetSafeHwnd(); }
    int Ignored(int section) const
    {
        return sandbox.engine.SectionCounters()[static_cast<size_t>(section)].Ignored;
    }

    ResultsSandbox sandbox;
    PromptRecorder prompts{IDNO};
    CEngineServices results{sandbox.engine};
    CScanResultsDialog window{results};
    CErrorListEx shown;
    int refreshes = 0;
    std::vector<std::wstring> steps;
    std::vector<std::wstring> openedReports;
    CErrorListEx listAtRepair;
};

TEST_F(ResultsWindowTest, ShowsTheProblemsSectionBySection)
{
    Open(MakeProblems({{2, 3}, {7, 31}, {11, 1}}));
    EXPECT_EQ(ControlText(Window(), IDC_RESULTS_BANNER), L"Attenzione! Sono stati trovati 35 errori di Registro.");
    EXPECT_EQ(ControlText(Window(), IDC_RESULTS_TOTAL), L"35");
    EXPECT_EQ(ControlText(Window(), IDC_RESULTS_TITLE), L"RISULTATO DELLA SCANSIONE");
    EXPECT_EQ(ControlText(Window(), IDC_RESULTS_REPAIR), L"Ripara i problemi");
    EXPECT_EQ(ControlText(Window(), IDC_RESULTS_REPORT), L"Crea Rapporto");
    const auto& rows = window.List().Sections();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].Section, 7);
    EXPECT_EQ(rows[1].Count, 31);
    EXPECT_EQ(::GetDlgItem(Window(), IDC_RESULTS_LIST), window.List().GetSafeHwnd());
    RECT place{};
    ::GetWindowRect(window.List().GetSafeHwnd(), &place);
    ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, 40);
    EXPECT_EQ(place.top, 182);
    EXPECT_FALSE(window.IsRepairDone());
    EXPECT_EQ(refreshes, 0) << "nothing is stored while the window is open";
}

TEST_F(ResultsWindowTest, ClosingWithoutRepairStoresEveryProblem)
{
    Open(MakeProblems({{2, 3}, {7, 4}}));
    window.List().ToggleRow(0);  // unticked or not, everything is stored
    Command(Window(), IDCANCEL);  // Escape, and the close of the window
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(Subjects(ResultsSandbox::StoredProblems()), Subjects(shown));
    EXPECT_EQ(SettingsSandbox::Get(L"IgnoredErrorsCount"), L"7");
    EXPECT_EQ(sandbox.engine.ProblemList().GetSize(), 0);
    EXPECT_EQ(Ignored(2), 3);
    EXPECT_EQ(Ignored(7), 4);
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(steps.empty());
}

TEST_F(ResultsWindowTest, EnterStartsNoRepair)
{
    Open(MakeProblems({{2, 3}}));
    Command(Window(), IDOK);
    EXPECT_NE(Window(), nullptr);
    EXPECT_TRUE(steps.empty());
    Command(Window(), IDCANCEL);
}

TEST_F(ResultsWindowTest, RepairStoresTheUntickedAndRepairsTheRest)
{
    Open(MakeProblems({{2, 3}, {7, 4}, {11, 2}}));
    // The whole of section 2, and two problems of section 7 through its own window.
    window.List().ToggleRow(0);
    auto section7 = window.List().RowProblems(1);
    section7[1].Selected = false;
    section7[3].Selected = false;
    Command(Window(), IDC_RESULTS_REPAIR);

    EXPECT_EQ(steps, (std::vector<std::wstring>{L"repair", L"summary"}));
    EXPECT_TRUE(window.IsRepairDone());
    EXPECT_EQ(Window(), nullptr) << "the window closes after the summary";
    const std::vector<std::wstring> stored{shown[0].Subject, shown[1].Subject, shown[2].Subject, shown[4].Subject,
                                           shown[6].Subject};
    EXPECT_EQ(Subjects(ResultsSandbox::StoredProblems()), stored);
    EXPECT_EQ(SettingsSandbox::Get(L"IgnoredErrorsCount"), L"5");
    const std::vector<std::wstring> repaired{shown[3].Subject, shown[5].Subject, shown[7].Subject, shown[8].Subject};
    EXPECT_EQ(Subjects(listAtRepair), repaired) << "the repair sees only the chosen problems, in order";
    EXPECT_EQ(Ignored(2), 3);
    EXPECT_EQ(Ignored(7), 2);
    EXPECT_EQ(Ignored(11), 0);
    EXPECT_EQ(refreshes, 1) << "stored once, before the repair; not again when the window closes";
}

TEST_F(ResultsWindowTest, RepairWithEverythingDroppedStillRuns)
{
    Open(MakeProblems({{4, 2}}));
    window.List().ToggleRow(0);
    Command(Window(), IDC_RESULTS_REPAIR);
    EXPECT_EQ(steps, (std::vector<std::wstring>{L"repair", L"summary"}));
    EXPECT_EQ(listAtRepair.GetSize(), 0);
    EXPECT_EQ(SettingsSandbox::Get(L"IgnoredErrorsCount"), L"2");
}

TEST_F(ResultsWindowTest, ReportThatCannotBeWrittenSaysSoAndTheWindowStays)
{
    const std::wstring folder = CommonAppDataFolder() + L"\\Velmora";
    if (::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the report folder exists in this prefix";
    // A file where the folder belongs: no folder can be made there.
    UniqueHandle blocker(::CreateFileW(folder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(blocker);
    blocker.reset();
    Open(MakeProblems({{2, 1}}));
    Command(Window(), IDC_RESULTS_REPORT);
    ::DeleteFileW(folder.c_str());
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].text, kReportFailed);
    EXPECT_EQ(prompts.prompts[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_NE(Window(), nullptr);
    EXPECT_TRUE(openedReports.empty());
    Command(Window(), IDCANCEL);
}

TEST_F(ResultsWindowTest, WrittenReportIsOfferedAndOpenedOnYes)
{
    const std::wstring base = CommonAppDataFolder();
    ASSERT_FALSE(base.empty());
    const std::wstring folder = base + L"\\Velmora";
    // Missing, the report makes it.
    const bool madeFolder = ::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
    Open(MakeProblems({{2, 1}}));
    prompts.answer = IDYES;
    Command(Window(), IDC_RESULTS_REPORT);
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].text, ReportWrittenQuestion(base));
    EXPECT_EQ(prompts.prompts[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    ASSERT_EQ(openedReports.size(), 1u);
    EXPECT_TRUE(FileBytes(openedReports[0]).has_value());
    EXPECT_NE(Window(), nullptr) << "the window stays open";

    prompts.answer = IDNO;
    Command(Window(), IDC_RESULTS_REPORT);
    EXPECT_EQ(openedReports.size(), 1u);
    Command(Window(), IDCANCEL);

    WIN32_FIND_DATAW found{};
    UniqueFindHandle find(::FindFirstFileW((folder + L"\\vlm_*.html").c_str(), &found));
    if (find) {
        do
            ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        while (::FindNextFileW(find.get(), &found));
    }
    if (madeFolder)
        ::RemoveDirectoryW(folder.c_str());
}

TEST(ResultTexts, QuestionAndCountsReadAsTheUserSeesThem)
{
    EXPECT_EQ(ReportWrittenQuestion(L"C:\\ProgramData"),
              L"Il rapporto di scansione è stato salvato nella cartella \"dati del programma\" (C:\\ProgramData). "
              L"Vuoi visualizzare il report sul tuo browser adesso in formato html?");
    EXPECT_EQ(ProblemsFoundText(0), L"Attenzione! Sono stati trovati 0 errori di Registro.");
}

// --- repair window ---------------------------------------------------------------------

class FakeRepairService : public IRepairService {
public:
    bool StartRepair() override
    {
        ++starts;
        return startSucceeds;
    }
    void StopRepair() override
    {
        ++stops;
        if (onStop)
            onStop();
    }
    bool RepairFailed() const override { return failed; }
    bool RepairLeftProblems() const override { return leftProblems; }

    int starts = 0;
    int stops = 0;
    bool startSucceeds = true;
    bool failed = false;
    bool leftProblems = false;
    std::function<void()> onStop;
};

class RepairWindowTest : public testing::Test {
protected:
    ~RepairWindowTest() override
    {
        if (repair.GetSafeHwnd())
            repair.EndDialog(IDCANCEL);
    }
    HWND Window() const { return repair.GetSafeHwnd(); }
    HWND Bar() const { return ::GetDlgItem(Window(), IDC_REPAIR_PROGRESS); }
    void Post(UINT message, WPARAM wParam = 0)
    {
        ::PostMessageW(Window(), message, wParam, 0);
        PumpMessages();
    }

    FakeRepairService service;
    PromptRecorder prompts;
    CRepairErrorsDialog repair{service};
};

TEST_F(RepairWindowTest, ShowsProgressAndItemsThenTheSuccess)
{
    ASSERT_TRUE(repair.Create());
    EXPECT_EQ(service.starts, 1);
    EXPECT_EQ(ControlText(Window(), IDC_REPAIR_TITLE), L"RIPARAZIONE IN CORSO");
    EXPECT_EQ(ControlText(Window(), IDC_REPAIR_NOTICE),
              L"Attendere fino a quando il processo di riparazione sarà concluso.");
    EXPECT_EQ(ControlText(Window(), IDC_REPAIR_ITEM), L"");
    EXPECT_EQ(ControlText(Window(), IDCANCEL), L"Chiudi");

    Post(WM_REPAIR_STARTED, 3);
    EXPECT_EQ(::SendMessageW(Bar(), PBM_GETRANGE, FALSE, 0), 3);
    EXPECT_EQ(::SendMessageW(Bar(), PBM_GETRANGE, TRUE, 0), 0);
    ASSERT_TRUE(PostText(Window(), WM_REPAIR_ITEM, L"HKEY_CURRENT_USER\\Software\\A&B\\Value"));
    PumpMessages();
    EXPECT_EQ(ControlText(Window(), IDC_REPAIR_ITEM), L"HKEY_CURRENT_USER\\Software\\A&B\\Value");
    for (int done = 1; done <= 3; ++done) {
        Post(WM_REPAIR_PROGRESS, static_cast<WPARAM>(done));
        EXPECT_EQ(::SendMessageW(Bar(), PBM_GETPOS, 0, 0), done);
    }
    EXPECT_TRUE(prompts.prompts.empty());
    Post(WM_REPAIR_FINISHED);
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].text, kRepairSucceeded);
    EXPECT_EQ(prompts.prompts[0].title, ProgramFileTitle());
    EXPECT_EQ(Window(), nullptr) << "the window closes after the message";
    EXPECT_EQ(service.stops, 0);
}

TEST_F(RepairWindowTest, RangeHoldsMoreProblemsThanSixteenBits)
{
    ASSERT_TRUE(repair.Create());
    Post(WM_REPAIR_STARTED, 70000);
    Post(WM_REPAIR_PROGRESS, 69000);
    EXPECT_EQ(::SendMessageW(Bar(), PBM_GETRANGE, FALSE, 0), 70000);
    EXPECT_EQ(::SendMessageW(Bar(), PBM_GETPOS, 0, 0), 69000);
}

TEST_F(RepairWindowTest, ARepairThatWroteNoBackupOrLeftProblemsIsNotReportedAsDone)
{
    const struct {
        bool failed;
        bool leftProblems;
        const wchar_t* text;
    } cases[] = {
        {true, false,
         L"Riparazione non eseguita: non è stato possibile creare il file di backup. Il Registro non è stato "
         L"modificato."},
        {true, true,
         L"Riparazione non eseguita: non è stato possibile creare il file di backup. Il Registro non è stato "
         L"modificato."},
        {false, true, L"Alcuni problemi non sono stati riparati e sono rimasti nel Registro."},
    };
    for (const auto& c : cases) {
        service.failed = c.failed;
        service.leftProblems = c.leftProblems;
        prompts.prompts.clear();
        ASSERT_TRUE(repair.Create());
        Post(WM_REPAIR_STARTED, 3);
        Post(WM_REPAIR_FINISHED);
        ASSERT_EQ(prompts.prompts.size(), 1u);
        EXPECT_EQ(prompts.prompts[0].text, c.text);
        EXPECT_EQ(Window(), nullptr);
    }
}

TEST_F(RepairWindowTest, ARepairThatCannotStartSaysSoAndCloses)
{
    service.startSucceeds = false;
    static_cast<void>(repair.Create());
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].text, kRepairNotStarted);
    EXPECT_EQ(Window(), nullptr);
}

TEST_F(RepairWindowTest, CloseStopsTheRepairAndLateMessagesAreIgnored)
{
    ASSERT_TRUE(repair.Create());
    Post(WM_REPAIR_STARTED, 10);
    Post(WM_REPAIR_PROGRESS, 3);
    CTextReleaseCounter released;
    // The worker's last messages arrive while the window waits for it to stop.
    service.onStop = [this] {
        ASSERT_TRUE(PostText(Window(), WM_REPAIR_ITEM, L"HKEY_LOCAL_MACHINE\\Software\\Late"));
        ::SendMessageW(Window(), WM_REPAIR_FINISHED, 0, 0);
    };
    Command(Window(), IDCANCEL);
    EXPECT_EQ(service.stops, 1);
    EXPECT_EQ(Window(), nullptr);
    EXPECT_TRUE(prompts.prompts.empty()) << "no success message after a stop";
    EXPECT_EQ(released.Count(), 1) << "the late item's text was freed";
}

TEST_F(RepairWindowTest, EnterDoesNotStopTheRepair)
{
    ASSERT_TRUE(repair.Create());
    Command(Window(), IDOK);
    EXPECT_NE(Window(), nullptr);
    EXPECT_EQ(service.stops, 0);
    Command(Window(), IDCANCEL);
    EXPECT_EQ(service.stops, 1);
}

// --- repair summary --------------------------------------------------------------------

class SummaryTest : public testing::Test {
protected:
    ~SummaryTest() override
    {
        if (summary.GetSafeHwnd())
            summary.EndDialog(IDCANCEL);
    }
    void Set(int section, int found, int repaired, int ignored)
    {
        auto& counter = counters[static_cast<size_t>(section)];
        counter.Found = found;
        counter.Repaired = repaired;
        counter.Ignored = ignored;
    }
    HWND Window() const { return summary.GetSafeHwnd(); }

    SectionCounters counters;
    CResultStatus summary{counters};
};

TEST_F(SummaryTest, ShowsEachSectionAndTheTotals)
{
    Set(2, 3, 0, 3);
    Set(7, 4, 2, 2);
    Set(11, 2, 2, 0);
    ASSERT_TRUE(summary.Create());
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_TITLE), L"DATI DI RIPARAZIONE");
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_NAME_FIRST + 0), L"ActiveX / OLE");
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_NAME_FIRST + 11), L"Scorciatoie di programma");
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_FOUND_FIRST + 7), L"4");
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_REPAIRED_FIRST + 7), L"2");
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_IGNORED_FIRST + 7), L"2");
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_IGNORED_FIRST + 2), L"3");
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_FOUND_FIRST + 0), L"0");
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_TOTAL_FOUND), L"9");
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_TOTAL_REPAIRED), L"4");
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_TOTAL_IGNORED), L"5");
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_CLOSE), L"Chiudi");
    RECT row{};
    ::GetWindowRect(::GetDlgItem(Window(), IDC_STATUS_REPAIRED_FIRST + 11), &row);
    ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&row), 2);
    EXPECT_EQ(row.left, 400);
    EXPECT_EQ(row.top, 122 + 24 * 11);
    Command(Window(), IDC_STATUS_CLOSE);
    EXPECT_EQ(Window(), nullptr);
}

TEST_F(SummaryTest, TotalsOfHugeCountersDoNotWrap)
{
    for (int section = 0; section < kSectionCount; ++section)
        Set(section, 2000000000, 0, 0);
    ASSERT_TRUE(summary.Create());
    EXPECT_EQ(ControlText(Window(), IDC_STATUS_TOTAL_FOUND), L"24000000000");
}

TEST_F(SummaryTest, EscapeAndEnterClose)
{
    ASSERT_TRUE(summary.Create());
    Command(Window(), IDCANCEL);
    EXPECT_EQ(Window(), nullptr);
    ASSERT_TRUE(summary.Create());
    Command(Window(), IDOK);
    EXPECT_EQ(Window(), nullptr);
}

// --- restore window --------------------------------------------------------------------

FILETIME LocalTimeToFileTime(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    SYSTEMTIME local{year, month, 0, day, hour, minute, 0, 0};
    SYSTEMTIME utc{};
    FILETIME result{};
    if (::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc))
        ::SystemTimeToFileTime(&utc, &result);
    return result;
}

class FakeBackupService : public IBackupService {
public:
    void ListBackups() override
    {
        ++listings;
        for (const std::wstring& path : paths)
            static_cast<void>(PostText(window->GetSafeHwnd(), WM_BACKUP_FOUND, path));
    }
    RestoreOutcome RestoreBackup(const std::wstring& path) override
    {
        restored.push_back(path);
        return outcome;
    }

    const CDialogBase* window = nullptr;  // the restore window the backups are announced to
    std::vector<std::wstring> paths;
    std::vector<std::wstring> restored;
    RestoreOutcome outcome = RestoreOutcome::Restored;
    int listings = 0;
};

class RestoreWindowTest : public testing::Test {
protected:
    RestoreWindowTest()
    {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"velmora-restore-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder.c_str(), nullptr);
        service.window = &restore;
    }
    ~RestoreWindowTest() override
    {
        if (restore.GetSafeHwnd())
            restore.EndDialog(IDCANCEL);
        for (const std::wstring& path : made)
            ::DeleteFileW(path.c_str());
        ::RemoveDirectoryW(folder.c_str());
    }
    // Makes backup files dated 7 December 2026 at 21:47, 21:48 ...
    void MakeBackups(int count)
    {
        for (int i = 0; i < count; ++i) {
            const std::wstring path = folder + L"\\20261207_21" + std::to_wstring(47 + i) + L".dat";
            UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(file);
            const FILETIME created = LocalTimeToFileTime(2026, 12, 7, 21, static_cast<WORD>(47 + i));
            ::SetFileTime(file.get(), &created, nullptr, nullptr);
            made.push_back(path);
            service.paths.push_back(path);
        }
    }
    void Open()
    {
        ASSERT_TRUE(restore.Create());
        PumpMessages();
    }
    HWND Window() const { return restore.GetSafeHwnd(); }
    HWND List() const { return ::GetDlgItem(Window(), IDC_RESTORE_LIST); }
    int Lines() const { return static_cast<int>(::SendMessageW(List(), LB_GETCOUNT, 0, 0)); }
    std::wstring Line(int line) const
    {
        wchar_t text[256] = {};
        ::SendMessageW(List(), LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text));
        return text;
    }
    void Select(int line, bool select = true)
    {
        ::SendMessageW(List(), LB_SETSEL, select ? TRUE : FALSE, line);
    }
    int SelectedCount() const { return static_cast<int>(::SendMessageW(List(), LB_GETSELCOUNT, 0, 0)); }
    static bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::vector<std::wstring> Paths() const
    {
        return std::vector<std::wstring>(restore.Paths().begin(), restore.Paths().end());
    }

    std::wstring folder;
    std::vector<std::wstring> made;
    FakeBackupService service;
    PromptRecorder prompts;
    CRestoreBackupsDialog restore{service};
};

TEST(BackupDates, ReadAsEnglishDayMonthAndTime)
{
    EXPECT_EQ(BackupDateText(LocalTimeToFileTime(2026, 12, 7, 21, 47)), L"Monday, December 07, 2026 21:47");
    EXPECT_EQ(BackupDateText(LocalTimeToFileTime(2027, 1, 1, 0, 5)), L"Friday, January 01, 2027 00:05");
    EXPECT_EQ(BackupDateText(FILETIME{}), L"") << "a time before 1970 cannot be shown";
    EXPECT_EQ(BackupFileDateText(L"C:\\no such folder\\20260101_0000.dat"), L"");
}

TEST_F(RestoreWindowTest, ListsEachBackupByItsDateBesideItsPath)
{
    MakeBackups(3);
    Open();
    EXPECT_EQ(service.listings, 1);
    ASSERT_EQ(Lines(), 3);
    EXPECT_EQ(Paths(), service.paths);
    for (int line = 0; line < 3; ++line)
        EXPECT_EQ(Line(line), BackupFileDateText(service.paths[static_cast<size_t>(line)]));
    EXPECT_EQ(ControlText(Window(), IDC_RESTORE_TITLE), L"BACKUP DEL REGISTRO");
    EXPECT_EQ(ControlText(Window(), IDC_RESTORE_SELECT_ALL_LABEL), L"Seleziona / Deseleziona tutto");
    EXPECT_EQ(ControlText(Window(), IDC_RESTORE_RESTORE), L"Ripristina");
    EXPECT_EQ(ControlText(Window(), IDC_RESTORE_DELETE), L"Elimina");

    // Opened again, the window starts from an empty list.
    Command(Window(), IDC_RESTORE_CLOSE);
    EXPECT_EQ(Window(), nullptr);
    Open();
    EXPECT_EQ(Lines(), 3);
    EXPECT_EQ(restore.Paths().GetSize(), 3);
}

TEST_F(RestoreWindowTest, SelectAllBoxSelectsAndClearsEveryLine)
{
    MakeBackups(3);
    Open();
    const HWND box = ::GetDlgItem(Window(), IDC_RESTORE_SELECT_ALL);
    Click(box, 6, 6);
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SelectedCount(), 3);
    Click(box, 6, 6);
    EXPECT_EQ(SelectedCount(), 0);
}

TEST_F(RestoreWindowTest, RestoreWantsExactlyOneSelectedLine)
{
    MakeBackups(3);
    Open();
    Command(Window(), IDC_RESTORE_RESTORE);
    Select(0);
    Select(2);
    Command(Window(), IDC_RESTORE_RESTORE);
    ASSERT_EQ(prompts.prompts.size(), 2u);
    EXPECT_EQ(prompts.prompts[0].text, kChooseOneBackup);
    EXPECT_EQ(prompts.prompts[1].text, kChooseOneBackup);
    EXPECT_EQ(prompts.prompts[1].title, ProgramFileTitle());
    EXPECT_TRUE(service.restored.empty());
    EXPECT_EQ(Lines(), 3);
}

TEST_F(RestoreWindowTest, RestoreTakesTheSelectedLineAndThenDeletesItsFile)
{
    MakeBackups(3);
    Open();
    // Lines 0 and 1 clicked on, then line 1 off again: the caret rests on line 1, the
    // selection is line 0.
    Select(0);
    Select(1);
    ::SendMessageW(List(), LB_SETCARETINDEX, 1, FALSE);
    Select(1, false);
    Command(Window(), IDC_RESTORE_RESTORE);
    EXPECT_EQ(service.restored, std::vector<std::wstring>{made[0]});
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].text, L"Una precedente configurazione del Registro è stata ripristinata con successo.");
    EXPECT_FALSE(Exists(made[0]));
    EXPECT_TRUE(Exists(made[1]));
    EXPECT_EQ(Lines(), 2);
    EXPECT_EQ(Paths(), (std::vector<std::wstring>{made[1], made[2]}));
}

TEST_F(RestoreWindowTest, IncompleteRestoreKeepsTheFileAndItsLineAndSaysWhy)
{
    const struct {
        RestoreOutcome outcome;
        const wchar_t* message;
    } cases[] = {
        {RestoreOutcome::Failed, L"Non è stato possibile ripristinare questa configurazione del Registro."},
        {RestoreOutcome::NewerDataKept, L"Alcune voci non sono state ripristinate perché al loro posto si trovano "
                                        L"dati più recenti. Il backup è stato conservato."},
    };
    MakeBackups(2);
    for (const auto& c : cases) {
        service.outcome = c.outcome;
        service.restored.clear();
        prompts.prompts.clear();
        Open();
        Select(1);
        Command(Window(), IDC_RESTORE_RESTORE);
        EXPECT_EQ(service.restored, std::vector<std::wstring>{made[1]});
        ASSERT_EQ(prompts.prompts.size(), 1u);
        EXPECT_EQ(prompts.prompts[0].text, c.message);
        EXPECT_TRUE(Exists(made[1]));
        EXPECT_EQ(Lines(), 2);
        EXPECT_EQ(Paths(), (std::vector<std::wstring>{made[0], made[1]}));
        Command(Window(), IDC_RESTORE_CLOSE);
    }
}

TEST_F(RestoreWindowTest, DeleteRemovesTheSelectedFilesAndKeepsLinesWithTheirPaths)
{
    MakeBackups(3);
    Open();
    Select(0);
    Select(2);
    Command(Window(), IDC_RESTORE_DELETE);
    EXPECT_TRUE(prompts.prompts.empty()) << "no question, no message";
    EXPECT_FALSE(Exists(made[0]));
    EXPECT_TRUE(Exists(made[1]));
    EXPECT_FALSE(Exists(made[2]));
    ASSERT_EQ(Lines(), 1);
    EXPECT_EQ(Line(0), BackupFileDateText(made[1]));
    EXPECT_EQ(Paths(), std::vector<std::wstring>{made[1]});
    // The remaining line restores the file that is left.
    Select(0);
    Command(Window(), IDC_RESTORE_RESTORE);
    EXPECT_EQ(service.restored, std::vector<std::wstring>{made[1]});
    EXPECT_EQ(Lines(), 0);
}

TEST_F(RestoreWindowTest, WithoutBackupsBothButtonsAskForASelection)
{
    Open();
    EXPECT_EQ(Lines(), 0);
    Command(Window(), IDC_RESTORE_DELETE);
    Command(Window(), IDC_RESTORE_RESTORE);
    EXPECT_EQ(prompts.Texts(), (std::vector<std::wstring>{kChooseOneBackup, kChooseOneBackup}));
    Command(Window(), IDCANCEL);
    EXPECT_EQ(Window(), nullptr) << "Escape closes";
}

}  // namespace
