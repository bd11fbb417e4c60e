// The settings and startup-manager journey with the real Velmora.exe: every setting
// changed and a weekly scan on Monday and Friday at 21:30 saved, then found again on
// reopening and in the Task Scheduler itself; "Annulla" after more changes leaves the
// registry, the Run value and the task alone; the startup manager lists planted Run
// values of the user and of the machine in order and removes the selected one, which
// the restore window then brings back. Both windows are photographed.

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/ProgramTexts.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <mstask.h>

#include <array>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace journey;

constexpr wchar_t kSettingsTitle[] = L"Velmora - Impostazioni";
constexpr wchar_t kStartupTitle[] = L"Velmora - Gestione Avvio";
constexpr wchar_t kTaskName[] = L"Velmora";
constexpr DWORD kWait = 30000;

constexpr wchar_t kSaved[] = L"Le impostazioni sono state salvate con successo.";
constexpr wchar_t kRemoved[] = L"L’applicazione selezionata è stata rimossa con successo dall’avvio di Windows.";

struct OptionBox {
    int id;
    const wchar_t* setting;
};
constexpr std::array<OptionBox, 4> kOptions = {{
    {IDC_SETTINGS_START_WITH_WINDOWS, L"StartWithWindows"},
    {IDC_SETTINGS_SCAN_AT_STARTUP, L"StartScanAtProgramStartup"},
    {IDC_SETTINGS_TRAY_ON_CLOSE, L"ShowInTaskbarOnClose"},
    {IDC_SETTINGS_AUTO_UPDATES, L"AllowAutoUpdates"},
}};
constexpr std::array<int, 7> kDayBoxes = {IDC_SETTINGS_MONDAY,   IDC_SETTINGS_TUESDAY, IDC_SETTINGS_WEDNESDAY,
                                          IDC_SETTINGS_THURSDAY, IDC_SETTINGS_FRIDAY,  IDC_SETTINGS_SATURDAY,
                                          IDC_SETTINGS_SUNDAY};

// Planted start-up entries: two of the user, two of the machine.
struct Planted {
    HKEY root;
    const wchar_t* name;
    const wchar_t* command;
};
const std::array<Planted, 4> kPlanted = {{
    {HKEY_CURRENT_USER, L"VelmoraJourneyUserA", L"\"C:\\Journey\\user a.exe\" /tray"},
    {HKEY_CURRENT_USER, L"VelmoraJourneyUserB", L"C:\\Journey\\userb.exe"},
    {HKEY_LOCAL_MACHINE, L"VelmoraJourneyMachineA", L"C:\\Journey\\machinea.exe -quiet"},
    {HKEY_LOCAL_MACHINE, L"VelmoraJourneyMachineB", L"C:\\Journey\\machineb.exe"},
}};

