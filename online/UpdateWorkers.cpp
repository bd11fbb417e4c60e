#include "online/UpdateWorkers.h"

#include <memory>
#include <utility>

CUpdateWorkers::CUpdateWorkers(std::wstring ownVersion, std::wstring programPath)
    : m_ownVersion(std::move(ownVersion)), m_programPath(std::move(programPath))
{
}

bool CUpdateWorkers::StartUpdateCheck(const CNotifyTarget& notify)
{
    return m_check.Start(std::make_unique<CAutoFindNewVersion>(notify, m_ownVersion));
}

void CUpdateWorkers::SetCheckRequested()
{
    if (CAutoFindNewVersion* check = m_check.Current())
        check->RequestCheck();
}

bool CUpdateWorkers::StartUpdateDownload(const CNotifyTarget& notify)
{
    return m_download.Start(std::make_unique<CDownloadAppNewVersion>(notify, m_programPath, m_ownVersion));
}

void CUpdateWorkers::StopUpdateDownload() { m_download.Stop(); }
