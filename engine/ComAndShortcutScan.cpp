// Checks of COM class registrations, empty keys and shortcuts.

#include "core/Path.h"
#include "core/PathText.h"
#include "engine/FileSystem.h"
#include "engine/Registry.h"
#include "engine/Scanners.h"

#include <shlobj.h>

#include <vector>

namespace {

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

// A dangling type library found during the walk, reported after every AppID problem.
struct TypeLibProblem {
    std::wstring reason;
    CRegistryItem item;
};

void CheckClassAppId(ScanContext& ctx, HKEY classKey, const std::wstring& name)
{
    const std::wstring appId = RegReadString(classKey, L"AppID");
    if (appId.empty() || RegKeyExists(L"AppID\\" + appId, HKEY_CLASSES_ROOT))
        return;
    ctx.AddProblem(L"", L"The key HKEY_CLASSES_ROOT\\CLSID\\" + name + L" points to a missing CLSID " + appId,
                   L"Missing AppID or CLSID.", ClassItem(ctx, L"CLSID\\" + name, L"AppID", appId), InvalidValue);
}

void CheckClassTypeLib(const ScanContext& ctx, HKEY classKey, const std::wstring& name,
                       std::vector<TypeLibProblem>& problems)
{
    UniqueHKey typeLib;
    if (::RegOpenKeyExW(classKey, L"TypeLib", 0, KEY_READ, typeLib.put()) != ERROR_SUCCESS)
        return;
    const std::wstring id = RegReadString(typeLib.get(), L"");
    if (RegKeyExists(L"TypeLib\\" + id, HKEY_CLASSES_ROOT))
        return;
    const std::wstring typeLibKey = name + L"\\TypeLib";
    problems.push_back({L"The key HKEY_CLASSES_ROOT\\CLSID\\" + typeLibKey + L" points to a missing CLSID " + id,
                        ClassItem(ctx, L"CLSID\\" + typeLibKey, L"", id)});
}

// The registry nests keys at most this deep; the empty-key walk goes that far and no
// further, however deep a hostile tree claims to be.
constexpr int kRegistryDepthLimit = 512;

// One key of the empty-key walk, held open while its subkeys are visited.
struct OpenKey {
    UniqueHKey key;
    DWORD subkeys = 0;
    DWORD next = 0;              // index of the next subkey to visit
    std::size_t pathLength = 0;  // of the key's path within the walk's path text
    int depth = 0;
};

void ReportEmptyKey(ScanContext& ctx, const std::wstring& keyPath)
{
    CRegistryItem item;
    item.Root = ctx.root;
    item.Hive = ctx.rootName;
    item.SubKey = keyPath;
    item.Tag = ctx.ordinal;
    ctx.AddProblem(keyPath, L"The key " + keyPath + L" is a empty registry key", L"Empty Registry Key.", item,
                   EmptyKey);
}

// Opens the key at path (its last name relative to parent), reports it when it is empty
// and deep enough, and otherwise pushes it so that its subkeys are visited next.
void VisitKey(ScanContext& ctx, std::vector<OpenKey>& open, HKEY parent, const std::wstring& openPath,
              const std::wstring& path, int depth)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(parent, openPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 0;
    DWORD values = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    if (subkeys == 0 && values == 0) {
        if (depth > 2)
            ReportEmptyKey(ctx, path);
        return;
    }
    if (depth < kRegistryDepthLimit && subkeys > 0)
        open.push_back({std::move(key), subkeys, 0, path.size(), depth});
}

}  // namespace

