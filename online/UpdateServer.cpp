#include "online/UpdateServer.h"

#include "engine/Settings.h"

namespace {

// A server that accepts the connection and then says nothing must not hold a worker (and
// so the window that waits for it) for ever.
constexpr DWORD kTimeoutMilliseconds = 30000;
constexpr DWORD kTextBufferBytes = 4096;

UpdateServerBase ConfiguredBase(bool& valid)
{
    std::wstring url = ReadSetting(kUpdateServerSetting);
    if (url.empty())
        url = kDefaultUpdateServer;
    UpdateServerBase base;
    valid = ParseUpdateServerUrl(url, base);
    return base;
}

}  // namespace

bool IsOnline()
{
    DWORD flags = 0;
    return ::InternetGetConnectedState(&flags, 0) == TRUE;
}

CUpdateServerSession::CUpdateServerSession(const wchar_t* agent)
{
    bool valid = false;
    m_base = ConfiguredBase(valid);
    if (!valid)
        return;
    m_internet.reset(::InternetOpenW(agent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!m_internet)
        return;
    DWORD timeout = kTimeoutMilliseconds;
    for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                               INTERNET_OPTION_RECEIVE_TIMEOUT})
        ::InternetSetOptionW(m_internet.get(), option, &timeout, sizeof(timeout));
    m_connection.reset(::InternetConnectW(m_internet.get(), m_base.host.c_str(), m_base.port, nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, 0));
}

UniqueInternetHandle CUpdateServerSession::OpenRequest(std::wstring_view file) const
{
    if (!m_connection)
        return {};
    const std::wstring path = ServedFilePath(m_base, file);
    const wchar_t* accepted[] = {L"*/*", nullptr};
    // No cached copy: an old version file would hide a new version.
    return UniqueInternetHandle(::HttpOpenRequestW(m_connection.get(), L"GET", path.c_str(), nullptr, nullptr,
                                                   accepted, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
}

bool CUpdateServerSession::SendForOk(HINTERNET request)
{
    if (!::HttpSendRequestW(request, nullptr, 0, nullptr, 0))
        return false;
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return false;
    // An error page is never the file asked for.
    return status == HTTP_STATUS_OK;
}

bool CUpdateServerSession::FetchText(std::wstring_view file, std::wstring& text) const
{
    const UniqueInternetHandle request = OpenRequest(file);
    if (!request || !SendForOk(request.get()))
        return false;
    char buffer[kTextBufferBytes] = {};
    DWORD read = 0;
    if (!::InternetReadFile(request.get(), buffer, kTextBufferBytes, &read))
        return false;
    text = WidenServedText(std::string_view(buffer, read));
    return true;
}
