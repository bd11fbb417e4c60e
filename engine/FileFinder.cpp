#include "engine/FileFinder.h"

#include "framework/File.h"

std::ptrdiff_t CFileFinder::FindFiles(const std::wstring& folder, const std::wstring& mask, bool recursive)
{
    StopRequested = false;
    std::wstring start = folder;
    if (start.empty() || (start.back() != L'\\' && start.back() != L'/'))
        start += L'\\';
    Search(start, mask, recursive);
    return Found.GetSize();
}

void CFileFinder::Search(const std::wstring& folder, const std::wstring& mask, bool recursive)
{
    if (recursive) {
        CFileFind find;
        for (bool more = find.FindFile(folder + L"*.*"); more && !StopRequested; more = find.FindNextFile()) {
            if (find.IsDirectory() && !find.IsDots() && !find.IsReparsePoint())
                Search(find.GetFilePath() + L'\\', mask, recursive);
        }
    }
    if (StopRequested)
        return;

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
