#include "engine/PathCheckCache.h"

#include "engine/FileSystem.h"

#include <windows.h>

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
    const bool exists = Query(path);
    m_answers.emplace(std::move(key), exists);
    return exists;
}

bool CPathCheckCache::Query(const std::wstring& path)
{
    ++m_counts.queries;
    return FileExists(path);
}
