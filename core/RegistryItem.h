#pragma once
// The registry reference carried by every problem and by the repaired-items list,
// with the conversions between hive names, value-type names and their numbers.
// Roots travel as their 32-bit predefined values; they become HKEYs only at the
// Win32 boundary (RootToHKey in framework/Handles.h).

#include "core/ArrayEx.h"

#include <cstdint>
#include <string>

using RootKey = std::uint32_t;

inline constexpr RootKey kRootClassesRoot = 0x80000000u;
inline constexpr RootKey kRootCurrentUser = 0x80000001u;
inline constexpr RootKey kRootLocalMachine = 0x80000002u;
inline constexpr RootKey kRootUsers = 0x80000003u;

inline constexpr std::uint32_t kTypeString = 1;        // REG_SZ
inline constexpr std::uint32_t kTypeExpandString = 2;  // REG_EXPAND_SZ
inline constexpr std::uint32_t kTypeDword = 4;         // REG_DWORD

struct CRegistryItem {
    std::uint32_t Type = 0;
    RootKey Root = 0;
    std::wstring Hive;       // the root's name, e.g. HKEY_LOCAL_MACHINE
    std::wstring SubKey;     // below the root, no leading backslash
    std::wstring ValueName;  // empty: the default value, or the whole key
    std::wstring ValueData;
    std::int32_t Tag = 0;

    // Same root, and the same key path and value name code unit by code unit.
    [[nodiscard]] bool Matches(const CRegistryItem& other) const
    {
        return Root == other.Root && SubKey == other.SubKey && ValueName == other.ValueName;
    }
};

class CRegistryItemListEx : public CArrayEx<CRegistryItem> {
public:
    // True when some element Matches the item (type, hive text, data and tag are ignored).
    [[nodiscard]] bool Contains(const CRegistryItem& item) const;
};

// "HKEY_CLASSES_ROOT" ... "HKEY_USERS" -> root; any other text (case counts) -> HKEY_LOCAL_MACHINE.
// True when the key path, value name or data holds a NUL: the registry calls stop at
// it, so the item would be reached as a different, shorter name or written cut short.
[[nodiscard]] bool ItemHoldsNul(const CRegistryItem& item);

[[nodiscard]] RootKey HiveToRoot(const std::wstring& hive);

// The item of a value below a predefined root (an empty name: the default value, or the
// whole key), with the root's hive name.
[[nodiscard]] CRegistryItem RegistryItemAt(RootKey root, std::wstring subKey, std::wstring valueName = {},
                                           std::wstring valueData = {}, std::uint32_t type = kTypeString);
// The hive name of a predefined root; empty for any other number.
[[nodiscard]] std::wstring RootToHive(RootKey root);
// "REG_SZ" 1, "REG_EXPAND_SZ" 2, "REG_DWORD" 4; any other text -> 1.
[[nodiscard]] std::uint32_t TypeFromName(const std::wstring& name);
// 1, 2, 4 -> their names; any other number -> "REG_SZ".
[[nodiscard]] std::wstring TypeName(std::uint32_t type);
