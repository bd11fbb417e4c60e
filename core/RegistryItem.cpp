#include "core/RegistryItem.h"

#include <algorithm>
#include <utility>

bool CRegistryItemListEx::Contains(const CRegistryItem& item) const
{
    return std::any_of(begin(), end(), [&](const CRegistryItem& e) { return e.Matches(item); });
}

RootKey HiveToRoot(const std::wstring& hive)
{
    if (hive == L"HKEY_LOCAL_MACHINE")
        return kRootLocalMachine;
    if (hive == L"HKEY_CURRENT_USER")
        return kRootCurrentUser;
    if (hive == L"HKEY_CLASSES_ROOT")
        return kRootClassesRoot;
    if (hive == L"HKEY_USERS")
        return kRootUsers;
    return kRootLocalMachine;
}

CRegistryItem RegistryItemAt(RootKey root, std::wstring subKey, std::wstring valueName, std::wstring valueData,
                             std::uint32_t type)
{
    CRegistryItem item;
    item.Type = type;
    item.Root = root;
    item.Hive = RootToHive(root);
    item.SubKey = std::move(subKey);
    item.ValueName = std::move(valueName);
    item.ValueData = std::move(valueData);
    return item;
}

std::wstring RootToHive(RootKey root)
{
    switch (root) {
    case kRootClassesRoot: return L"HKEY_CLASSES_ROOT";
    case kRootCurrentUser: return L"HKEY_CURRENT_USER";
    case kRootLocalMachine: return L"HKEY_LOCAL_MACHINE";
    case kRootUsers: return L"HKEY_USERS";
    default: return {};
    }
}

std::uint32_t TypeFromName(const std::wstring& name)
{
    if (name == L"REG_SZ")
        return kTypeString;
    if (name == L"REG_DWORD")
        return kTypeDword;
    if (name == L"REG_EXPAND_SZ")
        return kTypeExpandString;
    return kTypeString;
}

std::wstring TypeName(std::uint32_t type)
{
    switch (type) {
    case kTypeDword: return L"REG_DWORD";
    case kTypeExpandString: return L"REG_EXPAND_SZ";
    default: return L"REG_SZ";
    }
}

bool ItemHoldsNul(const CRegistryItem& item)
{
    for (const std::wstring* text : {&item.SubKey, &item.ValueName, &item.ValueData})
        if (text->find(L'\0') != std::wstring::npos)
            return true;
    return false;
}
