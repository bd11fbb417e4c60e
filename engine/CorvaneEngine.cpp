#include "engine/CorvaneEngine.h"

#include "engine/BackupRestore.h"
#include "engine/EngineMessages.h"
#include "engine/FileSystem.h"
#include "engine/IgnoredProblemsStore.h"
#include "engine/LocalTime.h"
#include "engine/Registry.h"
#include "engine/ReportWriter.h"
#include "engine/Settings.h"
#include "engine/VersionInfo.h"
#include "framework/Handles.h"

namespace {

constexpr wchar_t kLastScanDate[] = L"LastScanDate";
constexpr wchar_t kNoScanYet[] = L"Non ancora effettuata";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring UserName()
{
    wchar_t name[1024] = {};
    DWORD chars = 1024;
    return ::GetUserNameW(name, &chars) ? std::wstring(name) : std::wstring();
}

void AddRunValues(CRegistryItemListEx& entries, RootKey root, const wchar_t* hive)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(RootToHKey(root), kRunKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;
    DWORD count = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0; index < count; ++index) {
        wchar_t name[kRegNameChars];
        DWORD nameChars = kRegNameChars;
        if (::RegEnumValueW(key.get(), index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        // 1024 characters of data at most, so a value that fills them has no room for
        // its terminator and is left out rather than cut.
        BYTE data[kRegBufferBytes + sizeof(wchar_t)] = {};
        DWORD size = kRegBufferBytes;
        const std::wstring valueName(name, nameChars);
        if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr, data, &size) != ERROR_SUCCESS)
            continue;
        CRegistryItem item;
        item.Root = root;
        item.Hive = hive;
        item.SubKey = kRunKey;
        item.ValueName = valueName;
        item.ValueData = RegDataText(data, size);
        if (item.ValueData.size() > 1023)
            continue;
        entries.Add(std::move(item));
    }
}

}  // namespace

CCorvaneEngine::CCorvaneEngine()
{
    const std::wstring program = GetModulePath();
    const CVersionInfo version(program);
    m_productVersion = version.GetString(L"ProductVersion");
    m_releaseDate = version.GetString(L"ReleaseDate");
    m_scanSchedule = ScanScheduleTask{L"Velmora", UserName(), program, L"-scan"};
    m_lastScanDate = ::ReadSetting(kLastScanDate);
    if (m_lastScanDate.empty())
        m_lastScanDate = kNoScanYet;
}

CCorvaneEngine::~CCorvaneEngine()
{
    StopScan();
    StopRepair();
}

// --- scan and repair ------------------------------------------------------------------

bool CCorvaneEngine::StartScan(const Selection& sections)
{
    // A scan never runs beside a repair: both use the repaired-items list.
    StopRepair();
    StopScan();
    (void)m_repairedItems.Load();  // an unreadable file filters nothing; the scan still runs
    m_lastScanDate = FormatLastScanDate(LocalCalendarTime());
    (void)::WriteSetting(kLastScanDate, m_lastScanDate);
    ResetCounters(m_counters);
    m_problems.SetSize(0);
    m_scan = std::make_unique<CRegistryScanThread>(
        sections, ScanTarget{&m_problems, &m_counters, &m_repairedItems, m_notify});
    if (m_scan->Start())
        return true;
    m_scan.reset();
    return false;
}

void CCorvaneEngine::StopScan()
{
    if (!m_scan)
        return;
    m_scan->StopAndWait();
    m_scan.reset();
}

bool CCorvaneEngine::IsScanning() const { return m_scan && m_scan->IsRunning(); }

HANDLE CCorvaneEngine::ScanThreadHandle() const { return m_scan ? m_scan->GetThreadHandle() : nullptr; }

bool CCorvaneEngine::StartRepair(std::int32_t count)
{
    StopScan();
    StopRepair();
    m_repair = std::make_unique<CRepairErrorsThread>(
        m_problems, count, RepairTarget{&m_counters, &m_repairedItems, m_notify, BackupFolder(), true});
    if (m_repair->Start())
        return true;
    m_repair.reset();
    return false;
}

void CCorvaneEngine::StopRepair()
{
    if (!m_repair)
        return;
    m_repair->StopAndWait();
    m_repair.reset();
}

bool CCorvaneEngine::IsRepairing() const { return m_repair && m_repair->IsRunning(); }

HANDLE CCorvaneEngine::RepairThreadHandle() const { return m_repair ? m_repair->GetThreadHandle() : nullptr; }

bool CCorvaneEngine::RepairFailed() const
{
    return m_repair && (m_repair->BackupFailed() || m_repair->RepairedItemsSaveFailed());
}

bool CCorvaneEngine::RepairLeftProblems() const { return m_repair && m_repair->Unrepaired().GetSize() > 0; }

