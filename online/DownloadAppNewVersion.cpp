#include "online/DownloadAppNewVersion.h"

#include "core/UpdateText.h"
#include "online/InstalledVersion.h"
#include "online/UpdateMessages.h"
#include "online/UpdateServer.h"
#include "online/UpdateVerification.h"

namespace {

constexpr DWORD kBlockBytes = 4096;
// Asking the system whether it is on line costs tens of milliseconds under Wine: once per
// block would bound the download to about 50 KB a second.
constexpr ULONGLONG kOnlineCheckIntervalMilliseconds = 1000;
// A fast server delivers a block every few microseconds; a message for each would leave
// the download window (and the main window that passes them on) seconds behind.
constexpr ULONGLONG kProgressIntervalMilliseconds = 50;

}  // namespace

CDownloadAppNewVersion::CDownloadAppNewVersion(CNotifyTarget notify, std::wstring programPath, std::wstring ownVersion)
    : m_notify(notify), m_programPath(std::move(programPath)), m_ownVersion(std::move(ownVersion))
{
}

bool CDownloadAppNewVersion::Start()
{
    if (CreateThread())
        return true;
    m_running = false;
    return false;
}

void CDownloadAppNewVersion::Post(UINT message, WPARAM wParam) const
{
    (void)m_notify.Post(message, wParam, 0);
}

void CDownloadAppNewVersion::RequestStop()
{
    const std::lock_guard finishing(m_finishing);
    m_running = false;
}

int CDownloadAppNewVersion::Run()
{
    std::optional<CDownloadedProgramFile> file;
    ReleaseManifest release;
    const bool verified = DownloadAndVerify(file, release);
    const std::lock_guard finishing(m_finishing);
    if (!m_running) {
        m_outcome = Outcome::Cancelled;
        return 0;
    }
    const bool installed = verified && file->Install();
    // Recorded even when the restart helper later puts the old program back: a release
    // that does not start is not one to offer again.
    if (installed)
        RecordInstalledVersion(m_programPath, release.version);
    m_outcome = installed ? Outcome::Installed : Outcome::Failed;
    Post(installed ? WM_UPDATE_INSTALLED : WM_UPDATE_FAILED);
    m_running = false;
    return 0;
}

bool CDownloadAppNewVersion::ReadRelease(const CUpdateServerSession& server, ReleaseManifest& release) const
{
    using Fetched = CUpdateServerSession::Fetched;
    std::wstring sizeText;
    std::uint64_t announced = 0;
    std::string statement;
    std::wstring signature;
    return server.FetchText(kServedSizeFile, sizeText) == Fetched::Ok && ParseServedSize(sizeText, announced) &&
           server.FetchBytes(kServedManifestFile, statement) == Fetched::Ok &&
           server.FetchText(kServedSignatureFile, signature) == Fetched::Ok &&
           ReadSignedManifest(statement, signature, release) && release.size == announced &&
           IsNewVersion(release.version, m_ownVersion, HighestInstalledVersion());
}

bool CDownloadAppNewVersion::DownloadAndVerify(std::optional<CDownloadedProgramFile>& file, ReleaseManifest& release)
{
    const CUpdateServerSession server(L"DownloadAppNewVersion");
    if (!IsOnline() || !server.IsOpen() || !m_running || !ReadRelease(server, release))
        return false;
    const std::wstring folder = m_programPath.substr(0, m_programPath.rfind(L'\\') + 1);
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr) ||
        available.QuadPart < SpaceNeededForDownload(release.size))
        return false;
    m_expected = release.size;
    file.emplace(m_programPath);
    if (!file->IsOpen())
        return false;
    const bool downloaded = Download(server, file->Handle(), release.size);
    if (m_running)
        Post(WM_DOWNLOAD_DONE);
    return downloaded && m_running && IsProgramOfRelease(file->Handle(), release);
}

bool CDownloadAppNewVersion::Download(const CUpdateServerSession& server, HANDLE file, std::uint64_t expected)
{
    const UniqueInternetHandle request = server.OpenRequest(kServedProgramFile);
    if (!request)
        return false;
    Post(WM_DOWNLOAD_STARTED, static_cast<WPARAM>(expected));
    if (!CUpdateServerSession::SendForOk(request.get()))
        return false;

    std::uint64_t total = 0;
    std::uint64_t posted = 0;
    const ULONGLONG started = ::GetTickCount64();
    const ULONGLONG deadline = DownloadDeadlineMilliseconds(expected);
    ULONGLONG lastOnlineCheck = started;
    ULONGLONG lastPost = 0;
    for (;;) {
        // A server that sends a byte now and then would otherwise hold the update for ever.
        if (::GetTickCount64() - started > deadline)
            return false;
        if (::GetTickCount64() - lastOnlineCheck >= kOnlineCheckIntervalMilliseconds) {
            if (!IsOnline())
                return false;
            lastOnlineCheck = ::GetTickCount64();
        }
        char block[kBlockBytes];
        DWORD read = 0;
        if (!::InternetReadFile(request.get(), block, kBlockBytes, &read) || !m_running)
            return false;
        if (read == 0) {
            if (posted != total)
                Post(WM_DOWNLOAD_PROGRESS, static_cast<WPARAM>(total));
            break;
        }
        total += read;
        // More than announced is not the file the size was given for; stop before
        // filling the disk.
        if (total > expected)
            return false;
        DWORD written = 0;
        if (!::WriteFile(file, block, read, &written, nullptr) || written < read)
            return false;
        m_written = total;
        if (::GetTickCount64() - lastPost >= kProgressIntervalMilliseconds) {
            Post(WM_DOWNLOAD_PROGRESS, static_cast<WPARAM>(total));
            posted = total;
            lastPost = ::GetTickCount64();
        }
    }
    // A body cut short (or a file of another size) must never replace the program.
    return total == expected && ::FlushFileBuffers(file);
}
