#include "core/HttpMessage.h"

#include <algorithm>

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimSpace(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Printable ASCII without spaces: the only characters a URL may bring into a request line.
bool IsUrlText(std::string_view text)
{
    for (const char c : text)
        if (c <= ' ' || c > '~')
            return false;
    return true;
}

std::string_view DropFragment(std::string_view text)
{
    return text.substr(0, text.find('#'));
}

std::optional<HttpUrl> ParseAsciiUrl(std::string_view url)
{
    constexpr std::string_view kScheme = "http://";
    if (!IsUrlText(url) || !StartsWithNoCase(url, kScheme))
        return std::nullopt;
    url = DropFragment(url.substr(kScheme.size()));
    const std::size_t authorityEnd = url.find_first_of("/?");
    std::string_view authority = url.substr(0, authorityEnd);
    const std::string_view rest = authorityEnd == std::string_view::npos ? std::string_view() : url.substr(authorityEnd);

    HttpUrl parsed;
    if (const std::size_t colon = authority.find(':'); colon != std::string_view::npos) {
        const std::string_view port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5)
            return std::nullopt;
        unsigned value = 0;
        for (const char c : port) {
            if (!IsDigit(c))
                return std::nullopt;
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value == 0 || value > 65535)
            return std::nullopt;
        parsed.port = static_cast<std::uint16_t>(value);
        authority = authority.substr(0, colon);
    }
    if (authority.empty())
        return std::nullopt;
    for (const char c : authority)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '.' || c == '-'))
            return std::nullopt;
    parsed.host = authority;
    parsed.target = rest.empty() || rest.front() == '?' ? "/" + std::string(rest) : std::string(rest);
    return parsed;
}

}  // namespace

std::optional<HttpUrl> ParseHttpUrl(std::wstring_view url)
{
    std::string ascii;
    for (const wchar_t c : url) {
        if (static_cast<std::uint32_t>(c) > 0x7E)
            return std::nullopt;
        ascii += static_cast<char>(c);
    }
    return ParseAsciiUrl(ascii);
}

std::optional<HttpUrl> ResolveLocation(const HttpUrl& from, std::string_view location)
{
    location = TrimSpace(location);
    if (location.empty() || !IsUrlText(location))
        return std::nullopt;
    if (StartsWithNoCase(location, "http://"))
        return ParseAsciiUrl(location);
    if (location.substr(0, 2) == "//")
        return ParseAsciiUrl("http:" + std::string(location));
    if (location.find(':') < location.find_first_of("/?"))
        return std::nullopt;  // another scheme
    HttpUrl resolved = from;
    location = DropFragment(location);
    if (location.front() == '/') {
        resolved.target = location;
    } else {
        const std::string_view path = std::string_view(from.target).substr(0, from.target.find('?'));
        resolved.target = std::string(path.substr(0, path.rfind('/') + 1)) + std::string(location);
    }
    return resolved;
}

std::string BuildSoapPostHead(const HttpUrl& url, std::size_t bodyBytes, std::string_view soapAction)
{
    std::string head = "POST " + url.target + " HTTP/1.1\r\nHost: " + url.host;
    if (url.port != 80)
        head += ":" + std::to_string(url.port);
    head += "\r\nContent-Length: " + std::to_string(bodyBytes);
    head += "\r\nContent-Type: text/xml; charset=utf-8\r\nSOAPAction: ";
    head += soapAction;
    head += "\r\nAccept: text/xml\r\nUser-Agent: Microsoft-ATL-Native/8.00\r\n\r\n";
    return head;
}

HttpStatusClass ClassifyHttpStatus(int status)
{
    if ((status >= 200 && status <= 206) || status == 304 || status == 305)
        return HttpStatusClass::Complete;
    if (status >= 301 && status <= 303)
        return HttpStatusClass::Redirect;
    return HttpStatusClass::Failed;
}

std::optional<std::string_view> HttpResponse::Header(std::string_view name) const
{
    for (const auto& [key, value] : headers)
        if (EqualsNoCase(key, name))
            return std::string_view(value);
    return std::nullopt;
}

CHttpResponseReader::Progress CHttpResponseReader::Feed(std::string_view bytes)
{
    if (m_progress != Progress::NeedMore)
        return m_progress;
    m_pending.append(bytes);
    while (m_progress == Progress::NeedMore && Step()) {
    }
    return m_progress;
}

CHttpResponseReader::Progress CHttpResponseReader::EndOfStream()
{
    if (m_progress == Progress::NeedMore) {
        if (m_stage == Stage::BodyToClose) {
            m_response.closeConnection = true;
            Finish();
        }
        else
            Failed();
    }
    return m_progress;
}

void CHttpResponseReader::Finish()
{
    m_progress = Progress::Done;
    m_pending.clear();
}

void CHttpResponseReader::Failed()
{
    m_progress = Progress::Failed;
    m_pending.clear();
}

bool CHttpResponseReader::TakeLine(std::string& line)
{
    // Bytes already searched are not searched again: a line may arrive a byte at a time.
    const std::size_t end = m_pending.find('\n', m_searched);
    const std::size_t length = end == std::string::npos ? m_pending.size() : end + 1;
    if (m_lineBytes + length > kMaxHttpHeadBytes) {
        Failed();
        return false;
    }
    if (end == std::string::npos) {
        m_searched = m_pending.size();
        return false;
    }
    m_searched = 0;
    m_lineBytes += length;
    line.assign(m_pending, 0, end);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    m_pending.erase(0, length);
    return true;
}

bool CHttpResponseReader::AppendBody(std::size_t count)
{
    if (m_response.body.size() + count > kMaxHttpBodyBytes) {
        Failed();
        return false;
    }
    m_response.body.append(m_pending, 0, count);
    m_pending.erase(0, count);
    return true;
}