std::wstring CCorvaneEngine::LastBackupPath() const { return m_repair ? m_repair->BackupPath() : std::wstring(); }

// --- counters ---------------------------------------------------------------------------

std::int64_t CCorvaneEngine::Total(std::atomic<std::int32_t> SectionCounter::*counter) const
{
    std::int64_t total = 0;
    for (const SectionCounter& c : m_counters)
        total += (c.*counter).load();
    return total;
}

std::wstring CCorvaneEngine::FormatCounter(int section, std::atomic<std::int32_t> SectionCounter::*counter) const
{
    if (section < 0 || section >= kSectionCount)
        return {};
    return std::to_wstring((m_counters[static_cast<std::size_t>(section)].*counter).load());
}

int CCorvaneEngine::GetTotalFound() const { return static_cast<int>(Total(&SectionCounter::Found)); }
std::wstring CCorvaneEngine::FormatTotalFound() const { return std::to_wstring(Total(&SectionCounter::Found)); }
std::wstring CCorvaneEngine::FormatTotalRepaired() const { return std::to_wstring(Total(&SectionCounter::Repaired)); }
std::wstring CCorvaneEngine::FormatTotalIgnored() const { return std::to_wstring(Total(&SectionCounter::Ignored)); }

std::wstring CCorvaneEngine::FormatSectionFound(int section) const
{
    return FormatCounter(section, &SectionCounter::Found);
}

std::wstring CCorvaneEngine::FormatSectionRepaired(int section) const
{
    return FormatCounter(section, &SectionCounter::Repaired);
}

std::wstring CCorvaneEngine::FormatSectionIgnored(int section) const
{
    return FormatCounter(section, &SectionCounter::Ignored);
}

// --- settings and registry ---------------------------------------------------------------

std::wstring CCorvaneEngine::ReadSetting(const std::wstring& name) const { return ::ReadSetting(name); }

bool CCorvaneEngine::WriteSetting(const std::wstring& name, const std::wstring& text)
{
    return ::WriteSetting(name, text);
}

std::wstring CCorvaneEngine::ReadProductValue(const std::wstring& keyPath) const
{
    return RegReadString(HKEY_LOCAL_MACHINE, keyPath, L"Velmora");
}

bool CCorvaneEngine::WriteMachineValue(const std::wstring& keyPath, const std::wstring& valueName,
                                       const std::wstring& text)
{
    return RegWriteString(HKEY_LOCAL_MACHINE, keyPath, valueName, text);
}

bool CCorvaneEngine::DeleteRegistryValue(RootKey root, const std::wstring& keyPath, const std::wstring& valueName)
{
    return RegDeleteValueAt(RootToHKey(root), keyPath, valueName);
}

CRegistryItemListEx CCorvaneEngine::GetStartupEntries() const
{
    CRegistryItemListEx entries;
    AddRunValues(entries, kRootCurrentUser, L"HKEY_CURRENT_USER");
    AddRunValues(entries, kRootLocalMachine, L"HKEY_LOCAL_MACHINE");
    return entries;
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

std::vector<std::wstring> CCorvaneEngine::ListBackups()
{
    std::vector<std::wstring> paths = FindBackupFiles(BackupFolder());
    if (m_notify)
        for (const std::wstring& path : paths)
            (void)PostText(m_notify, WM_BACKUP_FOUND, path);
    return paths;
}

bool CCorvaneEngine::RestoreBackup(const std::wstring& backupPath)
{
    return RestoreBackupFile(backupPath, CRepairedItems::FilePath());
}

// --- report ----------------------------------------------------------------------------------------

bool CCorvaneEngine::WriteScanReport(std::wstring& reportFolder, std::wstring& reportFile) const
{
    return WriteScanReportFile(m_productVersion, m_releaseDate, m_problems, reportFolder, reportFile);
}

void CCorvaneEngine::OpenReportFolder() const { OpenReportFolderInShell(); }

// --- scheduled scan ------------------------------------------------------------------------------

bool CCorvaneEngine::SetScanSchedule(int kind, int hour, int minute, std::uint16_t daysOfWeek)
{
    return SetScanScheduleTask(m_scanSchedule, ScanScheduleSetting{kind, hour, minute, daysOfWeek});
}

bool CCorvaneEngine::GetScanSchedule(int& kind, int& hour, int& minute, std::uint16_t& daysOfWeek) const
{
    ScanScheduleSetting setting;
    if (LookupScanSchedule(setting) != ScheduleLookup::Found)
        return false;
    kind = setting.kind;
    hour = setting.hour;
    minute = setting.minute;
    daysOfWeek = setting.daysOfWeek;
    return true;
}

ScheduleLookup CCorvaneEngine::LookupScanSchedule(ScanScheduleSetting& setting) const
{
    return GetScanScheduleTask(m_scanSchedule.taskName, setting);
}
