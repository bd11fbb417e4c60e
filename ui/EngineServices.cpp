#include "ui/EngineServices.h"

#include "engine/CorvaneEngine.h"

void CEngineServices::SetNotifyWindow(HWND window) { m_engine.SetNotifyWindow(window); }
bool CEngineServices::StartScan(const Selection& sections) { return m_engine.StartScan(sections); }
void CEngineServices::StopScan() { m_engine.StopScan(); }
bool CEngineServices::HasScanWorker() const { return m_engine.ScanThreadHandle() != nullptr; }
bool CEngineServices::IsScanning() const { return m_engine.IsScanning(); }
int CEngineServices::GetTotalFound() const { return m_engine.GetTotalFound(); }
std::wstring CEngineServices::LastScanDate() const { return m_engine.LastScanDate(); }
bool CEngineServices::ClearUnresolvedProblems() { return m_engine.ClearUnresolvedProblems(); }
bool CEngineServices::LoadIgnoredProblems() { return m_engine.LoadIgnoredProblems(); }

const CErrorListEx& CEngineServices::Problems() const { return m_engine.ProblemList(); }
const SectionCounters& CEngineServices::Counters() const { return m_engine.SectionCounters(); }

bool CEngineServices::SaveUnresolvedProblems(const std::vector<bool>& stays)
{
    return m_engine.SaveUnresolvedProblems(stays);
}

bool CEngineServices::WriteScanReport(std::wstring& reportFolder, std::wstring& reportFile)
{
    return m_engine.WriteScanReport(reportFolder, reportFile);
}

bool CEngineServices::StartRepair() { return m_engine.StartRepair(m_engine.ProblemList()); }
void CEngineServices::StopRepair() { m_engine.StopRepair(); }
bool CEngineServices::RepairFailed() const { return m_engine.RepairFailed(); }
bool CEngineServices::RepairLeftProblems() const { return m_engine.RepairLeftProblems(); }

void CEngineServices::ListBackups() { m_engine.ListBackups(); }
RestoreOutcome CEngineServices::RestoreBackup(const std::wstring& path) { return m_engine.RestoreBackup(path); }
