#include "engine/PathCheckCache.h"

#include "core/PathText.h"
#include "engine/FileSystem.h"
#include "framework/Handles.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

bool IsPlainAscii(std::wstring_view text)
{
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x20 && c < 0x7f; });
}

// Windows opens a device, not a file, for these names with any extension.
bool IsDeviceName(std::wstring_view name)
{
    std::wstring stem = ToLowerAscii(name.substr(0, name.find(L'.')));
    stem.erase(stem.find_last_not_of(L' ') + 1);
    for (const wchar_t* device : {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"})
        if (stem == device)
            return true;
    return stem.size() == 4 && (stem.rfind(L"com", 0) == 0 || stem.rfind(L"lpt", 0) == 0) && stem[3] >= L'0' &&
           stem[3] <= L'9';
}

// A name a listing can answer for as a query would: plain ASCII (its letter case folds
// the same everywhere), no short-name "~" (it may be another entry's alias), no
// wildcard, stream or other reserved character, no trailing dot or blank (which a
// query strips) and no device name.
bool IsListableName(std::wstring_view name)
{
    return !name.empty() && IsPlainAscii(name) && name.find_first_of(L"\\/:*?\"<>|~") == std::wstring_view::npos &&
           name.back() != L'.' && name.back() != L' ' && !IsDeviceName(name);
}

// "X:\folder\...\" of a full path short enough to list with "*" appended.
bool IsListableFolder(std::wstring_view folder)
{
    return folder.size() >= 3 && folder.size() + 1 < MAX_PATH && IsAsciiLetter(folder[0]) && folder[1] == L':' &&
           folder[2] == L'\\' && folder.find_first_of(L"*?:", 2) == std::wstring_view::npos;
}

bool ListFolder(const std::wstring& folder, std::vector<std::wstring>& names)
{
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(::FindFirstFileExW((folder + L'*').c_str(), FindExInfoStandard, &data,
                                             FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return false;
    do {
        names.emplace_back(data.cFileName);
        if (data.cAlternateFileName[0] != L'\0')
            names.emplace_back(data.cAlternateFileName);
    } while (::FindNextFileW(find.get(), &data));
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

// Network drives may hide from a listing what a query still finds (access-based
// enumeration); removable and optical media may change under the scan.
bool OnFixedDrive(const std::wstring& folder)
{
    return ::GetDriveTypeW(folder.substr(0, 3).c_str()) == DRIVE_FIXED;
}

}  // namespace

CPathCheckCache::CPathCheckCache() : CPathCheckCache(&ListFolder, &OnFixedDrive) {}

CPathCheckCache::CPathCheckCache(FolderLister lister, FolderTrust trust)
    : m_lister(std::move(lister)), m_trust(std::move(trust))
{
}

void CPathCheckCache::Clear()
{
    m_answers.clear();
    m_folders.clear();
}

bool CPathCheckCache::Exists(const std::wstring& path)
{
    ++m_counts.checks;
    const std::wstring full = GetFullPath(path);
    if (full.empty())
        return Query(path);
    // The query looks a path of MAX_PATH characters or more up through its long form,
    // a shorter one as given: the same full path can get two answers, so two keys.
    std::wstring key = (path.size() >= MAX_PATH ? L'L' : L'S') + full;
    if (const auto known = m_answers.find(key); known != m_answers.end())
        return known->second;
    const bool exists = Lookup(path, full);
    m_answers.emplace(std::move(key), exists);
    return exists;
}

bool CPathCheckCache::Lookup(const std::wstring& path, const std::wstring& full)
{
    const std::size_t slash = full.rfind(L'\\');
    if (path.size() >= MAX_PATH || slash == std::wstring::npos ||
        !IsListableFolder(std::wstring_view(full).substr(0, slash + 1)) ||
        !IsListableName(std::wstring_view(full).substr(slash + 1)))
        return Query(path);
    const std::wstring folderPath = full.substr(0, slash + 1);
    Folder& folder = m_folders[folderPath];
    if (folder.unlistable)
        return Query(path);
    if (!folder.listed) {
        // A folder named once is not worth a listing: most missing files lie alone in
        // folders that are gone.
        if (!folder.queriedOnce) {
            folder.queriedOnce = true;
            return Query(path);
        }
        ++m_counts.listings;
        std::vector<std::wstring> names;
        if (!m_trust(folderPath) || !m_lister(folderPath, names)) {
            folder.unlistable = true;
            return Query(path);
        }
        // A name the listing lacks is missing only when every listed name folds its case
        // as plain ASCII: some other letters fold to ASCII ones on Windows.
        folder.missingWhenUnlisted = std::all_of(names.begin(), names.end(), IsPlainAscii);
        for (const std::wstring& name : names)
            folder.lowerNames.insert(ToLowerAscii(name));
        folder.listed = true;
    }
    if (folder.lowerNames.count(ToLowerAscii(std::wstring_view(full).substr(slash + 1))) != 0)
        return true;
    return folder.missingWhenUnlisted ? false : Query(path);
}

bool CPathCheckCache::Query(const std::wstring& path)
{
    ++m_counts.queries;
    return FileExists(path);
}
