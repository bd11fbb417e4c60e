// Checks of registry values that name files.

#include "core/PathText.h"
#include "engine/FileSystem.h"
#include "engine/Registry.h"
#include "engine/Scanners.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

enum class ValueKind { Paths, SharedDlls };

// One value as the walker reads it: name, type and (when it fits) its data.
struct ValueRead {
    wchar_t name[kRegNameChars];
    DWORD nameChars;
    DWORD type;
    BYTE data[kRegBufferBytes];  // zero-filled before each read
    DWORD dataBytes;
    bool hasData;
};

// Name, type and data of value index in one call; when the data is longer than
// 1024 bytes, the name and type alone. False when the value cannot be enumerated
// (or its name is too long).
bool ReadValue(HKEY key, DWORD index, ValueRead& v)
{
    std::memset(v.data, 0, sizeof v.data);
    v.nameChars = kRegNameChars;
    v.dataBytes = kRegDataBytes;
    LONG status = ::RegEnumValueW(key, index, v.name, &v.nameChars, nullptr, &v.type, v.data, &v.dataBytes);
    v.hasData = status == ERROR_SUCCESS;
    if (status == ERROR_MORE_DATA) {
        v.nameChars = kRegNameChars;
        status = ::RegEnumValueW(key, index, v.name, &v.nameChars, nullptr, &v.type, nullptr, nullptr);
    }
    return status == ERROR_SUCCESS;
}

void ReportMissingFile(ScanContext& ctx, const CRegistryItem& item, const std::wstring& displayName,
                       const std::wstring& text)
{
    try {
        ctx.AddProblem(text, L"The value in " + displayName + L"  contains an invalid path " + text,
                       L"The file is missing or invalid.", item, InvalidValue);
    } catch (...) {
        // Out of memory for one problem: the walk goes on.
    }
}

bool QueryCounts(HKEY key, DWORD* subkeys, DWORD* values)
{
    return ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, subkeys, nullptr, nullptr, values, nullptr, nullptr,
                              nullptr, nullptr) == ERROR_SUCCESS;
}

// The first count values of the open key.
void ScanOpenKeyValues(ScanContext& ctx, HKEY key, const std::wstring& keyPath, ValueKind kind, DWORD count)
{
    ValueRead v;
    std::wstring valueName;  // one buffer for the whole key: most names outgrow the small-string space
    for (DWORD index = 0; ctx.running && index < count; ++index) {
        if (!ReadValue(key, index, v))
            continue;
        valueName.assign(v.name, v.nameChars);
        // A name with a NUL would be reached, re-checked and deleted as a shorter name,
        // a different value: such a value is never reported.
        if (valueName.find(L'\0') != std::wstring::npos)
            continue;
        if (ctx.ItemDue())
            ctx.ReportItem(keyPath + L'\\' + valueName);

        const bool wanted = kind == ValueKind::SharedDlls ? v.type == REG_DWORD
                                                          : v.type == REG_SZ || v.type == REG_EXPAND_SZ;
        if (!wanted || !v.hasData)
            continue;

        // The shared-DLL check tests the value name (the DLL's path), the others the data.
        const std::wstring data = kind == ValueKind::SharedDlls ? std::wstring() : RegDataText(v.data, v.dataBytes);
        const std::wstring& text = kind == ValueKind::SharedDlls ? valueName : data;
        if (!NamesMissingFile(text, &ctx.pathChecks))
            continue;
        CRegistryItem item;
        item.Type = v.type;
        item.Root = ctx.root;
        item.Hive = ctx.rootName;
        item.SubKey = keyPath;
        item.ValueName = valueName;
        if (kind == ValueKind::SharedDlls) {
            // The count as decimal text: a restore writes back the decimal value of ValueData.
            const DWORD references = static_cast<DWORD>(v.data[0]) | static_cast<DWORD>(v.data[1]) << 8 |
                                     static_cast<DWORD>(v.data[2]) << 16 | static_cast<DWORD>(v.data[3]) << 24;
            item.ValueData = std::to_wstring(references);
            item.Tag = ctx.ordinal;
        } else {
            item.ValueData = data;
        }
        ReportMissingFile(ctx, item, ctx.rootName + L'\\' + keyPath + L'\\' + valueName, text);
    }
}