// Memory in the program's process, for the control messages that carry a pointer.
class RemoteBuffer {
public:
    RemoteBuffer(DWORD processId, size_t size)
        : m_process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId)),
          m_size(size)
    {
        if (m_process)
            m_address = ::VirtualAllocEx(m_process.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer()
    {
        if (m_address)
            ::VirtualFreeEx(m_process.get(), m_address, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    [[nodiscard]] void* Address(size_t offset = 0) const { return static_cast<BYTE*>(m_address) + offset; }
    bool Write(const void* bytes, size_t size, size_t offset = 0)
    {
        return m_address && offset + size <= m_size &&
               ::WriteProcessMemory(m_process.get(), Address(offset), bytes, size, nullptr);
    }
    bool Read(void* bytes, size_t size, size_t offset = 0) const
    {
        return m_address && offset + size <= m_size &&
               ::ReadProcessMemory(m_process.get(), Address(offset), bytes, size, nullptr);
    }

private:
    UniqueHandle m_process;
    size_t m_size;
    void* m_address = nullptr;
};

// The scheduled scan as the Task Scheduler keeps it: its first trigger, if any.
struct TaskState {
    bool exists = false;
    bool hasTrigger = false;
    TASK_TRIGGER trigger{};
};

TaskState ReadTask()
{
    TaskState state;
    ComPtr<ITaskScheduler> scheduler;
    if (FAILED(::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                  reinterpret_cast<void**>(scheduler.put()))))
        return state;
    ComPtr<ITask> task;
    if (FAILED(scheduler->Activate(kTaskName, IID_ITask, reinterpret_cast<IUnknown**>(task.put()))))
        return state;
    state.exists = true;
    ComPtr<ITaskTrigger> trigger;
    if (SUCCEEDED(task->GetTrigger(0, trigger.put()))) {
        state.trigger.cbTriggerSize = sizeof(state.trigger);
        state.hasTrigger = SUCCEEDED(trigger->GetTrigger(&state.trigger));
    }
    return state;
}

void DeleteTask()
{
    ComPtr<ITaskScheduler> scheduler;
    if (SUCCEEDED(::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                     reinterpret_cast<void**>(scheduler.put()))))
        scheduler->Delete(kTaskName);
}

bool SameTask(const TaskState& a, const TaskState& b)
{
    return a.exists == b.exists && a.hasTrigger == b.hasTrigger &&
           (!a.hasTrigger || (a.trigger.TriggerType == b.trigger.TriggerType &&
                              a.trigger.wStartHour == b.trigger.wStartHour &&
                              a.trigger.wStartMinute == b.trigger.wStartMinute &&
                              a.trigger.Type.Weekly.rgfDaysOfTheWeek == b.trigger.Type.Weekly.rgfDaysOfTheWeek));
}

// The Run values of a root, in the registry's order.
std::vector<std::pair<std::wstring, std::wstring>> RunValues(HKEY root)
{
    std::vector<std::pair<std::wstring, std::wstring>> values;
    UniqueHKey key;
    if (::RegOpenKeyExW(root, kRunKey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256] = {};
        DWORD nameChars = 256;
        BYTE data[2050] = {};
        DWORD size = 2048;
        if (::RegEnumValueW(key.get(), index, name, &nameChars, nullptr, nullptr, data, &size) != ERROR_SUCCESS)
            break;
        values.emplace_back(name, reinterpret_cast<const wchar_t*>(data));
    }
    return values;
}

class SettingsJourney : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::SetEnvironmentVariableW(L"VELMORA_NO_PAUSE", L"1");
        for (const OptionBox& option : kOptions)
            settingsBefore.push_back(e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, option.setting));
        runBefore = e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kRunKey, L"Velmora");
        taskBefore = ReadTask();
        const std::wstring program = e2e::Settings().program;
        backupFolder = program.substr(0, program.find_last_of(L'\\')) + L"\\backup";
        backupsBefore = e2e::DatFilesIn(backupFolder);
        for (const Planted& entry : kPlanted)
            e2e::WriteRegistryString(entry.root, kRunKey, entry.name, entry.command);
    }

    void TearDown() override
    {
        for (const Planted& entry : kPlanted)
            e2e::DeleteRegistryValue(entry.root, kRunKey, entry.name);
        for (size_t i = 0; i < kOptions.size(); ++i) {
            if (settingsBefore[i])
                e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, kOptions[i].setting, *settingsBefore[i]);
            else
                e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, kOptions[i].setting);
        }
        if (runBefore)
            e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kRunKey, L"Velmora", *runBefore);
        else
            e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kRunKey, L"Velmora");
        if (!taskBefore.exists)
            DeleteTask();
        for (const std::wstring& name : e2e::DatFilesIn(backupFolder))
            if (!backupsBefore.count(name))
                ::DeleteFileW((backupFolder + L"\\" + name).c_str());
        ::SetEnvironmentVariableW(L"VELMORA_NO_PAUSE", nullptr);
    }

    HWND WaitForTitle(const wchar_t* title)
    {
        return e2e::WaitForProcessWindow(program.ProcessId(), [title](HWND window) { return e2e::TitleIs(window, title); },
                                         kWait);
    }

    void Settle(HWND window) { ASSERT_TRUE(e2e::WaitForMessageLoop(window, kWait)) << "the program does not answer"; }

    void Photograph(HWND window, const std::wstring& name)
    {
        ::Sleep(300);  // the paints the last changes caused, before the picture
        EXPECT_TRUE(e2e::SaveScreenshot(window, name)) << name;
    }

    HWND OpenFromMain(HWND main, int button, const wchar_t* title)
    {
        Settle(main);
        e2e::ClickButton(main, button);
        const HWND window = WaitForTitle(title);
        if (window)
            Settle(window);
        return window;
    }

    void WaitClosed(HWND window)
    {
        ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(window) || !::IsWindowVisible(window); }, kWait))
            << "the window stayed open";
    }

    static bool Checked(HWND dialog, int id)
    {
        return ::SendMessageW(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static void Check(HWND dialog, int id, bool on)
    {
        ::SendMessageW(::GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    static void ChooseFrequency(HWND dialog, int entry)
    {
        const HWND list = ::GetDlgItem(dialog, IDC_SETTINGS_FREQUENCY);
        ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_FREQUENCY, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list));
    }
    static int Frequency(HWND dialog)
    {
        return static_cast<int>(::SendMessageW(::GetDlgItem(dialog, IDC_SETTINGS_FREQUENCY), CB_GETCURSEL, 0, 0));
    }
    void SetTime(HWND dialog, WORD hour, WORD minute)
    {
        const SYSTEMTIME time{1999, 1, 5, 1, hour, minute, 0, 0};
        RemoteBuffer remote(program.ProcessId(), sizeof(time));
        ASSERT_TRUE(remote.Write(&time, sizeof(time)));
        ::SendMessageW(::GetDlgItem(dialog, IDC_SETTINGS_TIME), DTM_SETSYSTEMTIME, GDT_VALID,
                       reinterpret_cast<LPARAM>(remote.Address()));
    }
    std::pair<int, int> Time(HWND dialog)
    {
        SYSTEMTIME time{};
        RemoteBuffer remote(program.ProcessId(), sizeof(time));
        ::SendMessageW(::GetDlgItem(dialog, IDC_SETTINGS_TIME), DTM_GETSYSTEMTIME, 0,
                       reinterpret_cast<LPARAM>(remote.Address()));
        return remote.Read(&time, sizeof(time)) ? std::pair<int, int>{time.wHour, time.wMinute}
                                                : std::pair<int, int>{-1, -1};
    }
    std::vector<std::optional<std::wstring>> StoredSettings() const
    {
        std::vector<std::optional<std::wstring>> stored;
        for (const OptionBox& option : kOptions)
            stored.push_back(e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, option.setting));
        return stored;
    }

    // The text of a cell of the startup list.
    std::wstring Cell(HWND list, int row, int column)
    {
        constexpr size_t kChars = 1100;
        RemoteBuffer remote(program.ProcessId(), sizeof(LVITEMW) + kChars * sizeof(wchar_t));
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = static_cast<wchar_t*>(remote.Address(sizeof(LVITEMW)));
        item.cchTextMax = static_cast<int>(kChars);
        if (!remote.Write(&item, sizeof(item)))
            return {};
        ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.Address()));
        std::vector<wchar_t> text(kChars + 1, L'\0');
        if (!remote.Read(text.data(), kChars * sizeof(wchar_t), sizeof(LVITEMW)))
            return {};
        return text.data();
    }
    void SelectRow(HWND list, int row)
    {
        RemoteBuffer remote(program.ProcessId(), sizeof(LVITEMW));
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        ASSERT_TRUE(remote.Write(&item, sizeof(item)));
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.Address()));
    }
    static int Rows(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

    ComInitializer com;
    e2e::RunningProgram program;
    std::vector<std::optional<std::wstring>> settingsBefore;
    std::optional<std::wstring> runBefore;
    TaskState taskBefore;
    std::wstring backupFolder;
    std::set<std::wstring> backupsBefore;
};

