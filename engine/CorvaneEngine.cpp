#include "engine/CorvaneEngine.h"

#include "core/SettingsTable.h"
#include "engine/BackupRestore.h"
#include "engine/EngineMessages.h"
#include "engine/FileSystem.h"
#include "engine/IgnoredProblemsStore.h"
#include "engine/LocalTime.h"
#include "engine/ReportWriter.h"
#include "engine/Settings.h"
#include "engine/UserAccount.h"
#include "engine/VersionInfo.h"
#include "framework/Handles.h"

namespace {

constexpr wchar_t kNoScanYet[] = L"Non ancora effettuata";

}  // namespace

CCorvaneEngine::CCorvaneEngine()
{
    const std::wstring program = GetModulePath();
    const CVersionInfo version(program);
    m_productVersion = version.GetString(L"ProductVersion");
    m_releaseDate = version.GetString(L"ReleaseDate");
    m_scanSchedule = ScanScheduleTask{L"Velmora", LoggedOnUserName(), program, L"-scan"};
    m_lastScanDate = ReadSetting(SettingName(Setting::LastScanDate));
    if (m_lastScanDate.empty())
        m_lastScanDate = kNoScanYet;
}

CCorvaneEngine::~CCorvaneEngine() = default;

// --- scan and repair ------------------------------------------------------------------

bool CCorvaneEngine::StartScan(const Selection& sections)
{
    // A scan never runs beside a repair: both use the repaired-items list.
    StopRepair();
    StopScan();
    auto scan = std::make_unique<CRegistryScanThread>(
        sections, ScanTarget{&m_problems, &m_counters, &m_repairedItems, m_notify});
    // The thread waits until the state it works on is reset, and nothing is reset
    // before it exists: a scan that cannot start leaves the last results, their count
    // and the last scan date as they were.
    if (!m_scan.Start(std::move(scan), true))
        return false;
    (void)m_repairedItems.Load();  // an unreadable file filters nothing; the scan still runs
    m_lastScanDate = FormatLastScanDate(LocalCalendarTime());
    (void)WriteSetting(SettingName(Setting::LastScanDate), m_lastScanDate);
    ResetCounters(m_counters);
    m_problems.SetSize(0);
    m_scan.Current()->ResumeThread();
    return true;
}

void CCorvaneEngine::StopScan() { m_scan.Stop(); }

bool CCorvaneEngine::IsScanning() const { return m_scan.Current() && m_scan.Current()->IsRunning(); }

HANDLE CCorvaneEngine::ScanThreadHandle() const
{
    return m_scan.Current() ? m_scan.Current()->GetThreadHandle() : nullptr;
}

bool CCorvaneEngine::StartRepair(const CErrorListEx& problems)
{
    StopScan();
    return m_repair.Start(std::make_unique<CRepairErrorsThread>(
        problems, RepairTarget{&m_counters, &m_repairedItems, m_notify, BackupFolder(), true}));
}

void CCorvaneEngine::StopRepair() { m_repair.Stop(); }

HANDLE CCorvaneEngine::RepairThreadHandle() const
{
    return m_repair.Current() ? m_repair.Current()->GetThreadHandle() : nullptr;
}

bool CCorvaneEngine::RepairFailed() const
{
    const CRepairErrorsThread* repair = m_repair.Current();
    return repair && (repair->BackupFailed() || repair->RepairedItemsSaveFailed());
}

bool CCorvaneEngine::RepairLeftProblems() const
{
    return m_repair.Current() && m_repair.Current()->Unrepaired().GetSize() > 0;
}

std::wstring CCorvaneEngine::LastBackupPath() const
{
    return m_repair.Current() ? m_repair.Current()->BackupPath() : std::wstring();
}

int CCorvaneEngine::GetTotalFound() const
{
    std::int64_t total = 0;
    for (const SectionCounter& section : m_counters)
        total += section.Found.load();
    return static_cast<int>(total);
}

// --- unresolved problems -------------------------------------------------------------------

bool CCorvaneEngine::SaveUnresolvedProblems(const std::vector<bool>& stays)
{
    return CIgnoredProblemsStore::SaveUnresolvedProblems(m_problems, m_counters, stays);
}

bool CCorvaneEngine::ClearUnresolvedProblems() { return CIgnoredProblemsStore::ClearUnresolvedProblems(); }

bool CCorvaneEngine::LoadIgnoredProblems()
{
    return CIgnoredProblemsStore::LoadIgnoredProblems(m_problems, m_counters);
}

// --- backups ------------------------------------------------------------------------------------

std::wstring CCorvaneEngine::BackupFolder() const { return GetModuleFolder() + L"\\backup"; }

void CCorvaneEngine::ListBackups()
{
    if (!m_notify)
        return;
    for (const std::wstring& path : FindBackupFiles(BackupFolder()))
        (void)PostText(m_notify, WM_BACKUP_FOUND, path);
}

RestoreOutcome CCorvaneEngine::RestoreBackup(const std::wstring& backupPath)
{
    return RestoreBackupFile(backupPath, CRepairedItems::FilePath());
}

// --- report ----------------------------------------------------------------------------------------

bool CCorvaneEngine::WriteScanReport(std::wstring& reportFolder, std::wstring& reportFile) const
{
    return WriteScanReportFile(m_productVersion, m_releaseDate, m_problems, reportFolder, reportFile);
}

// --- scheduled scan ------------------------------------------------------------------------------

bool CCorvaneEngine::SetScanSchedule(const ScanScheduleSetting& setting)
{
    return SetScanScheduleTask(m_scanSchedule, setting);
}

ScheduleLookup CCorvaneEngine::LookupScanSchedule(ScanScheduleSetting& setting) const
{
    return GetScanScheduleTask(m_scanSchedule.taskName, setting);
}

bool CCorvaneEngine::RemoveScanSchedule() { return RemoveScanScheduleTask(m_scanSchedule.taskName); }
