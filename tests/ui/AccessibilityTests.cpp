// What assistive software reads from the windows (role, name and state of each control,
// through the same call a screen reader makes), and a keyboard-only way through the
// results: untick a section and one problem, repair, and only those stay unrepaired.

#include "core/ScanSections.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/controls/AccessibleReading.h"
#include "tests/ui/ResultTestSupport.h"
#include "ui/EngineServices.h"
#include "ui/ResultStatus.h"
#include "ui/ScanDialog.h"
#include "ui/ScanProgressDialog.h"
#include "ui/ScanResultsDialog.h"
#include "ui/SectionControls.h"
#include "ui/SectionResultDialog.h"
#include "ui/SettingsDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Reading = AccessibleReading;

Reading Read(HWND control, long child = CHILDID_SELF) { return ReadAccessible(control, child); }

bool Checked(const Reading& reading) { return reading.Checked(); }

// A key pressed and let go in the window, through the dialog's own keyboard handling as
// the message loop of a modal window gives it.
void Press(HWND dialog, UINT key)
{
    for (const UINT message : {WM_KEYDOWN, WM_KEYUP}) {
        MSG msg{::GetFocus(), message, key, message == WM_KEYUP ? static_cast<LPARAM>(0xC0000001) : 1, 0, {}};
        if (!::IsDialogMessageW(dialog, &msg))
            ::DispatchMessageW(&msg);
    }
}

class Accessibility : public testing::Test {
protected:
    ComInitializer com;
};

TEST_F(Accessibility, MainWindowNamesEveryControlItActsOn)
{
    FakeSettings settings;
    FakeScanService scans;
    PromptRecorder prompts{IDNO};
    CScanProgressDialog progress{scans};
    CScanDialog window(false, MainWindowServices{scans, settings, progress, L"3.0.6", L"08/12/2026"});
    ASSERT_TRUE(window.Create());
    PumpMessages();
    const HWND hwnd = window.GetSafeHwnd();
    EXPECT_TRUE(Read(::GetDlgItem(hwnd, IDC_MAIN_SCAN)).state & STATE_SYSTEM_FOCUSED) << "the first focus";
    ::SendMessageW(::GetDlgItem(hwnd, kSectionControls[3].box), BM_SETCHECK, BST_UNCHECKED, 0);

    for (int section = 0; section < kSectionCount; ++section) {
        const Reading box = Read(::GetDlgItem(hwnd, kSectionControls[static_cast<size_t>(section)].box));
        EXPECT_EQ(box.role, ROLE_SYSTEM_CHECKBUTTON) << section;
        EXPECT_EQ(box.name, SectionName(section));
        EXPECT_EQ(Checked(box), section != 3) << section;
    }
    struct Case {
        int id;
        long role;
        std::wstring name;
    };
    const Case cases[] = {
        {IDC_MAIN_SCAN, ROLE_SYSTEM_PUSHBUTTON, L"Scansione"},
        {IDC_MAIN_UPDATE, ROLE_SYSTEM_PUSHBUTTON, L"Aggiorna"},
        {IDC_MAIN_MINIMIZE, ROLE_SYSTEM_PUSHBUTTON, L"Riduci a icona"},
        {IDC_MAIN_VERSION, ROLE_SYSTEM_STATICTEXT, L"Versione: 3.0.6"},
        {IDC_MAIN_UPDATE_STATUS, ROLE_SYSTEM_STATICTEXT, L"Aggiornamenti: Controllo..."},
        {IDC_MAIN_PROBLEM_COUNT, ROLE_SYSTEM_STATICTEXT, L"Trovati nel tuo sistema: 0 Errori di Registro"},
        {IDC_MAIN_GAUGE, ROLE_SYSTEM_GRAPHIC, L"Livello di pericolo: non valutato"},
    };
    for (const Case& expected : cases) {
        const Reading control = Read(::GetDlgItem(hwnd, expected.id));
        EXPECT_EQ(control.role, expected.role) << expected.id;
        EXPECT_EQ(control.name, expected.name) << expected.id;
    }
    ::EnableWindow(::GetDlgItem(hwnd, IDC_MAIN_NEW_SCAN), FALSE);
    EXPECT_TRUE(Read(::GetDlgItem(hwnd, IDC_MAIN_NEW_SCAN)).state & STATE_SYSTEM_UNAVAILABLE);
    // A click on a section's name ticks its box, as a click on the box does.
    Click(::GetDlgItem(hwnd, kSectionControls[3].name), 5, 5);
    EXPECT_TRUE(Checked(Read(::GetDlgItem(hwnd, kSectionControls[3].box))));
}