void ScanTreeAt(ScanContext& ctx, HKEY parent, RootKey root, const std::wstring& keyPath,
                const std::wstring& openPath, int depth)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(parent, openPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 0;
    DWORD values = 0;
    if (!QueryCounts(key.get(), &subkeys, &values))
        return;
    ScanOpenKeyValues(ctx, key.get(), keyPath, ValueKind::Paths, values);
    if (depth > kMaxTreeDepth)
        return;
    for (DWORD index = 0; index < subkeys && ctx.running; ++index) {
        wchar_t name[kRegNameChars];
        DWORD nameChars = kRegNameChars;
        if (::RegEnumKeyExW(key.get(), index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        const std::wstring child(name, nameChars);
        if (child.find(L'\0') != std::wstring::npos)
            continue;  // opened by name, it would be a different, shorter key
        ScanTreeAt(ctx, key.get(), root, keyPath + L'\\' + child, child, depth + 1);
    }
}

}  // namespace

void ScanKeyValues(ScanContext& ctx, RootKey root, const std::wstring& keyPath)
{
    UniqueHKey key;
    DWORD values = 0;
    if (::RegOpenKeyExW(RootToHKey(root), keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
        !QueryCounts(key.get(), nullptr, &values))
        return;
    ScanOpenKeyValues(ctx, key.get(), keyPath, ValueKind::Paths, values);
}

void ScanKeyTree(ScanContext& ctx, RootKey root, const std::wstring& keyPath, int depth)
{
    // One open and one count query per key serve both its values and its subkeys;
    // subkeys open relative to their parent, which the walk holds anyway.
    ScanTreeAt(ctx, RootToHKey(root), root, keyPath, keyPath, depth);
}

void ScanSharedDlls(ScanContext& ctx, const std::wstring& keyPath)
{
    UniqueHKey key;
    DWORD values = 0;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
        !QueryCounts(key.get(), nullptr, &values))
        return;
    ScanOpenKeyValues(ctx, key.get(), keyPath, ValueKind::SharedDlls, values);
}

bool LooksAbsolute(const std::wstring& text)
{
    return ExpandEnv(NormaliseSystemRoot(text)).find(L':') != std::wstring::npos;
}

bool KnownFileMissing(const std::wstring& text, CPathCheckCache* checks)
{
    if (!HasKnownExtension(text))
        return false;
    const std::wstring path = BeginsWithSystemRoot(text) ? ExpandEnv(NormaliseSystemRoot(text)) : text;
    return checks ? !checks->Exists(path) : !FileExists(path);
}

bool NamesMissingFile(const std::wstring& text, CPathCheckCache* checks) noexcept
{
    try {
        // Most values are no file path at all: the cheap tests of the text come before
        // the ones that copy it, and a text that expansion would leave alone (no
        // variable, no embedded NUL to cut it at) is not expanded.
        std::wstring expandedCopy;
        const bool expands = text.find_first_of(std::wstring_view(L"%\0", 2)) != std::wstring::npos;
        const std::wstring& expanded = expands ? (expandedCopy = ExpandEnv(text)) : text;
        return IsSingleFilePath(expanded) && !IsInstallerCommand(expanded) && HasKnownExtension(expanded) &&
               LooksAbsolute(expanded) && KnownFileMissing(expanded, checks);
    } catch (...) {
        return false;  // one text that cannot be tested must not end the walk
    }
}

void CheckPathValue(ScanContext& ctx, const CRegistryItem& item, const std::wstring& displayName,
                    const std::wstring& text)
{
    if (NamesMissingFile(text, &ctx.pathChecks))
        ReportMissingFile(ctx, item, displayName, text);
}
