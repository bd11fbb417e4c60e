#include "online/UpdateWorkers.h"

CUpdateWorkers::CUpdateWorkers(std::wstring ownVersion, std::wstring programPath)
    : m_ownVersion(std::move(ownVersion)), m_programPath(std::move(programPath))
{
}

CUpdateWorkers::~CUpdateWorkers()
{
    StopCheck();
    StopUpdateDownload();
}

void CUpdateWorkers::StopCheck()
{
    if (!m_check)
        return;
    m_check->StopAndWait();
    m_check.reset();
}

bool CUpdateWorkers::StartUpdateCheck(HWND notify)
{
    StopCheck();
    m_check = std::make_unique<CAutoFindNewVersion>(notify, m_ownVersion);
    if (m_check->Start())
        return true;
    m_check.reset();
    return false;
}

void CUpdateWorkers::SetCheckRequested()
{
    if (m_check)
        m_check->RequestCheck();
}

bool CUpdateWorkers::StartUpdateDownload(HWND notify)
{
    StopUpdateDownload();
    m_download = std::make_unique<CDownloadAppNewVersion>(notify, m_programPath, TempFolder());
    if (m_download->Start())
        return true;
    m_download.reset();
    return false;
}

void CUpdateWorkers::StopUpdateDownload()
{
    if (!m_download)
        return;
    m_download->StopAndWait();
    m_download.reset();
}
