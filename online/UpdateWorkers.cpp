#include "online/UpdateWorkers.h"

#include <algorithm>

template <typename Worker>
void CUpdateWorkers::Slot<Worker>::Retire()
{
    std::erase_if(stopping, [](const std::unique_ptr<Worker>& worker) {
        return ::WaitForSingleObject(worker->GetThreadHandle(), 0) != WAIT_TIMEOUT;
    });
    if (!current)
        return;
    current->Stop();
    stopping.push_back(std::move(current));
}

template <typename Worker>
void CUpdateWorkers::Slot<Worker>::WaitForAll()
{
    Retire();
    for (const std::unique_ptr<Worker>& worker : stopping)
        worker->WaitForEnd();
    stopping.clear();
}

CUpdateWorkers::CUpdateWorkers(std::wstring ownVersion, std::wstring programPath)
    : m_ownVersion(std::move(ownVersion)), m_programPath(std::move(programPath))
{
}

CUpdateWorkers::~CUpdateWorkers()
{
    m_check.WaitForAll();
    m_download.WaitForAll();
}

bool CUpdateWorkers::StartUpdateCheck(HWND notify)
{
    m_check.Retire();
    m_check.current = std::make_unique<CAutoFindNewVersion>(notify, m_ownVersion);
    if (m_check.current->Start())
        return true;
    m_check.current.reset();
    return false;
}

void CUpdateWorkers::SetCheckRequested()
{
    if (m_check.current)
        m_check.current->RequestCheck();
}

bool CUpdateWorkers::StartUpdateDownload(HWND notify)
{
    m_download.Retire();
    m_download.current = std::make_unique<CDownloadAppNewVersion>(notify, m_programPath);
    if (m_download.current->Start())
        return true;
    m_download.current.reset();
    return false;
}

void CUpdateWorkers::StopUpdateDownload() { m_download.Retire(); }
