#include "core/HttpClient.h"

#include <algorithm>
#include <array>

HttpExchangeResult CHttpClient::Post(const HttpUrl& url, std::string_view soapAction, std::string_view body)
{
    m_end = m_clock() + m_deadline;
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
        // Another host or port is not the service the endpoint names.
        if (!next || next->host != url.host || next->port != url.port || redirects == kMaxHttpRedirects) {
            Drop();
            return {false, response.status, {}};
        }
        target = std::move(*next);
    }
}

std::chrono::milliseconds CHttpClient::TimeLeft() const
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - m_clock());
    return std::max(left, std::chrono::milliseconds(0));
}

bool CHttpClient::EnsureConnected(const HttpUrl& url)
{
    if (m_connected && m_host == url.host && m_port == url.port)
        return true;
    Drop();
    const std::chrono::milliseconds left = TimeLeft();
    if (left.count() == 0 || !m_channel.Connect(url.host, url.port, left))
        return false;
    m_connected = true;
    m_host = url.host;
    m_port = url.port;
    return true;
}

bool CHttpClient::SendRequest(const HttpUrl& url, std::string_view soapAction, std::string_view body)
{
    const auto send = [this](std::string_view bytes) {
        const std::chrono::milliseconds left = TimeLeft();
        return left.count() > 0 && m_channel.Send(bytes, left);
    };
    if (!send(BuildSoapPostHead(url, body.size(), soapAction)))
        return false;
    for (std::size_t offset = 0; offset < body.size(); offset += kHttpBlockBytes)
        if (!send(body.substr(offset, kHttpBlockBytes)))
            return false;
    return true;
}

bool CHttpClient::ReadResponse(HttpResponse& response)
{
    CHttpResponseReader reader;
    std::array<char, kHttpBlockBytes> block;
    while (reader.State() == CHttpResponseReader::Progress::NeedMore) {
        const std::chrono::milliseconds left = TimeLeft();
        if (left.count() == 0)
            return false;
        const std::ptrdiff_t received = m_channel.Receive(block.data(), block.size(), left);
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
