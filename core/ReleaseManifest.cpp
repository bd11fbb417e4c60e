#include "core/ReleaseManifest.h"

#include "core/UpdateText.h"

namespace {

// Takes "<name>: <value>\n" from the front of text.
bool TakeLine(std::string_view& text, std::string_view name, std::string_view& value)
{
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos)
        return false;
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (line.size() < name.size() + 2 || line.substr(0, name.size()) != name ||
        line.substr(name.size(), 2) != ": ")
        return false;
    value = line.substr(name.size() + 2);
    return true;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

bool ParseReleaseManifest(std::string_view text, ReleaseManifest& manifest)
{
    std::string_view product;
    std::string_view version;
    std::string_view size;
    std::string_view digest;
    if (!TakeLine(text, "product", product) || !TakeLine(text, "version", version) ||
        !TakeLine(text, "size", size) || !TakeLine(text, "sha256", digest) || !text.empty() ||
        product != kReleaseProduct)
        return false;

    ReleaseManifest parsed;
    parsed.version.assign(version.begin(), version.end());
    if (!IsVersionText(parsed.version))
        return false;
    const std::wstring sizeText(size.begin(), size.end());
    // Digits only: the size text the check reads may carry blanks, the statement may not.
    if (sizeText.find_first_not_of(L"0123456789") != std::wstring::npos || !ParseServedSize(sizeText, parsed.size))
        return false;
    if (digest.size() != parsed.sha256.size() * 2)
        return false;
    for (std::size_t at = 0; at < parsed.sha256.size(); ++at) {
        const int high = HexValue(digest[2 * at]);
        const int low = HexValue(digest[2 * at + 1]);
        if (high < 0 || low < 0)
            return false;
        parsed.sha256[at] = static_cast<std::uint8_t>(high * 16 + low);
    }
    manifest = std::move(parsed);
    return true;
}
