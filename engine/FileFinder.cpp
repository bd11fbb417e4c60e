#include "engine/FileFinder.h"

#include "framework/File.h"

#include <vector>

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
    // The walk keeps its open folder searches on the heap rather than the call stack,
    // so however deep a tree is, the thread's stack cannot overflow.
    struct Level {
        std::wstring folder;
        CFileFind subfolders;
        bool started = false;
    };
    std::vector<Level> levels;
    levels.push_back(Level{root, {}, false});
    while (!levels.empty() && !StopRequested) {
        const std::size_t top = levels.size() - 1;
        if (recursive) {
            Level& level = levels[top];
            bool more = level.started ? level.subfolders.FindNextFile() : level.subfolders.FindFile(level.folder + L"*.*");
            level.started = true;
            while (more && !StopRequested) {
                const CFileFind& entry = level.subfolders;
                if (entry.IsDirectory() && !entry.IsDots() && !entry.IsReparsePoint())
                    break;
                more = level.subfolders.FindNextFile();
            }
            if (StopRequested)
                return;
            if (more) {
                std::wstring child = level.subfolders.GetFilePath() + L'\\';
                levels.push_back(Level{std::move(child), {}, false});  // its subtree comes first
                continue;
            }
        }
        const std::wstring folder = std::move(levels[top].folder);
        levels.pop_back();
        SearchFolder(folder, mask);
    }
}

void CFileFinder::SearchFolder(const std::wstring& folder, const std::wstring& mask)
{
    m_currentFolder = folder;
    Notify(kSearchingFolder);

    CFileFind find;
    for (bool more = find.FindFile(folder + mask); more && !StopRequested; more = find.FindNextFile()) {
        if (find.IsDots())
            continue;
        std::wstring path = find.GetFilePath();
        if (find.IsDirectory())
            path += L'\\';
        if (!KeepAll)
            Found.SetSize(0);
        Found.Add(std::move(path));
        Notify(kEntryFound);
    }
}
