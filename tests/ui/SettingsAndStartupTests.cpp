// The settings window and the startup manager in-process, against services that record
// what the windows ask: the rules of the schedule controls, the schedule a save stores,
// and what the user is told after each way a removal can end.

#include <gtest/gtest.h>

#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/controls/AccessibleReading.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ManageStartupDialog.h"
#include "ui/SettingsDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace {

constexpr std::array<int, 7> kDayBoxes = {IDC_SETTINGS_MONDAY,   IDC_SETTINGS_TUESDAY, IDC_SETTINGS_WEDNESDAY,
                                          IDC_SETTINGS_THURSDAY, IDC_SETTINGS_FRIDAY,  IDC_SETTINGS_SATURDAY,
                                          IDC_SETTINGS_SUNDAY};

class SettingsWindowTest : public testing::Test {
protected:
    ~SettingsWindowTest() override
    {
        if (window.GetSafeHwnd())
            window.EndDialog(IDCANCEL);
    }
    void Open()
    {
        ASSERT_TRUE(window.Create());
        PumpMessages();
    }
    HWND Item(int id) const { return window.GetDlgItem(id); }
    void ChooseFrequency(int entry)
    {
        ::SendMessageW(Item(IDC_SETTINGS_FREQUENCY), CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        ::SendMessageW(window.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_FREQUENCY, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(Item(IDC_SETTINGS_FREQUENCY)));
    }
    bool Checked(int id) const { return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Check(int id, bool on) { ::SendMessageW(Item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
    void SetTime(WORD hour, WORD minute)
    {
        SYSTEMTIME time{1999, 1, 5, 1, hour, minute, 0, 0};
        ::SendMessageW(Item(IDC_SETTINGS_TIME), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    }

    FakeSettings settings;
    PromptRecorder prompts;
    CSettingsDialog window{settings};
};

TEST_F(SettingsWindowTest, FrequencyEnablesTheTimeAndTheDaysItNeeds)
{
    struct Case {
        int frequency;
        bool timeEnabled;
        bool daysEnabled;
    };
    const std::array<Case, 4> cases = {{{2, true, true}, {0, false, false}, {1, true, false}, {2, true, true}}};
    Open();
    for (const Case& c : cases) {
        ChooseFrequency(c.frequency);
        EXPECT_EQ(::IsWindowEnabled(Item(IDC_SETTINGS_TIME)) != FALSE, c.timeEnabled) << c.frequency;
        for (const int day : kDayBoxes)
            EXPECT_EQ(::IsWindowEnabled(Item(day)) != FALSE, c.daysEnabled) << c.frequency << " day " << day;
    }
}

TEST_F(SettingsWindowTest, SaveStoresTheScheduleShown)
{
    struct Case {
        const char* name;
        int frequency;
        std::vector<int> days;
        ScanScheduleSetting expected;
    };
    const std::vector<Case> cases = {
        {"weekly Monday and Friday", 2, {IDC_SETTINGS_MONDAY, IDC_SETTINGS_FRIDAY}, {2, 21, 30, 0x22}},
        {"weekly without a day", 2, {}, {2, 21, 30, 0}},
        {"daily ignores the days", 1, {IDC_SETTINGS_SUNDAY}, {1, 21, 30, 0}},
        {"none", 0, {IDC_SETTINGS_MONDAY}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        settings.saved.clear();
        Open();
        ChooseFrequency(c.frequency);
        SetTime(21, 30);
        for (const int day : kDayBoxes)
            Check(day, std::find(c.days.begin(), c.days.end(), day) != c.days.end());
        window.Save();
        ASSERT_EQ(settings.saved.size(), 1u) << c.name;
        const ScanScheduleSetting& got = settings.saved.front();
        EXPECT_EQ(got.kind, c.expected.kind) << c.name;
        EXPECT_EQ(got.hour, c.expected.hour) << c.name;
        EXPECT_EQ(got.minute, c.expected.minute) << c.name;
        EXPECT_EQ(got.daysOfWeek, c.expected.daysOfWeek) << c.name;
        EXPECT_EQ(window.GetSafeHwnd(), nullptr) << c.name << ": the window closes after saving";
    }
}

TEST_F(SettingsWindowTest, OpensAsStoredAndSaysWhenTheScheduleCouldNotBeStored)
{
    // The setting says the program starts with Windows, but the Run entry is gone.
    settings.stored[L"StartWithWindows"] = L"true";
    settings.hasTask = true;
    settings.schedule = {ScheduleWeekly, 7, 5, 0x41};
    settings.schedulerAnswers = false;
    Open();
    EXPECT_FALSE(Checked(IDC_SETTINGS_START_WITH_WINDOWS));
    EXPECT_FALSE(Checked(IDC_SETTINGS_SCAN_AT_STARTUP)) << "an empty setting takes its first-run default";
    EXPECT_TRUE(Checked(IDC_SETTINGS_TRAY_ON_CLOSE));
    EXPECT_EQ(settings.stored[L"ShowInTaskbarOnClose"], L"true");
    EXPECT_EQ(::SendMessageW(Item(IDC_SETTINGS_FREQUENCY), CB_GETCURSEL, 0, 0), CSettingsDialog::kFrequencyWeekly);
    EXPECT_TRUE(Checked(IDC_SETTINGS_SATURDAY));
    EXPECT_TRUE(Checked(IDC_SETTINGS_SUNDAY));

    ::SendMessageW(window.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(settings.stored[L"StartWithWindows"], L"false");
    EXPECT_FALSE(settings.runEntry);
    ASSERT_EQ(settings.saved.size(), 1u);
    EXPECT_EQ(settings.saved.front().hour, 7);
    EXPECT_EQ(settings.saved.front().minute, 5);
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{kSettingsSavedWithoutSchedule});
}

class FakeStartup final : public IStartupService {
public:
    CRegistryItemListEx GetStartupEntries() const override { return entries; }
    StartupRemoval RemoveStartupEntry(std::size_t position, const CRegistryItem& shown) override
    {
        removals.push_back({position, shown});
        if (outcome == StartupRemoval::Removed)
            entries.RemoveAt(static_cast<int>(position));
        return outcome;
    }
    void Add(RootKey root, const std::wstring& name, const std::wstring& command)
    {
        entries.Add(RegistryItemAt(root, kStartupRunKey, name, command));
    }

    CRegistryItemListEx entries;
    StartupRemoval outcome = StartupRemoval::Removed;
    std::vector<std::pair<std::size_t, CRegistryItem>> removals;
};

TEST(StartupManagerWindow, RemovalAsksForTheRowShownAndTellsHowItEnded)
{
    struct Case {
        StartupRemoval outcome;
        const wchar_t* message;
        UINT icon;
        int rowsAfter;
    };
    const std::array<Case, 4> cases = {{
        {StartupRemoval::Removed, kStartupEntryRemoved, MB_ICONINFORMATION, 2},
        {StartupRemoval::NotPresent, kStartupEntryGone, MB_ICONWARNING, 3},
        {StartupRemoval::NoBackup, kStartupEntryNoBackup, MB_ICONERROR, 3},
        {StartupRemoval::StillPresent, kStartupEntryNotRemoved, MB_ICONERROR, 3},
    }};
    for (const Case& c : cases) {
        FakeStartup startup;
        CManageStartupDialog window(startup);
        startup.Add(kRootCurrentUser, L"OneSync", L"\"C:\\Sync\\OneSync.exe\" /background");
        startup.Add(kRootLocalMachine, L"Velmora", L"\"C:\\Program Files\\Velmora\\Velmora.exe\"");
        startup.Add(kRootLocalMachine, L"AudioTray", L"C:\\Windows\\audiotray.exe -tray");
        startup.outcome = c.outcome;
        PromptRecorder prompts;
        ASSERT_TRUE(window.Create());
        PumpMessages();
        const HWND list = window.GetDlgItem(IDC_STARTUP_LIST);

        window.RemoveCommand();
        EXPECT_TRUE(startup.removals.empty()) << "nothing is removed without a selection";

        ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        window.RemoveCommand();
        ASSERT_EQ(startup.removals.size(), 1u);
        EXPECT_EQ(startup.removals.front().first, 1u);
        const CRegistryItem& shown = startup.removals.front().second;
        EXPECT_EQ(shown.Root, kRootLocalMachine);
        EXPECT_EQ(shown.SubKey, kStartupRunKey);
        EXPECT_EQ(shown.ValueName, L"Velmora");
        EXPECT_EQ(ListView_GetItemCount(list), c.rowsAfter);
        EXPECT_EQ(prompts.Texts(), (std::vector<std::wstring>{kChooseStartupEntry, c.message}));
        ASSERT_EQ(prompts.prompts.size(), 2u);
        EXPECT_EQ(prompts.prompts[1].type & MB_ICONMASK, c.icon) << "a success informs, a failure warns";
        window.EndDialog(IDCANCEL);
    }
}

TEST(StartupManagerWindow, ListStartsFocusedOnItsFirstRowAndNamesEachRow)
{
    const ComInitializer com;
    FakeStartup startup;
    startup.Add(kRootCurrentUser, L"OneSync", L"C:\\Sync\\OneSync.exe");
    startup.Add(kRootLocalMachine, L"AudioTray", L"C:\\Windows\\audiotray.exe -tray");
    CManageStartupDialog window(startup);
    ASSERT_TRUE(window.Create());
    PumpMessages();
    const HWND list = window.GetDlgItem(IDC_STARTUP_LIST);
    EXPECT_EQ(::GetFocus(), list);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 0) << "a focused row before any arrow press";
    EXPECT_EQ(ListView_GetSelectedCount(list), 0u) << "nothing chosen for removal yet";
    const AccessibleReading reading = ReadAccessible(list);
    EXPECT_EQ(reading.role, ROLE_SYSTEM_LIST);
    EXPECT_EQ(reading.children, 2);
    const AccessibleReading second = ReadAccessible(list, 2);
    EXPECT_EQ(second.role, ROLE_SYSTEM_LISTITEM);
    EXPECT_EQ(second.name,
              std::wstring(L"AudioTray, C:\\Windows\\audiotray.exe -tray, HKEY_LOCAL_MACHINE\\") + kStartupRunKey);
    EXPECT_TRUE(ReadAccessible(list, 1).state & STATE_SYSTEM_FOCUSED);
    window.EndDialog(IDCANCEL);
}

}  // namespace
