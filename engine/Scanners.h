#pragma once
// The section checks. Each runs on the scan thread, polls ctx.running in every loop,
// reads the registry with KEY_READ only, and reports through the context.

#include "engine/ScanContext.h"

#include <string>

// The deepest level below which no value tree walk descends (the start key is depth 1),
// so those walks end at depth 11 however deep a key tree is.
inline constexpr int kMaxTreeDepth = 10;

// --- values that name files ---------------------------------------------------------

// The REG_SZ and REG_EXPAND_SZ values of one key (data of at most 1024 bytes).
void ScanKeyValues(ScanContext& ctx, RootKey root, const std::wstring& keyPath);
// The key's values and those of its subkeys, down to depth 11 (sections start at 1).
void ScanKeyTree(ScanContext& ctx, RootKey root, const std::wstring& keyPath, int depth);
// The REG_DWORD values of the shared-DLL key below HKEY_LOCAL_MACHINE: the value name
// is the DLL's path; ValueData records the count as decimal text.
void ScanSharedDlls(ScanContext& ctx, const std::wstring& keyPath);
// Reports text when, expanded, it is a plain absolute path with a known extension
// whose file is missing. Never throws.
void CheckPathValue(ScanContext& ctx, const CRegistryItem& item, const std::wstring& displayName,
                    const std::wstring& text);

// The decision of CheckPathValue: the text, expanded, is an absolute single file path
// with a known extension, no installer command, and the file is missing (asked of the
// scan's cache; null: of the file system itself).
[[nodiscard]] bool NamesMissingFile(const std::wstring& text, CPathCheckCache* checks = nullptr) noexcept;

// True when the lower-case copy, with "\systemroot" made "%systemroot%" and expanded,
// contains a colon.
[[nodiscard]] bool LooksAbsolute(const std::wstring& text);
// True when the text ends in a known extension and its file does not exist. A text
// beginning with "\SystemRoot\" is looked up on its normalised, expanded form, through
// the cache when there is one.
[[nodiscard]] bool KnownFileMissing(const std::wstring& text, CPathCheckCache* checks = nullptr);

// --- COM classes, empty keys, shortcuts ------------------------------------------------

// Classes below <root>\CLSID whose "AppID" names a key missing below HKEY_CLASSES_ROOT\AppID,
// then those whose TypeLib subkey names a key missing below HKEY_CLASSES_ROOT\TypeLib.
void ScanClasses(ScanContext& ctx);
// Keys without values and subkeys, deeper than depth 2 (the start key is depth 1) and
// down to depth 512, the registry's own nesting limit; subkeys whose name holds a NUL
// are skipped.
void ScanEmptyKeys(ScanContext& ctx, RootKey root, const std::wstring& keyPath, int depth);
// The "*.lnk" files below the expanded folder whose target is gone. Reports nothing
// when the context has no shell-link object.
void ScanShortcuts(ScanContext& ctx, const std::wstring& folderText);
// The file finder's callback during ScanShortcuts (user value: the ScanContext).
void ShortcutHandler(CFileFinder& finder, int code, void* user);
// False for a link that does not load or resolve, or whose file-system target is
// missing, and whenever the scan was stopped. A link without a file-system target
// counts as intact.
[[nodiscard]] bool ShortcutTargetExists(ScanContext& ctx, const std::wstring& path);
// The same for a shortcut's bytes, read from a file held open.
[[nodiscard]] bool ShortcutStreamTargetExists(ScanContext& ctx, IStream* stream);
