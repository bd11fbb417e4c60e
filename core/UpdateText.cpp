#include "core/UpdateText.h"

namespace {

constexpr std::size_t kServedTextLimit = 1024;
constexpr std::uint64_t kLargestProgramFile = std::uint64_t{1} << 31;

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

bool ParseUpdateServerUrl(std::wstring_view url, UpdateServerBase& base)
{
    constexpr std::wstring_view scheme = L"http://";
    if (url.substr(0, scheme.size()) != scheme)
        return false;
    url.remove_prefix(scheme.size());
    const std::size_t slash = url.find(L'/');
    std::wstring_view authority = url.substr(0, slash);
    std::wstring_view folder = slash == std::wstring_view::npos ? std::wstring_view() : url.substr(slash);
    while (!folder.empty() && folder.back() == L'/')
        folder.remove_suffix(1);

    std::uint32_t port = 80;
    const std::size_t colon = authority.rfind(L':');
    if (colon != std::wstring_view::npos) {
        const std::wstring_view digits = authority.substr(colon + 1);
        if (digits.empty() || digits.size() > 5)
            return false;
        port = 0;
        for (const wchar_t c : digits) {
            if (!IsDigit(c))
                return false;
            port = port * 10 + static_cast<std::uint32_t>(c - L'0');
        }
        if (port == 0 || port > 65535)
            return false;
        authority = authority.substr(0, colon);
    }
    if (authority.empty() || authority.find_first_of(L" @?#") != std::wstring_view::npos)
        return false;
    base.host = std::wstring(authority);
    base.port = static_cast<std::uint16_t>(port);
    base.folder = std::wstring(folder);
    return true;
}

std::wstring ServedFilePath(const UpdateServerBase& base, std::wstring_view file)
{
    return base.folder + L"/" + std::wstring(file);
}

std::wstring WidenServedText(std::string_view bytes)
{
    std::wstring text;
    for (const char byte : bytes) {
        if (byte == '\0' || text.size() == kServedTextLimit)
            break;
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
    }
    return text;
}

namespace {

constexpr std::size_t kMostVersionFields = 4;
constexpr std::size_t kMostFieldDigits = 9;

// The next field of a version text, from at; at moves past it and its dot.
std::uint32_t TakeField(std::wstring_view text, std::size_t& at)
{
    std::uint32_t value = 0;
    for (; at < text.size() && text[at] != L'.'; ++at)
        value = value * 10 + static_cast<std::uint32_t>(text[at] - L'0');
    ++at;
    return value;
}

}  // namespace

bool IsVersionText(std::wstring_view text)
{
    std::size_t fields = 1;
    std::size_t digits = 0;
    for (const wchar_t c : text) {
        if (c == L'.') {
            if (digits == 0 || ++fields > kMostVersionFields)
                return false;
            digits = 0;
        } else if (!IsDigit(c) || ++digits > kMostFieldDigits) {
            return false;
        }
    }
    return digits > 0;
}

int CompareVersions(std::wstring_view a, std::wstring_view b)
{
    std::size_t atA = 0;
    std::size_t atB = 0;
    while (atA < a.size() || atB < b.size()) {
        const std::uint32_t fieldA = atA < a.size() ? TakeField(a, atA) : 0;
        const std::uint32_t fieldB = atB < b.size() ? TakeField(b, atB) : 0;
        if (fieldA != fieldB)
            return fieldA < fieldB ? -1 : 1;
    }
    return 0;
}

bool IsNewVersion(std::wstring_view served, std::wstring_view own, std::wstring_view highestInstalled)
{
    if (!IsVersionText(served) || !IsVersionText(own) || CompareVersions(served, own) <= 0)
        return false;
    return highestInstalled.empty() ||
           (IsVersionText(highestInstalled) && CompareVersions(served, highestInstalled) > 0);
}

bool ParseServedSize(const std::wstring& text, std::uint64_t& size)
{
    std::size_t at = 0;
    while (at < text.size() && (text[at] == L' ' || text[at] == L'\t'))
        ++at;
    std::uint64_t value = 0;
    const std::size_t first = at;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        value = value * 10 + static_cast<std::uint64_t>(text[at] - L'0');
        if (value > kLargestProgramFile)
            return false;
    }
    if (at == first || value == 0)
        return false;
    size = value;
    return true;
}

std::uint64_t DownloadDeadlineMilliseconds(std::uint64_t size) { return 120000 + size / (16 * 1024) * 1000; }

std::uint64_t SpaceNeededForDownload(std::uint64_t size) { return size + (std::uint64_t{64} << 20); }

std::wstring KilobytesText(std::uint64_t bytes) { return std::to_wstring(bytes / 1024) + L" KB"; }

DownloadFigures FiguresAfter(std::uint64_t bytes, std::uint64_t elapsedMilliseconds)
{
    const std::uint64_t seconds = (elapsedMilliseconds + 500) / 1000;
    DownloadFigures figures;
    figures.downloaded = KilobytesText(bytes);
    figures.elapsed = std::to_wstring(seconds / 60) + L" minuti " + std::to_wstring(seconds % 60) + L" secondi";
    // Before a whole second there is nothing sound to divide by.
    if (elapsedMilliseconds < 1000) {
        figures.speed = kSpeedStarting;
        return figures;
    }
    const std::uint64_t tenths = ((bytes / 1024) * 20 / seconds + 1) / 2;
    figures.speed = std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10) + L" KB al sec";
    return figures;
}