void ScanClasses(ScanContext& ctx)
{
    UniqueHKey clsid;
    if (::RegOpenKeyExW(RootToHKey(ctx.root), L"CLSID", 0, KEY_READ, clsid.put()) != ERROR_SUCCESS)
        return;
    DWORD count = 0;
    if (::RegQueryInfoKeyW(clsid.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    // One walk over the classes, each opened once, serves both checks; the type-library
    // problems wait until the walk ends so that every AppID problem still comes first.
    std::vector<TypeLibProblem> typeLibProblems;
    for (DWORD index = 0; index < count && ctx.running; ++index) {
        wchar_t buffer[kRegNameChars];
        DWORD nameChars = kRegNameChars;
        if (::RegEnumKeyExW(clsid.get(), index, buffer, &nameChars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        const std::wstring name(buffer, nameChars);
        if (name.find(L'\0') != std::wstring::npos)
            continue;  // opened by name, it would be a different, shorter key
        if (ctx.ItemDue())
            ctx.ReportItem(L"CLSID\\" + name);
        UniqueHKey classKey;
        if (::RegOpenKeyExW(clsid.get(), name.c_str(), 0, KEY_READ, classKey.put()) != ERROR_SUCCESS)
            continue;
        CheckClassAppId(ctx, classKey.get(), name);
        CheckClassTypeLib(ctx, classKey.get(), name, typeLibProblems);
    }
    for (const TypeLibProblem& problem : typeLibProblems)
        ctx.AddProblem(L"", problem.reason, L"Missing Typelib or CLSID.", problem.item, InvalidValue);
}

// Depth first, in the order a recursive walk would report, but with the open keys on a
// stack of our own: at the registry's full depth a recursion could exhaust the scan
// thread's stack. Each key opens relative to its parent, which the walk holds anyway, and
// one path text grows and shrinks with the walk instead of a copy per level.
void ScanEmptyKeys(ScanContext& ctx, RootKey root, const std::wstring& keyPath, int depth)
{
    std::vector<OpenKey> open;
    std::wstring path = keyPath;
    VisitKey(ctx, open, RootToHKey(root), keyPath, path, depth);
    while (!open.empty() && ctx.running) {
        OpenKey& top = open.back();
        if (top.next >= top.subkeys) {
            open.pop_back();
            continue;
        }
        wchar_t name[kRegNameChars];
        DWORD nameChars = kRegNameChars;
        if (::RegEnumKeyExW(top.key.get(), top.next++, name, &nameChars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        const std::wstring child(name, nameChars);
        // A name with an embedded NUL would open, and later delete, a shorter namesake.
        if (child.find(L'\0') != std::wstring::npos)
            continue;
        path.resize(top.pathLength);
        path += L'\\';
        path += child;
        // VisitKey may grow the stack, which moves top: take what it needs first.
        const HKEY parent = top.key.get();
        const int childDepth = top.depth + 1;
        VisitKey(ctx, open, parent, child, path, childDepth);
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
    if (!ctx.running) {
        finder.StopRequested = true;
        return;
    }
    if (code == CFileFinder::kSearchingFolder) {
        ctx.ReportItem(finder.CurrentFolder());
    } else if (code == CFileFinder::kEntryFound && !finder.Found.IsEmpty()) {
        const std::wstring& found = finder.Found[finder.Found.GetSize() - 1];
        // A folder whose name ends in ".lnk" is no shortcut, nor is "x.lnkx" that the
        // search found through its short name.
        if (found.back() == L'\\' || !HasExtension(found, L".lnk"))
            return;
        CPath path(found);
        const std::wstring full = path.FullPath();
        if (!ShortcutTargetExists(ctx, full))
            ctx.AddShortcutProblem(full);
    }
}

namespace {

// Loads the link through the persistence interface Persist of the shell-link object
// (load calls it) and tests its target.
template <typename Persist, typename Load>
bool LoadedTargetExists(ScanContext& ctx, Load load)
{
    if (!ctx.running)
        return false;
    if (!ctx.shellLink)
        return true;
    ComPtr<Persist> persist;
    if (FAILED(ctx.shellLink.As(persist)))
        return true;  // nothing can be tested; see ScanShortcuts
    HRESULT result = E_FAIL;
    try {
        result = load(*persist.get());
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
    return ctx.pathChecks.Exists(target);
}

}  // namespace

bool ShortcutTargetExists(ScanContext& ctx, const std::wstring& path)
{
    return LoadedTargetExists<IPersistFile>(ctx,
                                            [&path](IPersistFile& file) { return file.Load(path.c_str(), STGM_READ); });
}

bool ShortcutStreamTargetExists(ScanContext& ctx, IStream* stream)
{
    return LoadedTargetExists<IPersistStream>(ctx, [stream](IPersistStream& persist) { return persist.Load(stream); });
}
