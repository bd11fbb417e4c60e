#include "core/HttpClient.h"

#include <array>

HttpExchangeResult CHttpClient::Post(const HttpUrl& url, std::string_view soapAction, std::string_view body)
{
    HttpUrl target = url;
    for (int redirects = 0;; ++redirects) {
        HttpResponse response;
        if (!EnsureConnected(target) || !SendRequest(target, soapAction, body) || !ReadResponse(response)) {
            Drop();
            return {};
        }
        if (response.closeConnection)
            Drop();
        switch (ClassifyHttpStatus(response.status)) {
        case HttpStatusClass::Complete:
            return {true, response.status, std::move(response.body)};
        case HttpStatusClass::Failed:
            return {false, response.status, std::move(response.body)};
        case HttpStatusClass::Redirect:
            break;
        }
        const std::optional<std::string_view> location = response.Header("Location");
        std::optional<HttpUrl> next = location ? ResolveLocation(target, *location) : std::nullopt;
        if (!next || redirects == kMaxHttpRedirects) {
            Drop();
            return {false, response.status, {}};
        }
        target = std::move(*next);
    }
}

bool CHttpClient::EnsureConnected(const HttpUrl& url)
{
    if (m_connected && m_host == url.host && m_port == url.port)
        return true;
    Drop();
    if (!m_channel.Connect(url.host, url.port))
        return false;
    m_connected = true;
    m_host = url.host;
    m_port = url.port;
    return true;
}

bool CHttpClient::SendRequest(const HttpUrl& url, std::string_view soapAction, std::string_view body)
{
    if (!m_channel.Send(BuildSoapPostHead(url, body.size(), soapAction)))
        return false;
    for (std::size_t offset = 0; offset < body.size(); offset += kHttpBlockBytes)
        if (!m_channel.Send(body.substr(offset, kHttpBlockBytes)))
            return false;
    return true;
}

bool CHttpClient::ReadResponse(HttpResponse& response)
{
    CHttpResponseReader reader;
    std::array<char, kHttpBlockBytes> block;
    while (reader.State() == CHttpResponseReader::Progress::NeedMore) {
        const std::ptrdiff_t received = m_channel.Receive(block.data(), block.size());
        if (received < 0)
            return false;
        if (received == 0)
            reader.EndOfStream();
        else
            reader.Feed(std::string_view(block.data(), static_cast<std::size_t>(received)));
    }
    if (reader.State() != CHttpResponseReader::Progress::Done)
        return false;
    response = reader.TakeResponse();
    return true;
}

void CHttpClient::Drop()
{
    if (m_connected)
        m_channel.Disconnect();
    m_connected = false;
}
