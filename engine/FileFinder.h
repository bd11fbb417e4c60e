#pragma once
// Recursive file search, depth first: a folder's subfolders are searched before the
// folder's own matches, so the deepest folders come first. Folders that are reparse
// points (junctions, symbolic links) are never entered, so a link loop cannot make a
// search endless and nothing outside the searched tree is reached through a link.
// Each folder is listed once, for its subfolders and its matches alike.

#include "core/ArrayEx.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

class CFileFinder {
public:
    // Callback codes.
    static constexpr int kEntryFound = 0;       // the entry is the last element of Found
    static constexpr int kSearchingFolder = 2;  // CurrentFolder's own entries come next

    using Callback = void (*)(CFileFinder& finder, int code, void* user);

    CFileFinder() = default;
    virtual ~CFileFinder() = default;
    CFileFinder(const CFileFinder&) = delete;
    CFileFinder& operator=(const CFileFinder&) = delete;

    void SetCallback(Callback callback, void* user)
    {
        m_callback = callback;
        m_user = user;
    }

    // Searches folder (a trailing "\" is added when missing) for entries matching mask
    // ("*" any run of characters, "?" any one, letter case ignored; none of the DOS
    // wildcards) by their long or short name; returns the size of Found. A folder entry
    // is listed with a trailing "\".
    // Setting StopRequested from another thread ends the whole search at every depth;
    // a stop set before the search starts is kept (the search then finds nothing), so a
    // stop that races the start is never lost. Only the owner clears it.
    std::ptrdiff_t FindFiles(const std::wstring& folder, const std::wstring& mask, bool recursive);

    [[nodiscard]] const std::wstring& CurrentFolder() const { return m_currentFolder; }

    // Entries in the order found; not cleared between searches. With KeepAll false
    // only the latest entry is kept (what a callback needs), so memory stays flat
    // however many entries a search meets.
    CStringArrayEx Found;
    bool KeepAll = true;
    std::atomic<bool> StopRequested{false};

private:
    void Search(const std::wstring& root, const std::wstring& mask, bool recursive);
    // Announces the folder, then reports its own entries that matched the mask.
    void ReportFolder(const std::wstring& folder, std::vector<std::wstring>& matches);
    void Notify(int code)
    {
        if (m_callback)
            m_callback(*this, code, m_user);
    }

    Callback m_callback = nullptr;
    void* m_user = nullptr;
    std::wstring m_currentFolder;
};
