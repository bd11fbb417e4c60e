// The user's first journey with the real Velmora.exe: the first start on a machine where
// it never ran, a scan of every section over planted problems, hiding to the tray and
// coming back, a second start, the automatic scan of "-scan", and "Esci" during a scan.
// Every message box is read and answered by its text, as a user would.

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/ProgramTexts.h"
#include "ui/AppMessages.h"
#include "ui/SectionControls.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cwctype>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace journey;

constexpr UINT kTrayIconId = 227;
constexpr DWORD kWait = 30000;
constexpr DWORD kSettleMs = 500;

constexpr wchar_t kStopped[] = L"La scansione è stata interrotta dall’utente.";
constexpr wchar_t kWaitForScan[] = L"Per favore, attendere il completamento della scansione.";

const std::wstring kAppPaths = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\VelmoraJourney";
const std::wstring kMissingProgram = L"C:\\Nowhere\\VelmoraJourney\\journey.exe";
const std::wstring kMissingDll = L"C:\\Nowhere\\VelmoraJourney\\shared.dll";
const std::wstring kFontValue = L"VelmoraJourney Sans (TrueType)";

const std::vector<std::wstring> kSettingNames{L"StartWithWindows",   L"StartScanAtProgramStartup",
                                              L"ShowInTaskbarOnClose", L"AllowAutoUpdates",
                                              L"IgnoredErrorsCount", L"LastScanDate"};

// The sections the planted problems fall in, with their count labels in the progress window.
struct PlantedSection {
    int section;
    int countLabel;
};
const std::vector<PlantedSection> kPlantedSections{{1, IDC_SECTION_COUNT_1},
                                                   {4, IDC_SECTION_COUNT_4},
                                                   {6, IDC_SECTION_COUNT_6},
                                                   {10, IDC_SECTION_COUNT_10}};

void SetPacing(bool on) { ::SetEnvironmentVariableW(L"VELMORA_NO_PAUSE", on ? nullptr : L"1"); }

std::optional<std::wstring> Setting(const std::wstring& name)
{
    return e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, name);
}

void ForgetTheProgram()
{
    for (const std::wstring& name : kSettingNames)
        e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, name);
    e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kRunKey, L"Velmora");
}

void ForgetTheStoredProblems()
{
    wchar_t stored[MAX_PATH] = {};
    if (::ExpandEnvironmentStringsW(L"%APPDATA%\\Velmora\\unresolvederrors.dat", stored, MAX_PATH))
        ::DeleteFileW(stored);
}

// "(n)" as the progress window shows a section's count; -1 when it is not that.
int CountOf(const std::wstring& label)
{
    if (label.size() < 3 || label.front() != L'(' || label.back() != L')')
        return -1;
    int value = 0;
    for (size_t i = 1; i + 1 < label.size(); ++i) {
        if (!std::iswdigit(label[i]))
            return -1;
        value = value * 10 + (label[i] - L'0');
    }
    return value;
}

// A button's text as the user reads it, without the mark of its access key.
std::wstring ButtonText(HWND box, int id)
{
    std::wstring text = e2e::ControlText(box, id);
    std::erase(text, L'&');
    return text;
}

bool LooksLikeScanDate(const std::wstring& text)
{
    // "%.2d-%s-%d": two digits, an Italian month abbreviation, four digits.
    return text.size() == 11 && std::iswdigit(text[0]) && std::iswdigit(text[1]) && text[2] == L'-' &&
           std::iswupper(text[3]) && std::iswupper(text[4]) && std::iswupper(text[5]) && text[6] == L'-' &&
           std::iswdigit(text[7]);
}

