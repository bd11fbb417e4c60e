#include "core/Path.h"

#include <algorithm>

namespace {

// Removes one pair of surrounding double quotes (as PathUnquoteSpacesW does: the
// text must start and end with a quote; a lone quote leaves nothing).
std::wstring Unquote(std::wstring text)
{
    if (!text.empty() && text.front() == L'"' && text.back() == L'"') {
        text.pop_back();
        if (!text.empty())
            text.erase(0, 1);
    }
    return text;
}

}  // namespace

CPath::CPath(std::wstring text) : Text(std::move(text))
{
    // No length limits: a path longer than the old 260-character buffer keeps all of
    // its characters instead of being cut (a cut shortcut path would name another file).
    std::wstring path = Unquote(Text);
    if (path.empty())
        return;

    std::size_t start = 0;
    if (path.size() >= 2 && path[1] == L':') {
        Drive = path.substr(0, 2);
        start = 2;
    }
    const std::size_t lastSeparator = path.find_last_of(L"/\\");
    std::size_t nameStart = start;
    if (lastSeparator != std::wstring::npos && lastSeparator >= start) {
        Directory = path.substr(start, lastSeparator + 1 - start);
        nameStart = lastSeparator + 1;
    }
    const std::size_t lastDot = path.find_last_of(L'.');
    std::size_t nameEnd = path.size();
    if (lastDot != std::wstring::npos && lastDot >= nameStart)
        nameEnd = lastDot;
    FileName = path.substr(nameStart, nameEnd - nameStart);
    Extension = path.substr(nameEnd);

    std::replace(Directory.begin(), Directory.end(), L'/', L'\\');
    if (!Directory.empty())
        IsRelative = Directory.front() != L'\\';
    Extension.erase(std::remove(Extension.begin(), Extension.end(), L'.'), Extension.end());
}

const std::wstring& CPath::FullPath()
{
    m_fullPath = Drive + Directory + FileName;
    if (!Extension.empty())
        m_fullPath += L"." + Extension;
    return m_fullPath;
}