TEST_F(SettingsJourney, SettingsRoundTripCancelAndStartupRemoval)
{
    ASSERT_TRUE(program.Start());
    const HWND main = WaitForTitle(kMainTitle);
    ASSERT_NE(main, nullptr) << "the main window did not appear";
    ASSERT_TRUE(program.WaitForInputIdle(kWait));

    // --- every box turned over, a weekly scan on Monday and Friday at 21:30 --------------
    HWND settings = OpenFromMain(main, IDC_MAIN_SETTINGS, kSettingsTitle);
    ASSERT_NE(settings, nullptr) << "the settings window did not open";
    EXPECT_EQ(Checked(settings, IDC_SETTINGS_START_WITH_WINDOWS),
              e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kRunKey, L"Velmora").has_value())
        << "the box shows whether the Run value is there";
    std::array<bool, kOptions.size()> chosen{};
    for (size_t i = 0; i < kOptions.size(); ++i) {
        chosen[i] = !Checked(settings, kOptions[i].id);
        Check(settings, kOptions[i].id, chosen[i]);
    }
    ChooseFrequency(settings, 2);
    SetTime(settings, 21, 30);
    for (const int day : kDayBoxes)
        Check(settings, day, day == IDC_SETTINGS_MONDAY || day == IDC_SETTINGS_FRIDAY);
    Photograph(settings, L"settings-journey-1-settings");
    e2e::ClickButton(settings, IDOK);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kSaved);
    WaitClosed(settings);

    const std::vector<std::optional<std::wstring>> saved = StoredSettings();
    for (size_t i = 0; i < kOptions.size(); ++i)
        EXPECT_EQ(saved[i], std::wstring(chosen[i] ? L"true" : L"false")) << "setting " << i;
    const std::optional<std::wstring> runSaved = e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kRunKey, L"Velmora");
    EXPECT_EQ(runSaved.has_value(), chosen[0]);
    if (runSaved) {
        EXPECT_EQ(*runSaved, L"\"" + e2e::Settings().program + L"\"");
    }
    const TaskState taskSaved = ReadTask();
    ASSERT_TRUE(taskSaved.exists) << "no task in the Task Scheduler";
    ASSERT_TRUE(taskSaved.hasTrigger);
    EXPECT_EQ(taskSaved.trigger.TriggerType, TASK_TIME_TRIGGER_WEEKLY);
    EXPECT_EQ(taskSaved.trigger.wStartHour, 21);
    EXPECT_EQ(taskSaved.trigger.wStartMinute, 30);
    EXPECT_EQ(taskSaved.trigger.Type.Weekly.rgfDaysOfTheWeek, 0x22);

    // --- reopened: the same state; more changes, then "Annulla" --------------------------
    settings = OpenFromMain(main, IDC_MAIN_SETTINGS, kSettingsTitle);
    ASSERT_NE(settings, nullptr) << "the settings window did not open again";
    for (size_t i = 0; i < kOptions.size(); ++i)
        EXPECT_EQ(Checked(settings, kOptions[i].id), chosen[i]) << "box " << i;
    EXPECT_EQ(Frequency(settings), 2);
    EXPECT_EQ(Time(settings), (std::pair<int, int>{21, 30}));
    for (const int day : kDayBoxes)
        EXPECT_EQ(Checked(settings, day), day == IDC_SETTINGS_MONDAY || day == IDC_SETTINGS_FRIDAY) << day;
    Photograph(settings, L"settings-journey-2-settings-reopened");
    for (size_t i = 0; i < kOptions.size(); ++i)
        Check(settings, kOptions[i].id, !chosen[i]);
    ChooseFrequency(settings, 1);
    SetTime(settings, 6, 15);
    e2e::ClickButton(settings, IDCANCEL);
    WaitClosed(settings);
    EXPECT_EQ(StoredSettings(), saved);
    EXPECT_EQ(e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kRunKey, L"Velmora"), runSaved);
    EXPECT_TRUE(SameTask(ReadTask(), taskSaved)) << "Annulla changed the task";

    // --- startup manager: the planted entries in order, one removed ------------------------
    std::vector<std::array<std::wstring, 3>> expected;
    for (const auto& [root, hive] : {std::pair{HKEY_CURRENT_USER, L"HKEY_CURRENT_USER"},
                                     std::pair{HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE"}})
        for (const auto& [name, data] : RunValues(root))
            expected.push_back({name, data, std::wstring(hive) + L"\\" + kRunKey});
    const HWND startup = OpenFromMain(main, IDC_MAIN_STARTUP, kStartupTitle);
    ASSERT_NE(startup, nullptr) << "the startup manager did not open";
    const HWND list = ::GetDlgItem(startup, IDC_STARTUP_LIST);
    ASSERT_EQ(Rows(list), static_cast<int>(expected.size()));
    int removedRow = -1;
    for (int row = 0; row < Rows(list); ++row) {
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(Cell(list, row, column), expected[row][column]) << "row " << row << " column " << column;
        if (expected[row][0] == kPlanted[1].name)
            removedRow = row;
    }
    ASSERT_GE(removedRow, 0);
    SelectRow(list, removedRow);
    Photograph(startup, L"settings-journey-3-startup-manager");
    e2e::ClickButton(startup, IDC_STARTUP_REMOVE);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kRemoved);
    EXPECT_FALSE(e2e::ReadRegistryString(HKEY_CURRENT_USER, kRunKey, kPlanted[1].name).has_value());
    for (const Planted& entry : {kPlanted[0], kPlanted[2], kPlanted[3]})
        EXPECT_EQ(e2e::ReadRegistryString(entry.root, kRunKey, entry.name), std::wstring(entry.command)) << entry.name;
    EXPECT_EQ(Rows(list), static_cast<int>(expected.size()) - 1);
    Photograph(startup, L"settings-journey-4-startup-manager-removed");
    e2e::ClickButton(startup, IDC_STARTUP_CLOSE);
    WaitClosed(startup);

    // --- the removal's backup brings the entry back ----------------------------------------
    const HWND restore = OpenFromMain(main, IDC_MAIN_RESTORE, kRestoreTitle);
    ASSERT_NE(restore, nullptr) << "the restore window did not open";
    const HWND backups = ::GetDlgItem(restore, IDC_RESTORE_LIST);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::SendMessageW(backups, LB_GETCOUNT, 0, 0) > 0; }, kWait))
        << "the removal left no backup";
    Settle(restore);
    // Newest first: the removal's backup is the first line.
    ::SendMessageW(backups, LB_SETSEL, TRUE, 0);
    e2e::ClickButton(restore, IDC_RESTORE_RESTORE);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kRestored);
    EXPECT_EQ(e2e::ReadRegistryString(HKEY_CURRENT_USER, kRunKey, kPlanted[1].name), std::wstring(kPlanted[1].command));
    e2e::ClickButton(restore, IDC_RESTORE_CLOSE);
    WaitClosed(restore);

    Settle(main);
    e2e::AskToExit(main);
    DWORD exitCode = 99;
    EXPECT_TRUE(program.WaitForExit(kWait, exitCode)) << "\"Esci\" did not end the program";
}

}  // namespace