class Journey : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ForgetTheProgram();
        ForgetTheStoredProblems();
        // One problem in each of four sections, so that a scan has something to count.
        e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kRunKey, L"VelmoraJourney", kMissingProgram);
        e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kAppPaths, L"Path", kMissingProgram);
        e2e::WriteRegistryDword(HKEY_LOCAL_MACHINE, kSharedDllsKey, kMissingDll, 1);
        e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kFontsKey, kFontValue, L"C:\\Nowhere\\VelmoraJourney\\SANS.TTF");
        SetPacing(false);
    }

    static void TearDownTestSuite()
    {
        e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kRunKey, L"VelmoraJourney");
        e2e::DeleteRegistryTree(HKEY_LOCAL_MACHINE, kAppPaths);
        e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, kMissingDll);
        e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kFontsKey, kFontValue);
        ForgetTheProgram();
        // Results closed without a repair leave their problems in the store.
        ForgetTheStoredProblems();
        SetPacing(true);
    }

    HWND StartAndWaitForMainWindow(const std::wstring& arguments = L"")
    {
        if (!program.Start(arguments))
            return nullptr;
        const HWND main = e2e::WaitForProcessWindow(
            program.ProcessId(),
            [](HWND window) {
                wchar_t title[64] = {};
                ::GetWindowTextW(window, title, 64);
                return std::wstring(title) == kMainTitle;
            },
            kWait);
        // Settled as a user finds it: up, painted, and waiting for input.
        return main && program.WaitForInputIdle(kWait) ? main : nullptr;
    }

    HWND WaitForProgressWindow()
    {
        return e2e::WaitForProcessWindow(
            program.ProcessId(),
            [](HWND window) {
                wchar_t title[64] = {};
                ::GetWindowTextW(window, title, 64);
                return std::wstring(title) == kProgressTitle;
            },
            kWait);
    }

    // After a scan the main window shows the results, closed here with Escape as a user
    // leaving them would, or, when nothing was found, asks whether to send a report,
    // answered No. Returns once the scan command is over and the main window takes input.
    void WaitUntilMainWindowIsBack(HWND main)
    {
        const DWORD processId = program.ProcessId();
        for (;;) {
            // The program reads messages again either in the main window, the scan command
            // over, or in a window the command opened: the main window is disabled then.
            ASSERT_TRUE(e2e::WaitForMessageLoop(main, kWait)) << "the program does not answer";
            // The loop may have answered between the end of the scan command's window and
            // a question the command asks next: back means still back a moment later.
            if (::IsWindowEnabled(main)) {
                ::Sleep(kSettleMs);
                ASSERT_TRUE(e2e::WaitForMessageLoop(main, kWait)) << "the program does not answer";
                if (::IsWindowEnabled(main))
                    return;
                continue;
            }
            const HWND shown = e2e::WaitForProcessWindow(
                processId, [&](HWND window) { return window != main && ::IsWindowEnabled(window); }, kWait);
            ASSERT_NE(shown, nullptr) << "the main window is disabled, yet nothing else is shown";
            if (e2e::IsMessageBox(shown)) {
                const std::wstring question = e2e::AnswerMessageBox(processId, IDNO, kWait);
                ASSERT_EQ(question.rfind(L"Buone notizie!", 0), 0u) << "unexpected message: " << question;
            } else {
                e2e::PressKey(shown, VK_ESCAPE);
            }
            ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindowVisible(shown); }, kWait));
        }
    }

    void EndThroughExit(HWND main)
    {
        e2e::AskToExit(main);
        DWORD exitCode = 99;
        ASSERT_TRUE(program.WaitForExit(kWait, exitCode)) << "\"Esci\" did not end the program";
        EXPECT_EQ(exitCode, 1u);
    }

    e2e::RunningProgram program;
};

