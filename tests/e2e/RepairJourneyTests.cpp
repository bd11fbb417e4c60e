// The repair journey with the real Velmora.exe: problems planted in three sections, a
// scan of those sections, the results by section, one section dropped and two problems
// of another dropped in its own window ("Annulla" once, "Salva" the second time), the
// repair with its progress and message, the summary, the unrepaired count in the main
// window, the restore of the backup the repair wrote, and the results button reloading
// the unrepaired problems. Every window is photographed.

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/ProgramTexts.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace journey;

constexpr wchar_t kResultsTitle[] = L"Velmora - Risultati della scansione";
constexpr wchar_t kSectionTitle[] = L"Velmora - Dettagli della sezione";
constexpr wchar_t kRepairTitle[] = L"Velmora - Riparazione";
constexpr wchar_t kSummaryTitle[] = L"Velmora - Dati di riparazione";
constexpr DWORD kWait = 30000;

constexpr wchar_t kRepairSucceeded[] =
    L"Tutti i problemi sono stati riparati con successo. Cliccare su OK per proseguire.";

const std::wstring kNowhere = L"C:\\Nowhere\\VelmoraRepair\\";

// Section numbers of the planted problems, and how many each has.
constexpr int kStartup = 4;
constexpr int kSharedDllSection = 6;
constexpr int kFontSection = 10;
const std::vector<std::wstring> kRunValues{L"VelmoraRepairA", L"VelmoraRepairB", L"VelmoraRepairC"};
const std::vector<std::wstring> kDllValues{kNowhere + L"one.dll", kNowhere + L"two.dll", kNowhere + L"three.dll"};
const std::vector<std::wstring> kFontValues{L"VelmoraRepair Sans (TrueType)", L"VelmoraRepair Serif (TrueType)"};
const std::vector<std::wstring> kFontFiles{kNowhere + L"SANS.TTF", kNowhere + L"SERIF.TTF"};

// Section rows of the results list (35 pixels each) and problem rows of the per-section
// list (60 pixels each): where to click.
constexpr int kSectionRow = 35;
constexpr int kProblemRow = 60;
POINT RowCheckBox(int row) { return {11, row * kSectionRow + 16}; }
POINT RowDetailsIcon(int row) { return {207, row * kSectionRow + 17}; }

struct Value {
    DWORD type = 0;
    std::vector<BYTE> data;
    bool operator==(const Value& other) const { return type == other.type && data == other.data; }
};
using KeyExport = std::map<std::wstring, Value>;

// Every value of a key with its type and bytes, as an export of the key would list them.
KeyExport ExportKey(HKEY root, const std::wstring& path)
{
    KeyExport values;
    UniqueHKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384] = {};
        DWORD nameLength = 16384;
        DWORD type = 0;
        DWORD size = 0;
        if (::RegEnumValueW(key.get(), index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        Value value{type, std::vector<BYTE>(size)};
        nameLength = 16384;
        if (::RegEnumValueW(key.get(), index, name, &nameLength, nullptr, &type, value.data.data(), &size) ==
            ERROR_SUCCESS) {
            value.data.resize(size);
            values[name] = value;
        }
    }
    return values;
}

bool HasValue(const KeyExport& key, const std::wstring& name) { return key.find(name) != key.end(); }

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// "%A, %B %d, %Y %H:%M" of the minute a backup's name carries ("20261207_2147...").
std::wstring DateOfBackupName(const std::wstring& name)
{
    if (name.size() < 13)
        return {};
    std::tm time{};
    time.tm_year = std::stoi(name.substr(0, 4)) - 1900;
    time.tm_mon = std::stoi(name.substr(4, 2)) - 1;
    time.tm_mday = std::stoi(name.substr(6, 2));
    time.tm_hour = std::stoi(name.substr(9, 2));
    time.tm_min = std::stoi(name.substr(11, 2));
    time.tm_isdst = -1;
    std::mktime(&time);  // fills in the day of the week
    char text[128] = {};
    const size_t length = std::strftime(text, sizeof(text), "%A, %B %d, %Y %H:%M", &time);
    return std::wstring(text, text + length);
}

