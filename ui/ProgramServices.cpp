#include "ui/ProgramServices.h"

#include "engine/CorvaneEngine.h"
#include "engine/Registry.h"
#include "engine/ReportWriter.h"
#include "engine/Settings.h"
#include "engine/StartupEntries.h"
#include "engine/UpdateWorkerSeam.h"
#include "online/SystemSnapshot.h"

CProgramServices::CProgramServices(CCorvaneEngine& engine, IUpdateWorkers& updates)
    : m_engine(engine), m_updates(updates)
{
}

// --- scan -----------------------------------------------------------------------------

void CProgramServices::SetNotifyWindow(HWND window)
{
    m_notifyWindow = window;
    m_engine.SetNotifyWindow(window);
}

bool CProgramServices::StartScan(const Selection& sections) { return m_engine.StartScan(sections); }
void CProgramServices::StopScan() { m_engine.StopScan(); }
bool CProgramServices::HasScanWorker() const { return m_engine.ScanThreadHandle() != nullptr; }
bool CProgramServices::IsScanning() const { return m_engine.IsScanning(); }
int CProgramServices::GetTotalFound() const { return m_engine.GetTotalFound(); }
std::wstring CProgramServices::LastScanDate() const { return m_engine.LastScanDate(); }
bool CProgramServices::ClearUnresolvedProblems() { return m_engine.ClearUnresolvedProblems(); }
bool CProgramServices::LoadIgnoredProblems() { return m_engine.LoadIgnoredProblems(); }

// --- repair and backups ---------------------------------------------------------------

int CProgramServices::ProblemCount() const { return static_cast<int>(m_engine.ProblemList().GetSize()); }
bool CProgramServices::StartRepair(int count) { return m_engine.StartRepair(count); }
void CProgramServices::StopRepair() { m_engine.StopRepair(); }
bool CProgramServices::RepairFailed() const { return m_engine.RepairFailed(); }
bool CProgramServices::RepairLeftProblems() const { return m_engine.RepairLeftProblems(); }

void CProgramServices::ListBackups() { static_cast<void>(m_engine.ListBackups()); }
RestoreOutcome CProgramServices::RestoreBackup(const std::wstring& path) { return m_engine.RestoreBackup(path); }

// --- self-update ----------------------------------------------------------------------

bool CProgramServices::StartUpdateCheck()
{
    if (!m_updates.StartUpdateCheck(m_notifyWindow))
        return false;
    m_updates.SetCheckRequested();
    return true;
}

bool CProgramServices::StartUpdateDownload() { return m_updates.StartUpdateDownload(m_notifyWindow); }
void CProgramServices::StopDownload() { m_updates.StopUpdateDownload(); }

// --- settings and startup entries -----------------------------------------------------

std::wstring CProgramServices::ReadSetting(const std::wstring& name) const { return ::ReadSetting(name); }

void CProgramServices::WriteSetting(const std::wstring& name, const std::wstring& text)
{
    static_cast<void>(::WriteSetting(name, text));
}

bool CProgramServices::HasStartWithWindowsEntry() const
{
    return !RegReadString(HKEY_LOCAL_MACHINE, kStartupRunKey, kProgramRunValue).empty();
}

void CProgramServices::SetStartWithWindowsEntry(bool on)
{
    if (on)
        static_cast<void>(RegWriteString(HKEY_LOCAL_MACHINE, kStartupRunKey, kProgramRunValue, ProgramRunCommand()));
    else
        static_cast<void>(RegDeleteValueAt(HKEY_LOCAL_MACHINE, kStartupRunKey, kProgramRunValue));
}

bool CProgramServices::GetScanSchedule(ScanScheduleSetting& setting) const
{
    return m_engine.LookupScanSchedule(setting) == ScheduleLookup::Found;
}

bool CProgramServices::SetScanSchedule(const ScanScheduleSetting& setting) { return m_engine.SetScanSchedule(setting); }
void CProgramServices::OpenReportFolder() { OpenReportFolderInShell(); }

CRegistryItemListEx CProgramServices::GetStartupEntries() const { return ReadStartupEntries(); }

StartupRemoval CProgramServices::RemoveStartupEntry(std::size_t position, const CRegistryItem& shown)
{
    return CStartupEntries(m_engine.BackupFolder()).Remove(position, shown);
}

// --- online ---------------------------------------------------------------------------

std::wstring CProgramServices::BuildSnapshot(std::wstring& marked) { return ::BuildSnapshot(marked); }

SubmitOutcome CProgramServices::SubmitLog(const std::wstring& email, const std::wstring& description,
                                          const std::wstring& log, const std::wstring& productVersion,
                                          const std::atomic<bool>& abandoned)
{
    return ::SubmitLog(email, description, log, productVersion, nullptr, &abandoned);
}

std::wstring CProgramServices::ProductVersion() const { return m_engine.ProductVersion(); }

FetchOutcome CProgramServices::FetchSolution(std::wstring& comments, std::wstring& commands,
                                             const std::atomic<bool>& abandoned)
{
    return ::FetchSolution(comments, commands, &abandoned);
}

std::wstring CProgramServices::DescribeSolution(const std::wstring& commands)
{
    return ::DescribeSolution(commands, m_engine.BackupFolder());
}

std::wstring CProgramServices::RunSolution(const std::wstring& commands, const SolutionProgress& progress)
{
    return ::RunSolution(commands, m_engine.BackupFolder(), progress);
}
