// Checks of COM class registrations, empty keys and shortcuts.

#include "core/Path.h"
#include "engine/FileSystem.h"
#include "engine/Registry.h"
#include "engine/Scanners.h"

#include <shlobj.h>

namespace {

// Calls visit(clsidKey, name) for every class below <ctx root>\CLSID while the scan runs,
// after announcing the class.
template <typename Visit>
void ForEachClass(ScanContext& ctx, Visit visit)
{
    UniqueHKey clsid;
    if (::RegOpenKeyExW(RootToHKey(ctx.root), L"CLSID", 0, KEY_READ, clsid.put()) != ERROR_SUCCESS)
        return;
    DWORD count = 0;
    if (::RegQueryInfoKeyW(clsid.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0; index < count && ctx.running; ++index) {
        wchar_t name[kRegNameChars];
        DWORD nameChars = kRegNameChars;
        if (::RegEnumKeyExW(clsid.get(), index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        const std::wstring className(name, nameChars);
        if (className.find(L'\0') != std::wstring::npos)
            continue;  // opened by name, it would be a different, shorter key
        if (ctx.ItemDue())
            ctx.ReportItem(L"CLSID\\" + className);
        visit(clsid.get(), className);
    }
}

CRegistryItem ClassItem(const ScanContext& ctx, std::wstring subKey, std::wstring valueName, std::wstring data)
{
    CRegistryItem item;
    item.Type = kTypeString;
    item.Root = ctx.root;
    item.Hive = ctx.rootName;
    item.SubKey = std::move(subKey);
    item.ValueName = std::move(valueName);
    item.ValueData = std::move(data);
    return item;
}

}  // namespace

void ScanClsidAppIds(ScanContext& ctx)
{
    ForEachClass(ctx, [&ctx](HKEY clsid, const std::wstring& name) {
        const std::wstring appId = RegReadString(clsid, name, L"AppID");
        if (appId.empty() || RegKeyExists(L"AppID\\" + appId, HKEY_CLASSES_ROOT))
            return;
        ctx.AddProblem(L"", L"The key HKEY_CLASSES_ROOT\\CLSID\\" + name + L" points to a missing CLSID " + appId,
                       L"Missing AppID or CLSID.", ClassItem(ctx, L"CLSID\\" + name, L"AppID", appId),
                       InvalidValue);
    });
}

void ScanClsidTypeLibs(ScanContext& ctx)
{
    ForEachClass(ctx, [&ctx](HKEY clsid, const std::wstring& name) {
        const std::wstring typeLibKey = name + L"\\TypeLib";
        UniqueHKey typeLib;
        if (::RegOpenKeyExW(clsid, typeLibKey.c_str(), 0, KEY_READ, typeLib.put()) != ERROR_SUCCESS)
            return;
        const std::wstring id = RegReadString(typeLib.get(), L"", L"");  // "" opens the key itself
        if (RegKeyExists(L"TypeLib\\" + id, HKEY_CLASSES_ROOT))
            return;
        ctx.AddProblem(L"",
                       L"The key HKEY_CLASSES_ROOT\\CLSID\\" + typeLibKey + L" points to a missing CLSID " + id,
                       L"Missing Typelib or CLSID.", ClassItem(ctx, L"CLSID\\" + typeLibKey, L"", id),
                       InvalidValue);
    });
}

void ScanEmptyKeys(ScanContext& ctx, RootKey root, const std::wstring& keyPath, int depth)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(RootToHKey(root), keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 0;
    DWORD values = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    if (subkeys == 0 && values == 0) {
        if (depth > 2) {
            CRegistryItem item;
            item.Root = ctx.root;
            item.Hive = ctx.rootName;
            item.SubKey = keyPath;
            item.Tag = ctx.ordinal;
            ctx.AddProblem(keyPath, L"The key " + keyPath + L" is a empty registry key", L"Empty Registry Key.", item,
                           EmptyKey);
        }
        return;
    }
    for (DWORD index = 0; index < subkeys && ctx.running; ++index) {
        wchar_t name[kRegNameChars];
        DWORD nameChars = kRegNameChars;
        if (::RegEnumKeyExW(key.get(), index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            ScanEmptyKeys(ctx, root, keyPath + L'\\' + std::wstring(name, nameChars), depth + 1);
    }
}

void ScanShortcuts(ScanContext& ctx, const std::wstring& folderText)
{
    // Without the shell-link object no shortcut can be tested; calling them all broken
    // would let a repair delete every one.
    if (!ctx.shellLink)
        return;
    ctx.finder.FindFiles(ExpandEnv(folderText), L"*.lnk", true);
}

void ShortcutHandler(CFileFinder& finder, int code, void* user)
{
    ScanContext& ctx = *static_cast<ScanContext*>(user);
    if (code == CFileFinder::kSearchingFolder) {
        ctx.ReportItem(finder.CurrentFolder());
    } else if (code == CFileFinder::kEntryFound && !finder.Found.IsEmpty()) {
        const std::wstring& found = finder.Found[finder.Found.GetSize() - 1];
        if (found.back() == L'\\')
            return;  // a folder whose name ends in ".lnk" is no shortcut
        CPath path(found);
        const std::wstring full = path.FullPath();
        if (!ShortcutTargetExists(ctx, full))
            ctx.AddShortcutProblem(full);
    }
}

bool ShortcutTargetExists(ScanContext& ctx, const std::wstring& path)
{
    if (!ctx.running)
        return false;
    if (!ctx.shellLink)
        return true;
    ComPtr<IPersistFile> file;
    if (FAILED(ctx.shellLink.As(file)))
        return true;  // nothing can be tested; see ScanShortcuts
    HRESULT result = E_FAIL;
    try {
        result = file->Load(path.c_str(), STGM_READ);
        if (SUCCEEDED(result))
            result = ctx.shellLink->Resolve(nullptr, SLR_NO_UI | SLR_NOUPDATE | SLR_NOSEARCH | SLR_NOTRACK |
                                                         SLR_NOLINKINFO);
    } catch (...) {
        result = E_FAIL;
    }
    if (result != S_OK)
        return false;
    // Resolve can succeed for a link whose target is gone; a link with a file-system
    // target is intact only when that target exists.
    wchar_t target[1024] = {};
    if (ctx.shellLink->GetPath(target, 1024, nullptr, 0) != S_OK || target[0] == L'\0')
        return true;
    return FileExists(target);
}