std::wstring ListLine(HWND list, int line)
{
    const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(line), 0);
    if (length < 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

// How many pixels of the client area show exactly this colour.
int CountColor(HWND window, RECT area, COLORREF color)
{
    const HDC dc = ::GetDC(window);
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += ::GetPixel(dc, x, y) == color ? 1 : 0;
    ::ReleaseDC(window, dc);
    return count;
}

// A click of the left button at a client point, as the mouse gives it. Sent, so it has
// been handled when this returns; PostClick for a click that opens a modal window, which
// would otherwise hold the driver until it closes.
void SendClick(HWND window, POINT point)
{
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

void PostClick(HWND window, POINT point)
{
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

class RepairJourney : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::SetEnvironmentVariableW(L"VELMORA_NO_PAUSE", L"1");
        Unplant();
        e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, L"IgnoredErrorsCount");
        for (const std::wstring& name : kRunValues)
            e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kRunKey, name, kNowhere + name + L".exe");
        for (size_t i = 0; i < kDllValues.size(); ++i)
            e2e::WriteRegistryDword(HKEY_LOCAL_MACHINE, kSharedDllsKey, kDllValues[i], static_cast<DWORD>(i + 1));
        for (size_t i = 0; i < kFontValues.size(); ++i)
            e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kFontsKey, kFontValues[i], kFontFiles[i]);
        backupFolder = FolderOf(e2e::Settings().program) + L"\\backup";
        backupsBefore = e2e::DatFilesIn(backupFolder);
    }

    void TearDown() override
    {
        Unplant();
        for (const std::wstring& name : e2e::DatFilesIn(backupFolder))
            if (!backupsBefore.count(name))
                ::DeleteFileW((backupFolder + L"\\" + name).c_str());
        e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, L"IgnoredErrorsCount");
        wchar_t stored[MAX_PATH] = {};
        if (::ExpandEnvironmentStringsW(L"%APPDATA%\\Velmora\\unresolvederrors.dat", stored, MAX_PATH) > 0)
            ::DeleteFileW(stored);
        ::SetEnvironmentVariableW(L"VELMORA_NO_PAUSE", nullptr);
    }

    static void Unplant()
    {
        for (const std::wstring& name : kRunValues)
            e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kRunKey, name);
        for (const std::wstring& name : kDllValues)
            e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, name);
        for (const std::wstring& name : kFontValues)
            e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kFontsKey, name);
    }

    HWND WaitForTitle(const wchar_t* title)
    {
        return e2e::WaitForProcessWindow(program.ProcessId(), [title](HWND window) { return e2e::TitleIs(window, title); },
                                         kWait);
    }

    // Returns once the program reads its messages again, in whichever window's loop.
    void Settle(HWND window) { ASSERT_TRUE(e2e::WaitForMessageLoop(window, kWait)) << "the program does not answer"; }

    void Photograph(HWND window, const std::wstring& name)
    {
        ::Sleep(300);  // posted clicks and the paints they cause, before the picture
        EXPECT_TRUE(e2e::SaveScreenshot(window, name)) << name;
    }

    int SummaryNumber(HWND summary, int firstId, int section)
    {
        const std::wstring text = e2e::ControlText(summary, firstId + section);
        return text.empty() ? -1 : std::stoi(text);
    }

    // Opens the per-section window of a row, unticks its first two problems and leaves it
    // with the button given.
    void UntickTwoProblems(HWND list, int row, int button, const std::wstring& picture)
    {
        PostClick(list, RowDetailsIcon(row));
        const HWND details = WaitForTitle(kSectionTitle);
        ASSERT_NE(details, nullptr) << "the per-section window did not open";
        EXPECT_EQ(e2e::ControlText(details, IDC_SECTION_RESULT_COUNT),
                  L"3 Problemi sono stati rilevati in questa sezione.");
        const HWND problems = ::GetDlgItem(details, IDC_SECTION_RESULT_LIST);
        ASSERT_NE(problems, nullptr);
        SendClick(problems, POINT{100, 10});
        SendClick(problems, POINT{100, kProblemRow + 10});
        if (!picture.empty())
            Photograph(details, picture);
        e2e::ClickButton(details, button);
        ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(details); }, kWait)) << "the window stayed open";
    }

    // The main window once the program has started and reads its messages; null otherwise.
    HWND StartProgram()
    {
        if (!program.Start())
            return nullptr;
        const HWND main = WaitForTitle(kMainTitle);
        return main && program.WaitForInputIdle(kWait) ? main : nullptr;
    }

    // Only the three planted sections are scanned.
    static void ScanPlantedSections(HWND main)
    {
        for (int section = 0; section < 12; ++section) {
            const int boxes[] = {IDC_SECTION_BOX_0, IDC_SECTION_BOX_1, IDC_SECTION_BOX_2,  IDC_SECTION_BOX_3,
                                 IDC_SECTION_BOX_4, IDC_SECTION_BOX_5, IDC_SECTION_BOX_6,  IDC_SECTION_BOX_7,
                                 IDC_SECTION_BOX_8, IDC_SECTION_BOX_9, IDC_SECTION_BOX_10, IDC_SECTION_BOX_11};
            const bool planted = section == kStartup || section == kSharedDllSection || section == kFontSection;
            ::SendMessageW(::GetDlgItem(main, boxes[section]), BM_SETCHECK, planted ? BST_CHECKED : BST_UNCHECKED,
                           0);
        }
        e2e::ClickButton(main, IDC_MAIN_SCAN);
    }

    e2e::RunningProgram program;
    std::wstring backupFolder;
    std::set<std::wstring> backupsBefore;
};

