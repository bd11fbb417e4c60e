// The engine facade: its version strings, the last-scan date, starting and replacing
// workers and the scheduled-scan task; and the settings and start-up entries beside it.

#include "EngineTestSupport.h"
#include "ScanHarness.h"

#include "engine/LocalTime.h"
#include "engine/Registry.h"
#include "engine/ScanMessages.h"
#include "engine/Settings.h"
#include "engine/StartupEntries.h"
#include "engine/VersionInfo.h"
#include "framework/Handles.h"
#include "framework/Pacing.h"

#include <gtest/gtest.h>
#include <mstask.h>

namespace {

const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class EngineFacade : public EngineTest {};

// Points the engine at a task of its own for the test and removes that task afterwards.
class ScheduleTask {
public:
    explicit ScheduleTask(CCorvaneEngine& engine) : m_engine(engine), m_saved(engine.ScanSchedule())
    {
        m_engine.ScanSchedule().taskName = L"VelmoraTestSchedule";
        Delete();
    }
    ~ScheduleTask()
    {
        Delete();
        m_engine.ScanSchedule() = m_saved;
    }
    ScheduleTask(const ScheduleTask&) = delete;
    ScheduleTask& operator=(const ScheduleTask&) = delete;

    void Delete()
    {
        ComPtr<ITaskScheduler> scheduler;
        if (SUCCEEDED(::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                         scheduler.put_void())))
            scheduler->Delete(L"VelmoraTestSchedule");
    }

private:
    CCorvaneEngine& m_engine;
    ScanScheduleTask m_saved;
};

}  // namespace

TEST_F(EngineFacade, VersionStringsComeFromTheProgramsOwnResource)
{
    EXPECT_EQ(engine.ProductVersion(), L"3.0.6");
    EXPECT_EQ(engine.ReleaseDate(), L"08/12/2026");

    ScratchFolder scratch(L"C:", L"VelmoraTVersion");
    const std::wstring plain = scratch.AddFile(L"plain.exe", "no resources here");
    EXPECT_EQ(CVersionInfo(plain).GetString(L"ProductVersion"), L"<no version info found>");
    EXPECT_EQ(CVersionInfo(scratch.Path() + L"\\missing.exe").GetString(L"ReleaseDate"), L"<no version info found>");
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(CVersionInfo(self).GetString(L"NoSuchString"), L"<no version info found>");
}

TEST_F(EngineFacade, ScanStoresTheDateAndReplacesARunningScan)
{
    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraF_run", L"C:\\Nowhere\\VelmoraF\\f.exe");
    const std::wstring before = FormatLastScanDate(LocalCalendarTime());

    // A long scan is running when the second starts: it is stopped and waited for
    // before the counters and the list are reset.
    SetPacingEnabled(true);
    ASSERT_TRUE(engine.StartScan(CCorvaneEngine::Selection{1, 1, 1}));
    EXPECT_TRUE(engine.IsScanning());
    SetPacingEnabled(false);
    CCorvaneEngine::Selection startup{};
    startup[4] = 1;
    ASSERT_TRUE(engine.StartScan(startup));
    sink.PumpUntilEnded(engine.ScanThreadHandle());
    EXPECT_FALSE(engine.IsScanning());

    const std::wstring after = FormatLastScanDate(LocalCalendarTime());
    EXPECT_TRUE(engine.LastScanDate() == before || engine.LastScanDate() == after);
    EXPECT_EQ(ReadSetting(L"LastScanDate"), engine.LastScanDate());
    for (const CError& e : engine.ProblemList())
        EXPECT_EQ(e.Section, 4);
    EXPECT_EQ(engine.SectionCounters()[0].Found.load(), 0);
    EXPECT_EQ(engine.GetTotalFound(), engine.ProblemList().GetSize());
    EXPECT_EQ(sink.Only(WM_SCAN_FINISHED).size(), 1u);  // the replaced scan never finished

    // A repair stops a running scan before it starts.
    SetPacingEnabled(true);
    ASSERT_TRUE(engine.StartScan(CCorvaneEngine::Selection{1, 1, 1}));
    SetPacingEnabled(false);
    ASSERT_TRUE(engine.StartRepair(CErrorListEx{}));
    EXPECT_FALSE(engine.IsScanning());
    sink.PumpUntilEnded(engine.RepairThreadHandle());
    BackupCleaner cleaner;
    cleaner.Add(engine.LastBackupPath());
}

TEST_F(EngineFacade, SettingsAndMachineValues)
{
    SettingKeeper keep(L"VelmoraT_Setting");
    EXPECT_EQ(ReadSetting(L"VelmoraT_Setting"), L"");
    ASSERT_TRUE(WriteSetting(L"VelmoraT_Setting", L"true"));
    EXPECT_EQ(ReadSetting(L"VelmoraT_Setting"), L"true");
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, L"Software\\Velmora", L"VelmoraT_Setting"), (RegValue{REG_SZ, L"true"}));

    const std::wstring key = L"Software\\VelmoraT_Machine\\Run";
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, key, L"Velmora"), L"");
    ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, key, L"Velmora", L"C:\\Programmi\\Velmora\\Velmora.exe"));
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, key, L"Velmora"), L"C:\\Programmi\\Velmora\\Velmora.exe");
    EXPECT_TRUE(RegDeleteValueAt(HKEY_LOCAL_MACHINE, key, L"Velmora"));
    EXPECT_FALSE(RegDeleteValueAt(HKEY_LOCAL_MACHINE, key, L"Velmora"));
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, key, L"Velmora"), L"");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\VelmoraT_Machine");
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\VelmoraT_Machine");
}

