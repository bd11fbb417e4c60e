#include "core/PathText.h"

#include <algorithm>
#include <array>

std::wstring ToLowerAscii(std::wstring_view text)
{
    std::wstring lower(text);
    for (wchar_t& c : lower)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return lower;
}

bool HasExtension(std::wstring_view name, std::wstring_view extension)
{
    return name.size() >= extension.size() &&
           ToLowerAscii(name.substr(name.size() - extension.size())) == ToLowerAscii(extension);
}

std::wstring NormaliseSystemRoot(std::wstring_view text)
{
    constexpr std::wstring_view from = L"\\systemroot";
    constexpr std::wstring_view to = L"%systemroot%";
    const std::wstring lower = ToLowerAscii(text);
    std::wstring out;
    out.reserve(lower.size() + 8);
    std::size_t position = 0;
    for (;;) {
        const std::size_t found = lower.find(from, position);
        if (found == std::wstring::npos)
            break;
        out.append(lower, position, found - position);
        out += to;
        position = found + from.size();
    }
    out.append(lower, position, std::wstring::npos);
    return out;
}

bool BeginsWithSystemRoot(std::wstring_view text)
{
    constexpr std::wstring_view prefix = L"\\systemroot\\";
    return text.size() >= prefix.size() && ToLowerAscii(text.substr(0, prefix.size())) == prefix;
}

bool IsSingleFilePath(std::wstring_view text)
{
    if (text.find_first_of(L",;{}") != std::wstring_view::npos)
        return false;
    return std::count(text.begin(), text.end(), L'.') == 1;
}

bool IsInstallerCommand(std::wstring_view text)
{
    return text.find(L"msiexec.exe") != std::wstring_view::npos || text.find(L"rundll32") != std::wstring_view::npos;
}

bool HasKnownExtension(std::wstring_view text)
{
    static constexpr std::array<std::wstring_view, 9> kExtensions = {
        L".exe", L".dll", L".txt", L".ttf", L".chm", L".wav", L".jpg", L".bmp", L".xml"};
    if (text.size() < 4)
        return false;
    const std::wstring tail = ToLowerAscii(text.substr(text.size() - 4));
    return std::find(kExtensions.begin(), kExtensions.end(), tail) != kExtensions.end();
}