// The window of the program that has the keyboard focus now.
HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

TEST_F(RepairJourney, KeyboardOnlyDropsASectionAndAProblem)
{
    const HWND main = StartProgram();
    ASSERT_NE(main, nullptr) << "the main window did not appear";
    const KeyExport fontsBefore = ExportKey(HKEY_LOCAL_MACHINE, kFontsKey);
    ScanPlantedSections(main);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kScanFinished);
    const HWND results = WaitForTitle(kResultsTitle);
    ASSERT_NE(results, nullptr) << "the results window did not open";
    Settle(results);
    const HWND list = ::GetDlgItem(results, IDC_RESULTS_LIST);
    ASSERT_EQ(FocusOf(results), list) << "the first focus is on the list";

    // Rows: the start-up entries, the shared DLLs, the fonts. The fonts are dropped, and
    // one shared DLL in the section's own window.
    e2e::PressKey(list, VK_END);
    e2e::PressKey(list, VK_SPACE);
    e2e::PressKey(list, VK_UP);
    e2e::PressKey(list, VK_RETURN);
    const HWND details = WaitForTitle(kSectionTitle);
    ASSERT_NE(details, nullptr) << "Enter did not open the section";
    Settle(details);
    const HWND problems = ::GetDlgItem(details, IDC_SECTION_RESULT_LIST);
    ASSERT_EQ(FocusOf(details), problems);
    e2e::PressKey(problems, VK_SPACE);
    Photograph(details, L"keyboard-journey-section-window");
    e2e::PressKey(problems, VK_RETURN);  // "Salva", the window's default
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(details); }, kWait)) << "the window stayed open";
    Settle(results);
    Photograph(results, L"keyboard-journey-results");

    // Tab to "Ripara i problemi", past "Chiudi" and "Crea Rapporto", and Enter.
    ASSERT_EQ(FocusOf(results), list) << "the focus came back to the list";
    for (int i = 0; i < 3; ++i) {
        const HWND before = FocusOf(results);
        e2e::PressKey(before, VK_TAB);
        ASSERT_TRUE(e2e::WaitUntil([&] { return FocusOf(results) != before; }, kWait)) << "Tab did not move";
    }
    ASSERT_EQ(FocusOf(results), ::GetDlgItem(results, IDC_RESULTS_REPAIR));
    e2e::PressKey(FocusOf(results), VK_RETURN);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kRepairSucceeded);
    const HWND summary = WaitForTitle(kSummaryTitle);
    ASSERT_NE(summary, nullptr) << "the summary did not open";
    EXPECT_EQ(SummaryNumber(summary, IDC_STATUS_IGNORED_FIRST, kSharedDllSection), 1);
    EXPECT_EQ(SummaryNumber(summary, IDC_STATUS_IGNORED_FIRST, kFontSection), 2);
    EXPECT_EQ(e2e::ControlText(summary, IDC_STATUS_TOTAL_REPAIRED), L"5");
    Settle(summary);
    e2e::PressKey(summary, VK_ESCAPE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(results); }, kWait)) << "the results window stayed";

    const KeyExport dllsRepaired = ExportKey(HKEY_LOCAL_MACHINE, kSharedDllsKey);
    int dllsLeft = 0;
    for (const std::wstring& name : kDllValues)
        dllsLeft += HasValue(dllsRepaired, name) ? 1 : 0;
    EXPECT_EQ(dllsLeft, 1) << "the unticked problem stays, and only it";
    for (const std::wstring& name : kRunValues)
        EXPECT_FALSE(HasValue(ExportKey(HKEY_LOCAL_MACHINE, kRunKey), name)) << "not repaired: " << name;
    EXPECT_EQ(ExportKey(HKEY_LOCAL_MACHINE, kFontsKey), fontsBefore) << "the dropped section stays untouched";
    e2e::AskToExit(main);
    DWORD exitCode = 0;
    EXPECT_TRUE(program.WaitForExit(kWait, exitCode));
}

