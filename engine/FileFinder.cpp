#include "engine/FileFinder.h"

#include "framework/File.h"

#include <windows.h>

#include <string_view>

namespace {

bool SameLetter(wchar_t a, wchar_t b)
{
    return a == b || ::CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL;
}

// "*" and "?" wildcards, letter case ignored; the star backtracks to its last match.
bool MatchesMask(std::wstring_view name, std::wstring_view mask)
{
    std::size_t n = 0;
    std::size_t m = 0;
    std::size_t starMask = std::wstring_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == L'*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == L'?' || SameLetter(mask[m], name[n]))) {
            ++m;
            ++n;
        } else if (starMask != std::wstring_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == L'*')
        ++m;
    return m == mask.size();
}

bool EntryMatches(const WIN32_FIND_DATAW& entry, const std::wstring& mask)
{
    return MatchesMask(entry.cFileName, mask) ||
           (entry.cAlternateFileName[0] != L'\0' && MatchesMask(entry.cAlternateFileName, mask));
}

}  // namespace

std::ptrdiff_t CFileFinder::FindFiles(const std::wstring& folder, const std::wstring& mask, bool recursive)
{
    std::wstring start = folder;
    if (start.empty() || (start.back() != L'\\' && start.back() != L'/'))
        start += L'\\';
    Search(start, mask, recursive);
    return Found.GetSize();
}

void CFileFinder::Search(const std::wstring& root, const std::wstring& mask, bool recursive)
{
    // The walk keeps its open folder listings on the heap rather than the call stack,
    // so however deep a tree is, the thread's stack cannot overflow. A folder's matches
    // wait in its level until its subfolders have been searched.
    struct Level {
        std::wstring folder;
        CFileFind listing;
        bool started = false;
        std::vector<std::wstring> matches;
    };
    std::vector<Level> levels;
    levels.push_back(Level{root, {}, false, {}});
    while (!levels.empty() && !StopRequested) {
        Level& level = levels.back();
        bool more = level.started ? level.listing.FindNextFile() : level.listing.FindFile(level.folder + L'*');
        level.started = true;
        std::wstring child;
        for (; more && !StopRequested; more = level.listing.FindNextFile()) {
            const CFileFind& entry = level.listing;
            if (entry.IsDots())
                continue;
            if (EntryMatches(entry.Data(), mask))
                level.matches.push_back(entry.IsDirectory() ? entry.GetFilePath() + L'\\' : entry.GetFilePath());
            if (recursive && entry.IsDirectory() && !entry.IsReparsePoint()) {
                child = entry.GetFilePath() + L'\\';
                break;
            }
        }
        if (StopRequested)
            return;
        if (more) {
            levels.push_back(Level{std::move(child), {}, false, {}});  // its subtree comes first
            continue;
        }
        const std::wstring folder = std::move(level.folder);
        std::vector<std::wstring> matches = std::move(level.matches);
        levels.pop_back();
        ReportFolder(folder, matches);
    }
}

void CFileFinder::ReportFolder(const std::wstring& folder, std::vector<std::wstring>& matches)
{
    m_currentFolder = folder;
    Notify(kSearchingFolder);
    for (std::wstring& path : matches) {
        if (StopRequested)
            return;
        if (!KeepAll)
            Found.SetSize(0);
        Found.Add(std::move(path));
        Notify(kEntryFound);
    }
}
