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
    if (url.empty() && !kIsTestBuild)
        url = kDefaultUpdateServer;
    UpdateServerBase base;
    valid = ParseUpdateServerUrl(url, base);
    return base;
}

void SetTimeouts(HINTERNET handle)
{
    DWORD timeout = kTimeoutMilliseconds;
    for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                               INTERNET_OPTION_RECEIVE_TIMEOUT})
        ::InternetSetOptionW(handle, option, &timeout, sizeof(timeout));
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
    SetTimeouts(m_internet.get());
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
    UniqueInternetHandle request(::HttpOpenRequestW(m_connection.get(), L"GET", path.c_str(), nullptr, nullptr,
                                                    accepted, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    // Wine's requests do not take the time-outs of the session: a server that accepts and
    // then says nothing would hold the call for ever.
    if (request)
        SetTimeouts(request.get());
    return request;
}

namespace {

// False when no answer with a status came back.
bool Send(HINTERNET request, DWORD& status)
{
    DWORD size = sizeof(status);
    return ::HttpSendRequestW(request, nullptr, 0, nullptr, 0) &&
           ::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
}

}  // namespace

bool CUpdateServerSession::SendForOk(HINTERNET request)
{
    DWORD status = 0;
    // An error page is never the file asked for.
    return Send(request, status) && status == HTTP_STATUS_OK;
}

CUpdateServerSession::Fetched CUpdateServerSession::FetchBytes(std::wstring_view file, std::string& bytes) const
{
    const UniqueInternetHandle request = OpenRequest(file);
    DWORD status = 0;
    if (!request || !Send(request.get(), status))
        return Fetched::NoAnswer;
    if (status != HTTP_STATUS_OK)
        return Fetched::ErrorStatus;
    char buffer[kTextBufferBytes] = {};
    DWORD read = 0;
    if (!::InternetReadFile(request.get(), buffer, kTextBufferBytes, &read))
        return Fetched::NoAnswer;
    bytes.assign(buffer, read);
    return Fetched::Ok;
}

CUpdateServerSession::Fetched CUpdateServerSession::FetchText(std::wstring_view file, std::wstring& text) const
{
    std::string bytes;
    const Fetched fetched = FetchBytes(file, bytes);
    if (fetched == Fetched::Ok)
        text = WidenServedText(bytes);
    return fetched;
}