TEST_F(RepairJourney, ScanRepairSummaryRestoreAndReload)
{
    const HWND main = StartProgram();
    ASSERT_NE(main, nullptr) << "the main window did not appear";
    // Taken once the program has written its own start-up entry.
    const KeyExport runBefore = ExportKey(HKEY_LOCAL_MACHINE, kRunKey);
    const KeyExport dllsBefore = ExportKey(HKEY_LOCAL_MACHINE, kSharedDllsKey);
    const KeyExport fontsBefore = ExportKey(HKEY_LOCAL_MACHINE, kFontsKey);

    ScanPlantedSections(main);
    ASSERT_NE(WaitForTitle(kProgressTitle), nullptr) << "no scan started";
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kScanFinished);

    // --- results: one row per section ---------------------------------------------------
    const HWND results = WaitForTitle(kResultsTitle);
    ASSERT_NE(results, nullptr) << "the results window did not open";
    EXPECT_EQ(e2e::ControlText(results, IDC_RESULTS_BANNER), L"Attenzione! Sono stati trovati 8 errori di Registro.");
    EXPECT_EQ(e2e::ControlText(results, IDC_RESULTS_TOTAL), L"8");
    const HWND list = ::GetDlgItem(results, IDC_RESULTS_LIST);
    ASSERT_NE(list, nullptr);
    Settle(results);
    Photograph(results, L"repair-journey-1-results");

    // The fonts (row 2) are dropped; two shared DLLs (row 1) are dropped in their own
    // window: "Annulla" the first time puts them back, "Salva" the second time keeps it.
    SendClick(list, RowCheckBox(2));
    UntickTwoProblems(list, 1, IDC_SECTION_RESULT_CANCEL, L"repair-journey-2-section-window");
    UntickTwoProblems(list, 1, IDC_SECTION_RESULT_SAVE, L"");
    Photograph(results, L"repair-journey-3-results-chosen");

    // --- repair -------------------------------------------------------------------------------
    e2e::ClickButton(results, IDC_RESULTS_REPAIR);
    const HWND repair = WaitForTitle(kRepairTitle);
    ASSERT_NE(repair, nullptr) << "the repair window did not open";
    const HWND done = e2e::WaitForMessageBox(program.ProcessId(), kWait);
    ASSERT_NE(done, nullptr) << "the repair did not finish";
    const HWND bar = ::GetDlgItem(repair, IDC_REPAIR_PROGRESS);
    EXPECT_EQ(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 4) << "four problems stayed chosen";
    EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), 4);
    Photograph(repair, L"repair-journey-4-repair");
    EXPECT_EQ(e2e::MessageBoxText(done), kRepairSucceeded);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kRepairSucceeded);

    // --- summary ------------------------------------------------------------------------------
    const HWND summary = WaitForTitle(kSummaryTitle);
    ASSERT_NE(summary, nullptr) << "the summary did not open";
    for (int section = 0; section < 12; ++section) {
        const int found = SummaryNumber(summary, IDC_STATUS_FOUND_FIRST, section);
        const int repaired = SummaryNumber(summary, IDC_STATUS_REPAIRED_FIRST, section);
        const int ignored = SummaryNumber(summary, IDC_STATUS_IGNORED_FIRST, section);
        EXPECT_EQ(repaired, found - ignored) << "section " << section;
    }
    EXPECT_EQ(SummaryNumber(summary, IDC_STATUS_FOUND_FIRST, kStartup), 3);
    EXPECT_EQ(SummaryNumber(summary, IDC_STATUS_IGNORED_FIRST, kStartup), 0);
    EXPECT_EQ(SummaryNumber(summary, IDC_STATUS_FOUND_FIRST, kSharedDllSection), 3);
    EXPECT_EQ(SummaryNumber(summary, IDC_STATUS_IGNORED_FIRST, kSharedDllSection), 2);
    EXPECT_EQ(SummaryNumber(summary, IDC_STATUS_FOUND_FIRST, kFontSection), 2);
    EXPECT_EQ(SummaryNumber(summary, IDC_STATUS_IGNORED_FIRST, kFontSection), 2);
    EXPECT_EQ(e2e::ControlText(summary, IDC_STATUS_TOTAL_FOUND), L"8");
    EXPECT_EQ(e2e::ControlText(summary, IDC_STATUS_TOTAL_REPAIRED), L"4");
    EXPECT_EQ(e2e::ControlText(summary, IDC_STATUS_TOTAL_IGNORED), L"4");
    Photograph(summary, L"repair-journey-5-summary");
    e2e::ClickButton(summary, IDC_STATUS_CLOSE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(results); }, kWait)) << "the results window stayed";
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(main) != FALSE; }, kWait));

    // What the repair removed, and what it left.
    const KeyExport runRepaired = ExportKey(HKEY_LOCAL_MACHINE, kRunKey);
    const KeyExport dllsRepaired = ExportKey(HKEY_LOCAL_MACHINE, kSharedDllsKey);
    const KeyExport fontsRepaired = ExportKey(HKEY_LOCAL_MACHINE, kFontsKey);
    for (const std::wstring& name : kRunValues)
        EXPECT_FALSE(HasValue(runRepaired, name)) << "not repaired: " << name;
    int dllsLeft = 0;
    for (const std::wstring& name : kDllValues)
        dllsLeft += HasValue(dllsRepaired, name) ? 1 : 0;
    EXPECT_EQ(dllsLeft, 2) << "the two problems left unchosen stay";
    EXPECT_EQ(fontsRepaired, fontsBefore) << "the dropped section stays untouched";

    // --- the main window counts what is left --------------------------------------------
    Settle(main);
    EXPECT_EQ(e2e::ControlText(main, IDC_MAIN_PROBLEM_COUNT), L"4 Errori di Registro");
    EXPECT_EQ(e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, L"IgnoredErrorsCount"), L"4");
    ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_GT(CountColor(main, RECT{257, 409, 457, 430}, RGB(255, 0, 0)), 20) << "the count is not shown in red";
    Photograph(main, L"repair-journey-6-main-after-repair");

    // --- restore ---------------------------------------------------------------------------
    std::vector<std::wstring> written;
    for (const std::wstring& name : e2e::DatFilesIn(backupFolder))
        if (!backupsBefore.count(name))
            written.push_back(name);
    ASSERT_EQ(written.size(), 1u) << "the repair wrote one backup";
    const std::wstring expectedLine = DateOfBackupName(written[0]);

    e2e::ClickButton(main, IDC_MAIN_RESTORE);
    const HWND restore = WaitForTitle(kRestoreTitle);
    ASSERT_NE(restore, nullptr) << "the restore window did not open";
    const HWND backups = ::GetDlgItem(restore, IDC_RESTORE_LIST);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::SendMessageW(backups, LB_GETCOUNT, 0, 0) > 0; }, kWait));
    Settle(restore);
    int line = -1;
    const int lines = static_cast<int>(::SendMessageW(backups, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < lines && line < 0; ++i)
        if (ListLine(backups, i) == expectedLine)
            line = i;
    ASSERT_GE(line, 0) << "no line reads " << std::string(expectedLine.begin(), expectedLine.end());
    ::SendMessageW(backups, LB_SETSEL, TRUE, line);
    Photograph(restore, L"repair-journey-7-restore");
    e2e::ClickButton(restore, IDC_RESTORE_RESTORE);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kRestored);
    EXPECT_EQ(::GetFileAttributesW((backupFolder + L"\\" + written[0]).c_str()), INVALID_FILE_ATTRIBUTES)
        << "the restored backup's file is deleted";
    EXPECT_EQ(::SendMessageW(backups, LB_GETCOUNT, 0, 0), lines - 1);
    e2e::ClickButton(restore, IDC_RESTORE_CLOSE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(restore) || !::IsWindowVisible(restore); }, kWait));

    EXPECT_EQ(ExportKey(HKEY_LOCAL_MACHINE, kRunKey), runBefore) << "every removed Run value is back";
    EXPECT_EQ(ExportKey(HKEY_LOCAL_MACHINE, kSharedDllsKey), dllsBefore) << "every removed shared DLL is back";
    EXPECT_EQ(ExportKey(HKEY_LOCAL_MACHINE, kFontsKey), fontsBefore);

    // --- the results button reloads the unrepaired problems -------------------------------
    Settle(main);
    e2e::ClickButton(main, IDC_MAIN_LAST_RESULTS);
    const HWND reloaded = WaitForTitle(kResultsTitle);
    ASSERT_NE(reloaded, nullptr) << "the results button showed no results";
    EXPECT_EQ(e2e::ControlText(reloaded, IDC_RESULTS_TOTAL), L"4");
    EXPECT_EQ(e2e::ControlText(reloaded, IDC_RESULTS_BANNER), L"Attenzione! Sono stati trovati 4 errori di Registro.");
    Settle(reloaded);
    Photograph(reloaded, L"repair-journey-8-results-reloaded");
    e2e::PressKey(reloaded, VK_ESCAPE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(reloaded); }, kWait)) << "Escape did not close the results";
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(main) != FALSE; }, kWait));
    Settle(main);
    EXPECT_EQ(e2e::ControlText(main, IDC_MAIN_PROBLEM_COUNT), L"4 Errori di Registro")
        << "closing the results stores the same problems again";

    e2e::AskToExit(main);
    DWORD exitCode = 99;
    EXPECT_TRUE(program.WaitForExit(kWait, exitCode)) << "\"Esci\" did not end the program";
}

}  // namespace
