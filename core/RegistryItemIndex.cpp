#include "core/RegistryItemIndex.h"

#include <functional>
#include <string_view>

CRegistryItemIndex::CRegistryItemIndex(const CRegistryItemListEx& items) : m_items(&items)
{
    m_positions.reserve(static_cast<std::size_t>(items.GetSize()));
    for (std::ptrdiff_t i = 0; i < items.GetSize(); ++i)
        m_positions.emplace(KeyHash(items[i]), i);
}

bool CRegistryItemIndex::Contains(const CRegistryItem& item) const
{
    if (!m_items)
        return false;
    const auto [first, last] = m_positions.equal_range(KeyHash(item));
    for (auto it = first; it != last; ++it)
        if ((*m_items)[it->second].Matches(item))
            return true;
    return false;
}

std::size_t CRegistryItemIndex::KeyHash(const CRegistryItem& item)
{
    // Exactly the fields Matches compares, so equal items always share a bucket.
    const std::hash<std::wstring_view> text;
    std::size_t hash = text(item.SubKey);
    hash ^= text(item.ValueName) + 0x9e3779b97f4a7c15ull + (hash << 6) + (hash >> 2);
    hash ^= static_cast<std::size_t>(item.Root) + 0x9e3779b97f4a7c15ull + (hash << 6) + (hash >> 2);
    return hash;
}