TEST_F(Journey, FirstStartWritesTheDefaultsAndShowsTheStatistics)
{
    const HWND main = StartAndWaitForMainWindow();
    ASSERT_NE(main, nullptr) << "the main window did not appear";
    EXPECT_EQ(Setting(L"StartWithWindows"), L"true");
    EXPECT_EQ(Setting(L"StartScanAtProgramStartup"), L"false");
    EXPECT_EQ(Setting(L"ShowInTaskbarOnClose"), L"true");
    EXPECT_EQ(Setting(L"AllowAutoUpdates"), L"false");
    const std::optional<std::wstring> run = e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kRunKey, L"Velmora");
    ASSERT_TRUE(run.has_value()) << "no start-with-Windows entry";
    const std::wstring quotedProgram = L'"' + e2e::Settings().program + L'"';
    EXPECT_EQ(::lstrcmpiW(run->c_str(), quotedProgram.c_str()), 0) << "Run entry: " << *run;

    EXPECT_EQ(e2e::ControlText(main, IDC_MAIN_VERSION), L"3.0.6");
    EXPECT_EQ(e2e::ControlText(main, IDC_MAIN_TITLE), L"Velmora v3.0.6");
    EXPECT_EQ(e2e::ControlText(main, IDC_MAIN_RELEASE_DATE).size(), 10u);
    EXPECT_EQ(e2e::ControlText(main, IDC_MAIN_LAST_SCAN), L"Non ancora effettuata");
    EXPECT_EQ(e2e::ControlText(main, IDC_MAIN_PROBLEM_COUNT), L"0 Errori di Registro");
    ::Sleep(300);  // let the labels paint before the picture is taken
    EXPECT_TRUE(e2e::SaveScreenshot(main, L"journey-main-before-scan"));

    // No stored problems: the results button brings the good news, in a system message box
    // that speaks Italian as the program does.
    e2e::ClickButton(main, IDC_MAIN_LAST_RESULTS);
    const HWND question = e2e::WaitForMessageBox(program.ProcessId(), kWait);
    ASSERT_NE(question, nullptr) << "no message box";
    EXPECT_EQ(ButtonText(question, IDYES), L"Sì");
    EXPECT_EQ(ButtonText(question, IDNO), L"No");
    EXPECT_TRUE(e2e::SaveScreenshot(question, L"journey-message-box"));
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDNO, kWait).rfind(L"Buone notizie!", 0), 0u);
    EndThroughExit(main);
}

TEST_F(Journey, ScanOfAllSectionsCountsThePlantedProblems)
{
    const HWND main = StartAndWaitForMainWindow();
    ASSERT_NE(main, nullptr);
    e2e::ClickButton(main, IDC_MAIN_SCAN);
    const HWND progress = WaitForProgressWindow();
    ASSERT_NE(progress, nullptr) << "the progress window did not appear";
    EXPECT_FALSE(::IsWindowEnabled(main)) << "the main window waits for the scan";

    const HWND finished = e2e::WaitForMessageBox(program.ProcessId(), kWait * 4);
    ASSERT_NE(finished, nullptr) << "the scan did not finish";
    EXPECT_EQ(e2e::MessageBoxText(finished), kScanFinished);
    // The rows keep their counts while the message is up.
    for (const PlantedSection& planted : kPlantedSections)
        EXPECT_GE(CountOf(e2e::ControlText(progress, planted.countLabel)), 1) << "section " << planted.section;
    EXPECT_EQ(::SendMessageW(::GetDlgItem(progress, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0), 100);
    EXPECT_TRUE(e2e::SaveScreenshot(progress, L"journey-progress-finished"));
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kScanFinished);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(progress); }, kWait)) << "the progress window stayed";

    WaitUntilMainWindowIsBack(main);
    const std::wstring date = e2e::ControlText(main, IDC_MAIN_LAST_SCAN);
    EXPECT_TRUE(LooksLikeScanDate(date)) << "last scan: " << date;
    EXPECT_EQ(Setting(L"LastScanDate"), date);
    ::Sleep(300);
    EXPECT_TRUE(e2e::SaveScreenshot(main, L"journey-main-after-scan"));
    EndThroughExit(main);
}

TEST_F(Journey, CloseHidesToTheTrayAndASecondStartBringsTheWindowBack)
{
    const HWND main = StartAndWaitForMainWindow();
    ASSERT_NE(main, nullptr);
    e2e::ClickButton(main, IDC_MAIN_CLOSE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindowVisible(main); }, kWait)) << "close did not hide";
    ASSERT_TRUE(e2e::ChooseTrayMenuEntry(main, WM_TRAY_NOTIFY, kTrayIconId, e2e::TrayEntry::First))
        << "the tray menu did not open";
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowVisible(main) != FALSE; }, kWait))
        << "\"Apri Velmora\" did not bring the window back";

    e2e::ClickButton(main, IDC_MAIN_CLOSE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindowVisible(main); }, kWait));
    e2e::RunningProgram second;
    ASSERT_TRUE(second.Start());
    DWORD exitCode = 99;
    ASSERT_TRUE(second.WaitForExit(kWait, exitCode)) << "the second start kept running";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(e2e::WaitUntil([&] { return ::IsWindowVisible(main) != FALSE; }, kWait))
        << "the second start did not show the first window";
    EXPECT_TRUE(e2e::WaitUntil([&] { return ::GetForegroundWindow() == main; }, kWait))
        << "the first window is not in front";
    DWORD stillRunning = 0;
    EXPECT_FALSE(program.WaitForExit(0, stillRunning)) << "the first instance ended";
    EndThroughExit(main);
}