bool CHttpResponseReader::Step()
{
    std::string line;
    switch (m_stage) {
    case Stage::StatusLine:
        if (!TakeLine(line))
            return false;
        return line.empty() || StartHead(line);
    case Stage::Headers:
        if (!TakeLine(line))
            return false;
        return line.empty() ? EndHead() : AddHeader(line);
    case Stage::FixedBody:
    case Stage::ChunkData: {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(m_remaining, m_pending.size()));
        if (count == 0 && m_remaining > 0)
            return false;
        if (!AppendBody(count))
            return false;
        m_remaining -= count;
        if (m_remaining == 0) {
            if (m_stage == Stage::FixedBody)
                Finish();
            else
                m_stage = Stage::ChunkEnd;
        }
        return true;
    }
    case Stage::BodyToClose:
        AppendBody(m_pending.size());
        return false;
    case Stage::ChunkSize: {
        m_lineBytes = 0;
        if (!TakeLine(line))
            return false;
        const std::string_view size = TrimSpace(std::string_view(line).substr(0, line.find(';')));
        if (size.empty()) {
            Failed();
            return false;
        }
        std::uint64_t value = 0;
        for (const char c : size) {
            const char lower = Lower(c);
            const bool hex = IsDigit(c) || (lower >= 'a' && lower <= 'f');
            if (!hex || value > kMaxHttpBodyBytes) {
                Failed();
                return false;
            }
            value = value * 16 + static_cast<std::uint64_t>(IsDigit(c) ? c - '0' : lower - 'a' + 10);
        }
        if (value > kMaxHttpBodyBytes - m_response.body.size()) {
            Failed();
            return false;
        }
        m_remaining = value;
        m_stage = value == 0 ? Stage::Trailers : Stage::ChunkData;
        return true;
    }
    case Stage::ChunkEnd:
        m_lineBytes = 0;
        if (!TakeLine(line))
            return false;
        if (!line.empty()) {
            Failed();
            return false;
        }
        m_lineBytes = 0;
        m_stage = Stage::ChunkSize;
        return true;
    case Stage::Trailers:
        if (!TakeLine(line))
            return false;
        if (line.empty())
            Finish();
        return true;
    }
    return false;
}

bool CHttpResponseReader::StartHead(const std::string& line)
{
    // "HTTP/1.x NNN reason"
    if (line.size() < 12 || line.compare(0, 7, "HTTP/1.") != 0 || !IsDigit(line[7]) || line[8] != ' ' ||
        !IsDigit(line[9]) || !IsDigit(line[10]) || !IsDigit(line[11]) || (line.size() > 12 && line[12] != ' ') ||
        line[9] == '0') {
        Failed();
        return false;
    }
    m_http10 = line[7] == '0';
    m_response.status = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
    m_stage = Stage::Headers;
    return true;
}

bool CHttpResponseReader::AddHeader(const std::string& line)
{
    const std::size_t colon = line.find(':');
    // Folded continuation lines are obsolete and never needed here.
    if (colon == std::string::npos || colon == 0 || line[0] == ' ' || line[0] == '\t' ||
        TrimSpace(std::string_view(line).substr(0, colon)).size() != colon) {
        Failed();
        return false;
    }
    m_response.headers.emplace_back(line.substr(0, colon),
                                    std::string(TrimSpace(std::string_view(line).substr(colon + 1))));
    return true;
}

bool CHttpResponseReader::EndHead()
{
    const int status = m_response.status;
    if (status >= 100 && status <= 199) {
        // An interim response: the real one follows.
        if (++m_interimResponses > kMaxHttpInterimResponses) {
            Failed();
            return false;
        }
        m_response = HttpResponse();
        m_lineBytes = 0;
        m_stage = Stage::StatusLine;
        return true;
    }

    bool close = false, keepAlive = false;
    for (const auto& [name, value] : m_response.headers) {
        if (!EqualsNoCase(name, "Connection"))
            continue;
        std::string_view tokens = value;
        while (!tokens.empty()) {
            const std::size_t comma = tokens.find(',');
            const std::string_view token = TrimSpace(tokens.substr(0, comma));
            close = close || EqualsNoCase(token, "close");
            keepAlive = keepAlive || EqualsNoCase(token, "keep-alive");
            tokens = comma == std::string_view::npos ? std::string_view() : tokens.substr(comma + 1);
        }
    }
    m_response.closeConnection = close || (m_http10 && !keepAlive);

    if (status == 202 || status == 204 || status == 304) {
        Finish();
        return false;
    }
    if (const auto coding = m_response.Header("Transfer-Encoding")) {
        if (!EqualsNoCase(*coding, "chunked")) {
            Failed();
            return false;
        }
        m_stage = Stage::ChunkSize;
        return true;
    }
    std::optional<std::uint64_t> length;
    for (const auto& [name, value] : m_response.headers) {
        if (!EqualsNoCase(name, "Content-Length"))
            continue;
        std::uint64_t parsed = 0;
        bool valid = !value.empty();
        for (const char c : value) {
            valid = valid && IsDigit(c) && parsed <= kMaxHttpBodyBytes;
            parsed = parsed * 10 + static_cast<std::uint64_t>(c - '0');
        }
        if (!valid || parsed > kMaxHttpBodyBytes || (length && *length != parsed)) {
            Failed();
            return false;
        }
        length = parsed;
    }
    if (!length) {
        m_stage = Stage::BodyToClose;
        return true;
    }
    m_remaining = *length;
    if (m_remaining == 0) {
        Finish();
        return false;
    }
    m_stage = Stage::FixedBody;
    return true;
}