TEST_F(EngineFacade, StartupEntriesListTheUserFirstAndLeaveOutOverlongData)
{
    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_LOCAL_MACHINE, kRun, L"VelmoraS_machine", L"C:\\m.exe");
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraS_user", L"C:\\u.exe /min");
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraS_1023", std::wstring(1023, L'x'));
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraS_1024", std::wstring(1024, L'x'));

    std::vector<CRegistryItem> ours;
    for (const CRegistryItem& item : ReadStartupEntries())
        if (item.ValueName.rfind(L"VelmoraS_", 0) == 0)
            ours.push_back(item);
    ASSERT_EQ(ours.size(), 3u);
    EXPECT_EQ(ours[0].Hive, L"HKEY_CURRENT_USER");
    EXPECT_EQ(ours[0].Root, kRootCurrentUser);
    EXPECT_EQ(ours[0].SubKey, kRun);
    EXPECT_EQ(ours.back().ValueName, L"VelmoraS_machine");
    EXPECT_EQ(ours.back().Root, kRootLocalMachine);
    EXPECT_EQ(ours.back().ValueData, L"C:\\m.exe");
    for (const CRegistryItem& item : ours)
        EXPECT_NE(item.ValueName, L"VelmoraS_1024");
}

TEST_F(EngineFacade, ScheduleRoundTrip)
{
    ScheduleTask task(engine);
    ScanScheduleSetting setting{-1, -1, -1, 0xFFFF};
    EXPECT_NE(engine.LookupScanSchedule(setting), ScheduleLookup::Found);
    EXPECT_EQ(setting.kind, -1);

    ASSERT_TRUE(engine.SetScanSchedule({ScheduleDaily, 21, 30, 0}));
    ASSERT_EQ(engine.LookupScanSchedule(setting), ScheduleLookup::Found);
    EXPECT_EQ(setting.kind, ScheduleDaily);
    EXPECT_EQ(setting.hour, 21);
    EXPECT_EQ(setting.minute, 30);

    ASSERT_TRUE(engine.SetScanSchedule({ScheduleWeekly, 7, 5, 0x41}));
    ASSERT_EQ(engine.LookupScanSchedule(setting), ScheduleLookup::Found);
    EXPECT_EQ(setting.kind, ScheduleWeekly);
    EXPECT_EQ(setting.hour, 7);
    EXPECT_EQ(setting.minute, 5);
    EXPECT_EQ(setting.daysOfWeek, 0x41);

    // Out of range: refused, the task keeps its trigger.
    EXPECT_FALSE(engine.SetScanSchedule({ScheduleDaily, 24, 0, 0}));
    EXPECT_FALSE(engine.SetScanSchedule({ScheduleDaily, 8, 60, 0}));
    EXPECT_FALSE(engine.SetScanSchedule({ScheduleWeekly, 8, 0, 0}));
    EXPECT_FALSE(engine.SetScanSchedule({ScheduleWeekly, 8, 0, 0x80}));
    EXPECT_FALSE(engine.SetScanSchedule({3, 8, 0, 1}));
    ASSERT_EQ(engine.LookupScanSchedule(setting), ScheduleLookup::Found);
    EXPECT_EQ(setting.kind, ScheduleWeekly);

    // None keeps the task, without a trigger.
    ASSERT_TRUE(engine.SetScanSchedule({ScheduleNone, 0, 0, 0}));
    setting = {ScheduleDaily, 1, 1, 1};
    ASSERT_EQ(engine.LookupScanSchedule(setting), ScheduleLookup::Found);
    EXPECT_EQ(setting.kind, ScheduleNone);

    // And a trigger can be given again.
    ASSERT_TRUE(engine.SetScanSchedule({ScheduleDaily, 6, 0, 0}));
    ASSERT_EQ(engine.LookupScanSchedule(setting), ScheduleLookup::Found);
    EXPECT_EQ(FormatScheduleSetting(setting), "daily 06:00");

    // The task runs the program with "-scan".
    ComPtr<ITaskScheduler> scheduler;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                             scheduler.put_void())));
    ComPtr<ITask> item;
    ASSERT_TRUE(SUCCEEDED(
        scheduler->Activate(L"VelmoraTestSchedule", IID_ITask, reinterpret_cast<IUnknown**>(item.put()))));
    LPWSTR parameters = nullptr;
    ASSERT_TRUE(SUCCEEDED(item->GetParameters(&parameters)));
    EXPECT_EQ(std::wstring(parameters), L"-scan");
    ::CoTaskMemFree(parameters);
}