TEST_F(Journey, ScanArgumentStartsAScanAtTheFirstPaint)
{
    const HWND main = StartAndWaitForMainWindow(L"-scan");
    ASSERT_NE(main, nullptr);
    const HWND progress = WaitForProgressWindow();
    ASSERT_NE(progress, nullptr) << "\"-scan\" started no scan";
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait * 4), kScanFinished);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(progress); }, kWait));
    WaitUntilMainWindowIsBack(main);
    EndThroughExit(main);
}

TEST_F(Journey, StoppedScanSaysItWasStoppedAndNotThatAllIsWell)
{
    e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, L"IgnoredErrorsCount", L"7");
    // The shipped pace: eight sections take well over a second, time enough to stop them.
    SetPacing(true);
    const HWND main = StartAndWaitForMainWindow();
    SetPacing(false);
    ASSERT_NE(main, nullptr);
    // Only the sections without planted problems: this scan finds nothing before the stop.
    for (const PlantedSection& planted : kPlantedSections)
        ::SendMessageW(::GetDlgItem(main, kSectionControls[static_cast<size_t>(planted.section)].box), BM_SETCHECK,
                       BST_UNCHECKED, 0);
    e2e::ClickButton(main, IDC_MAIN_SCAN);
    const HWND progress = WaitForProgressWindow();
    ASSERT_NE(progress, nullptr);
    e2e::ClickButton(progress, IDC_PROGRESS_STOP);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kStopped);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(progress); }, kWait));

    ASSERT_TRUE(e2e::WaitForMessageLoop(main, kWait));
    EXPECT_EQ(e2e::WaitForMessageBox(program.ProcessId(), 2000), nullptr) << "a stopped scan tells more";
    EXPECT_TRUE(::IsWindowEnabled(main));
    EXPECT_EQ(e2e::ControlText(main, IDC_MAIN_PROBLEM_COUNT), L"7 Errori di Registro")
        << "the problems left unresolved earlier stay";
    EndThroughExit(main);
}

TEST_F(Journey, ExitDuringAScanOnlyAsksToWait)
{
    // The shipped pace (a pause after each section) keeps this scan running while the
    // tray menu is used.
    SetPacing(true);
    const HWND main = StartAndWaitForMainWindow(L"-scan");
    SetPacing(false);
    ASSERT_NE(main, nullptr);
    const HWND progress = WaitForProgressWindow();
    ASSERT_NE(progress, nullptr);
    const HWND bar = ::GetDlgItem(progress, IDC_PROGRESS_BAR);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::SendMessageW(bar, PBM_GETPOS, 0, 0) >= 8; }, kWait));
    EXPECT_TRUE(e2e::SaveScreenshot(progress, L"journey-progress-mid-scan"));

    ASSERT_TRUE(e2e::ChooseTrayMenuEntry(main, WM_TRAY_NOTIFY, kTrayIconId, e2e::TrayEntry::Last));
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kWaitForScan);
    DWORD exitCode = 99;
    EXPECT_FALSE(program.WaitForExit(0, exitCode)) << "\"Esci\" ended the program during the scan";
    EXPECT_TRUE(::IsWindowVisible(progress));

    e2e::ClickButton(progress, IDC_PROGRESS_STOP);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kStopped);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(progress); }, kWait));
    WaitUntilMainWindowIsBack(main);

    ASSERT_TRUE(e2e::ChooseTrayMenuEntry(main, WM_TRAY_NOTIFY, kTrayIconId, e2e::TrayEntry::Last));
    ASSERT_TRUE(program.WaitForExit(kWait, exitCode)) << "\"Esci\" did not end the program";
    EXPECT_EQ(exitCode, 1u);
}

}  // namespace
