#pragma once
// One scan's answers to "does this file exist?". Real registries name the same files
// again and again (a program's icon, uninstaller and help in its one folder), so each
// full path is looked up once for the whole scan, and a folder that more than one
// checked path lies in is listed once instead of queried file by file. An answer, once
// given, stands for the rest of the scan, even if the file appears or vanishes later.
//
// The listing only ever stands in for a query where it cannot disagree with one: a
// plain ASCII name (no short-name "~", no wildcard, device or stream name) in a folder
// of a fixed local drive, with a path well below MAX_PATH. A listing that fails or ends
// early is never read as "missing": that folder's files are then queried one by one.

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CPathCheckCache {
public:
    // Appends the names of a folder's entries (long and short forms) to names; false
    // when the folder cannot be listed or the listing stops before its end.
    using FolderLister = std::function<bool(const std::wstring& folder, std::vector<std::wstring>& names)>;
    // True when the folder lies on a drive whose listings can stand in for queries.
    using FolderTrust = std::function<bool(const std::wstring& folder)>;

    CPathCheckCache();  // lists folders of fixed drives with FindFirstFileExW
    CPathCheckCache(FolderLister lister, FolderTrust trust);

    // FileExists(path), as first answered while this cache lives.
    [[nodiscard]] bool Exists(const std::wstring& path);
    // Forgets every answer.
    void Clear();

    struct Counts {
        long checks = 0;    // calls of Exists
        long queries = 0;   // paths looked up one by one
        long listings = 0;  // folders listed (failed listings included)
    };
    [[nodiscard]] const Counts& GetCounts() const { return m_counts; }

private:
    struct Folder {
        bool queriedOnce = false;  // one name was queried: the next one lists the folder
        bool listed = false;
        bool unlistable = false;
        bool missingWhenUnlisted = false;  // a name the listing lacks is missing
        std::unordered_set<std::wstring> lowerNames;
    };

    [[nodiscard]] bool Lookup(const std::wstring& path, const std::wstring& full);
    [[nodiscard]] bool Query(const std::wstring& path);

    FolderLister m_lister;
    FolderTrust m_trust;
    std::unordered_map<std::wstring, bool> m_answers;  // by the full path (see Exists)
    std::unordered_map<std::wstring, Folder> m_folders;  // by the folder's full path, lower case
    Counts m_counts;
};