TEST_F(Accessibility, SettingsBoxesAreNamedByTheirLabelsAndEnterPressesTheFocusedButton)
{
    FakeSettings settings;
    settings.WriteSetting(L"StartWithWindows", L"false");
    settings.WriteSetting(L"StartScanAtProgramStartup", L"true");
    PromptRecorder prompts;
    CSettingsDialog window{settings};
    ASSERT_TRUE(window.Create());
    PumpMessages();
    struct Case {
        int id;
        std::wstring name;
        bool checked;
    };
    const Case cases[] = {
        {IDC_SETTINGS_START_WITH_WINDOWS, L"Lancia Velmora all’avvio di Windows.", false},
        {IDC_SETTINGS_SCAN_AT_STARTUP, L"Avvia scansione all’apertura del programma.", true},
        {IDC_SETTINGS_MONDAY, L"Lunedì", false},
        {IDC_SETTINGS_SUNDAY, L"Domenica", false},
    };
    for (const Case& expected : cases) {
        const Reading box = Read(window.GetDlgItem(expected.id));
        EXPECT_EQ(box.role, ROLE_SYSTEM_CHECKBUTTON) << expected.id;
        EXPECT_EQ(box.name, expected.name);
        EXPECT_EQ(Checked(box), expected.checked) << expected.id;
    }
    const Reading save = Read(window.GetDlgItem(IDOK));
    EXPECT_EQ(save.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(save.name, L"Salvare");

    // Enter with the focus on "Annulla" cancels: nothing is saved.
    ::SendMessageW(window.GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(window.GetDlgItem(IDCANCEL)), TRUE);
    EXPECT_TRUE(Read(window.GetDlgItem(IDCANCEL)).state & STATE_SYSTEM_FOCUSED);
    Press(window.GetSafeHwnd(), VK_RETURN);
    EXPECT_EQ(window.GetSafeHwnd(), nullptr);
    EXPECT_TRUE(prompts.prompts.empty()) << "no \"saved\" message";
    EXPECT_EQ(settings.Get(L"StartScanAtProgramStartup"), L"true");
}

class ResultsByKeyboard : public Accessibility {
protected:
    void Open(const CErrorListEx& problems)
    {
        sandbox.SetProblems(problems);
        ResultsWindowLinks links;
        links.showRepair = [this](HWND) { listAtRepair = sandbox.engine.ProblemList(); };
        links.showSummary = [](HWND) {};
        window.SetLinks(std::move(links));
        ASSERT_TRUE(window.Create());
        PumpMessages();
    }
    HWND List() { return window.List().GetSafeHwnd(); }

    ResultsSandbox sandbox;
    PromptRecorder prompts{IDNO};
    CEngineServices results{sandbox.engine};
    CScanResultsDialog window{results};
    CErrorListEx listAtRepair;
};

TEST_F(ResultsByKeyboard, ListsShowOneNamedCheckedChildPerRow)
{
    Open(MakeProblems({{2, 3}, {7, 31}}));
    const Reading list = Read(List());
    EXPECT_EQ(list.role, ROLE_SYSTEM_LIST);
    EXPECT_EQ(list.children, 2);
    EXPECT_EQ(::GetFocus(), List()) << "the first focus is where the user chooses";
    struct Case {
        long child;
        std::wstring name;
    };
    const Case rows[] = {{1, SectionName(2) + L", Errori: 3"}, {2, SectionName(7) + L", Errori: 31"}};
    for (const Case& row : rows) {
        const Reading item = Read(List(), row.child);
        EXPECT_EQ(item.role, ROLE_SYSTEM_LISTITEM);
        EXPECT_EQ(item.name, row.name);
        EXPECT_TRUE(Checked(item));
    }
    EXPECT_TRUE(Read(List(), 1).state & STATE_SYSTEM_FOCUSED);
    window.List().ToggleRow(1);
    EXPECT_FALSE(Checked(Read(List(), 2)));

    // A problem row says its summary and what it is about.
    CSectionResultDialog details(window.List().RowProblems(0), SectionName(2));
    ASSERT_TRUE(details.Create(window.GetSafeHwnd()));
    const Reading problem = Read(details.List().GetSafeHwnd(), 2);
    EXPECT_EQ(problem.role, ROLE_SYSTEM_LISTITEM);
    const CError& second = sandbox.engine.ProblemList()[1];
    EXPECT_EQ(problem.name, second.Summary + L": " + second.Reason);
    details.Cancel();

    // A number of the repair summary names its row and its column.
    CResultStatus summary(sandbox.engine.SectionCounters());
    ASSERT_TRUE(summary.Create(window.GetSafeHwnd()));
    EXPECT_EQ(Read(summary.GetDlgItem(IDC_STATUS_FOUND_FIRST + 2)).name, SectionName(2) + L", Errori: 0");
    summary.EndDialog(IDOK);
    window.CloseAndStore();
}

TEST_F(ResultsByKeyboard, UntickASectionAndOneProblemThenRepair)
{
    const CErrorListEx problems = MakeProblems({{2, 3}, {7, 4}, {11, 2}});
    window.List().SetSectionOpener([this](HWND owner, std::span<CScanResultInfo> rows, const std::wstring& name) {
        // The per-section window, driven by keys as its modal loop would pass them on.
        CSectionResultDialog details(rows, name);
        ASSERT_TRUE(details.Create(owner));
        const HWND hwnd = details.GetSafeHwnd();
        EXPECT_EQ(::GetFocus(), details.List().GetSafeHwnd());
        Press(hwnd, VK_END);
        Press(hwnd, VK_UP);
        Press(hwnd, VK_SPACE);  // the third of the four problems
        Press(hwnd, VK_TAB);    // to "Salva"
        Press(hwnd, VK_RETURN);
        EXPECT_EQ(details.GetSafeHwnd(), nullptr) << "saved and closed";
    });
    Open(problems);
    const HWND hwnd = window.GetSafeHwnd();
    Press(hwnd, VK_SPACE);   // section 2 dropped
    Press(hwnd, VK_DOWN);
    Press(hwnd, VK_RETURN);  // section 7's problems
    EXPECT_EQ(window.List().GetFocusedRow(), 1);
    ::SetFocus(List());
    // Tab goes list, "Chiudi", "Crea Rapporto", "Ripara i problemi".
    for (int i = 0; i < 3; ++i)
        Press(hwnd, VK_TAB);
    EXPECT_EQ(::GetFocus(), window.GetDlgItem(IDC_RESULTS_REPAIR));
    Press(hwnd, VK_RETURN);

    ASSERT_TRUE(window.IsRepairDone());
    std::vector<std::wstring> stored;
    for (const CError& problem : ResultsSandbox::StoredProblems())
        stored.push_back(problem.Subject);
    EXPECT_EQ(stored, (std::vector<std::wstring>{problems[0].Subject, problems[1].Subject, problems[2].Subject,
                                                 problems[5].Subject}));
    std::vector<std::wstring> repaired;
    for (const CError& problem : listAtRepair)
        repaired.push_back(problem.Subject);
    EXPECT_EQ(repaired, (std::vector<std::wstring>{problems[3].Subject, problems[4].Subject, problems[6].Subject,
                                                   problems[7].Subject, problems[8].Subject}));
}

}  // namespace
