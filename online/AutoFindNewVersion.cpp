#include "online/AutoFindNewVersion.h"

#include "core/UpdateText.h"
#include "online/InstalledVersion.h"
#include "online/UpdateMessages.h"
#include "online/UpdateServer.h"

namespace {

constexpr DWORD kLookIntervalMilliseconds = 60000;

}  // namespace

CAutoFindNewVersion::CAutoFindNewVersion(CNotifyTarget notify, std::wstring ownVersion)
    : m_notify(notify), m_ownVersion(std::move(ownVersion)), m_wake(::CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

bool CAutoFindNewVersion::Start()
{
    if (CreateThread())
        return true;
    m_running = false;
    return false;
}

void CAutoFindNewVersion::RequestCheck()
{
    m_checkRequested = true;
    ::SetEvent(m_wake.get());
}

void CAutoFindNewVersion::RequestStop()
{
    m_running = false;
    m_checkRequested = false;
    m_reportNoUpdate = false;
    ::SetEvent(m_wake.get());
}

int CAutoFindNewVersion::Run()
{
    const CUpdateServerSession server(L"AutoFindNewVersion");
    while (m_running) {
        if (m_checkRequested) {
            Check(server);
            break;
        }
        ::WaitForSingleObject(m_wake.get(), kLookIntervalMilliseconds);
    }
    if (m_outcome == Outcome::Pending) {
        m_outcome = Outcome::Failed;
        // Asked and not stopped: the window waits for an answer, and this is it.
        if (m_checkRequested && m_reportNoUpdate)
            (void)m_notify.Post(WM_UPDATE_UNREACHABLE, 0, 0);
    }
    m_running = false;
    m_checkRequested = false;
    return 0;
}

void CAutoFindNewVersion::Check(const CUpdateServerSession& server)
{
    if (!IsOnline() || !server.IsOpen() || !m_checkRequested)
        return;
    std::wstring served;
    // An error page names no version: the answer is "no new version", not silence.
    if (server.FetchText(kServedVersionFile, served) == CUpdateServerSession::Fetched::NoAnswer ||
        !m_checkRequested)
        return;
    m_servedVersion = served;
    const bool isNew = IsNewVersion(served, m_ownVersion, HighestInstalledVersion());
    m_outcome = isNew ? Outcome::NewVersion : Outcome::NoNewVersion;
    if (isNew)
        (void)m_notify.Post(WM_UPDATE_AVAILABLE, 0, 0);
    else if (m_reportNoUpdate)
        (void)m_notify.Post(WM_UPDATE_NONE, 0, 0);
}
