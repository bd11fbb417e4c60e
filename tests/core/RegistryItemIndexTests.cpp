// The hashed index must give exactly the linear search's answers: same root, key path
// and value name code unit by code unit, everything else ignored.

#include "core/RegistryItemIndex.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Items drawn from few names, so that near misses (another case, another root, the
// same key with another value) are common among a few thousand.
class ItemMaker {
public:
    CRegistryItem Next()
    {
        static const std::vector<std::wstring> kKeys = {L"CLSID\\{AB12}", L"Software\\App Paths\\a.exe",
                                                        L"Software\\Run", L"", std::wstring(L"Key\0Nul", 7)};
        static const std::vector<std::wstring> kValues = {L"", L"AppID", L"Path", L"path", L"ValueName="};
        CRegistryItem item;
        item.Root = kRootClassesRoot + Pick(4);
        item.SubKey = kKeys[Pick(kKeys.size())] + L"\\" + std::to_wstring(Pick(40));
        item.ValueName = kValues[Pick(kValues.size())];
        item.Type = Pick(5);
        item.Hive = L"HIVE" + std::to_wstring(Pick(3));
        item.ValueData = L"data" + std::to_wstring(Pick(3));
        item.Tag = static_cast<std::int32_t>(Pick(3));
        return item;
    }

    // The same item or a near miss of it.
    CRegistryItem Vary(CRegistryItem item)
    {
        switch (Pick(6)) {
        case 0: FlipCase(item.SubKey); break;
        case 1: FlipCase(item.ValueName); break;
        case 2: item.Root ^= 1; break;
        case 3: item.ValueName += L' '; break;
        case 4: item.Hive = L"other"; item.Type = 4; item.ValueData = L"x"; item.Tag = 9; break;  // still a match
        default: break;
        }
        return item;
    }

private:
    std::uint32_t Pick(std::size_t count) { return static_cast<std::uint32_t>(m_random() % count); }

    void FlipCase(std::wstring& text)
    {
        if (text.empty())
            return;
        wchar_t& c = text[Pick(text.size())];
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - 32);
        else if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c + 32);
    }

    std::mt19937 m_random{20261208};
};

}  // namespace

TEST(RegistryItemIndex, AgreesWithTheLinearSearch)
{
    ItemMaker maker;
    CRegistryItemListEx items;
    for (int i = 0; i < 3000; ++i)
        items.Add(maker.Next());
    const CRegistryItemIndex index(items);

    int found = 0;
    for (int i = 0; i < 6000; ++i) {
        const CRegistryItem probe = i % 2 ? maker.Next() : maker.Vary(items[i % items.GetSize()]);
        const bool expected = items.Contains(probe);
        ASSERT_EQ(index.Contains(probe), expected) << "probe " << i;
        found += expected ? 1 : 0;
    }
    // Both answers must be common, or the comparison proves little.
    EXPECT_GT(found, 1000);
    EXPECT_LT(found, 5000);
}

TEST(RegistryItemIndex, EmptyListsAndNoListContainNothing)
{
    const CRegistryItemListEx none;
    CRegistryItem item;
    EXPECT_FALSE(CRegistryItemIndex(none).Contains(item));
    EXPECT_FALSE(CRegistryItemIndex().Contains(item));
}
