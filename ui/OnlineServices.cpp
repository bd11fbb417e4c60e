#include "ui/OnlineServices.h"

#include "online/SystemSnapshot.h"
#include "online/UpdateWorkers.h"

#include <utility>

COnlineServices::COnlineServices(std::wstring productVersion, std::wstring backupFolder, CUpdateWorkers& updates)
    : m_productVersion(std::move(productVersion)), m_backupFolder(std::move(backupFolder)), m_updates(updates)
{
}

std::wstring COnlineServices::BuildSnapshot(std::wstring& marked) { return ::BuildSnapshot(marked); }

SubmitOutcome COnlineServices::SubmitLog(const std::wstring& email, const std::wstring& description,
                                         const std::wstring& log, const std::wstring& productVersion,
                                         const std::atomic<bool>& abandoned)
{
    return ::SubmitLog(email, description, log, productVersion, nullptr, &abandoned);
}

FetchOutcome COnlineServices::FetchSolution(std::wstring& comments, std::wstring& commands,
                                            const std::atomic<bool>& abandoned)
{
    return ::FetchSolution(comments, commands, &abandoned);
}

std::unique_ptr<IPreparedSolution> COnlineServices::PrepareSolution(const std::wstring& commands)
{
    return std::make_unique<CPreparedSolution>(commands, m_backupFolder);
}

bool COnlineServices::StartUpdateCheck(HWND notify)
{
    if (!m_updates.StartUpdateCheck(notify))
        return false;
    m_updates.SetCheckRequested();
    return true;
}

bool COnlineServices::StartUpdateDownload(HWND notify) { return m_updates.StartUpdateDownload(notify); }
void COnlineServices::StopDownload() { m_updates.StopUpdateDownload(); }
