#pragma once
// A hashed index over a list of registry items, answering the list's Contains in
// constant time: a scan asks it once per candidate problem, and "log.dat" only grows.
//
// The index refers to the list's elements by position, so the list must outlive it and
// stay unchanged while it is used (a scan borrows the repaired-items list that way).

#include "core/RegistryItem.h"

#include <cstddef>
#include <unordered_map>

class CRegistryItemIndex {
public:
    CRegistryItemIndex() = default;  // indexes nothing
    explicit CRegistryItemIndex(const CRegistryItemListEx& items);

    // The same answer as items.Contains(item): some element Matches it.
    [[nodiscard]] bool Contains(const CRegistryItem& item) const;

private:
    [[nodiscard]] static std::size_t KeyHash(const CRegistryItem& item);

    const CRegistryItemListEx* m_items = nullptr;
    std::unordered_multimap<std::size_t, std::ptrdiff_t> m_positions;  // key hash -> element
};
