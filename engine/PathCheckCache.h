#pragma once
// One scan's answers to "does this file exist?". Real registries name the same files
// again and again (a program's icon, uninstaller and help in its one folder), so each
// full path is looked up once for the whole scan. An answer, once given, stands for
// the rest of the scan, even if the file appears or vanishes later.
//
// Folders are never listed to answer for their files: under Wine a file query costs
// no server request while opening a folder to list it does, so a listing never saves
// what it costs.

#include <string>
#include <unordered_map>

class CPathCheckCache {
public:
    // FileExists(path), as first answered while this cache lives.
    [[nodiscard]] bool Exists(const std::wstring& path);
    // Forgets every answer.
    void Clear() { m_answers.clear(); }

    struct Counts {
        long checks = 0;   // calls of Exists
        long queries = 0;  // paths looked up in the file system
    };
    [[nodiscard]] const Counts& GetCounts() const { return m_counts; }

private:
    [[nodiscard]] bool Query(const std::wstring& path);

    std::unordered_map<std::wstring, bool> m_answers;  // by the full path (see Exists)
    Counts m_counts;
};
