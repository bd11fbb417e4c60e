#include "engine/BackupRestore.h"

#include "core/BackupFile.h"
#include "core/PathText.h"
#include "core/ProblemRecord.h"
#include "core/TextSplit.h"
#include "core/Utf16Text.h"
#include "engine/FileFinder.h"
#include "engine/FileSystem.h"
#include "engine/Registry.h"
#include "framework/File.h"
#include "framework/Handles.h"

#include <stdexcept>

namespace {

bool WriteExpandString(HKEY root, const std::wstring& keyPath, const std::wstring& name, const std::wstring& text)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_WRITE, key.put()) != ERROR_SUCCESS &&
        ::RegCreateKeyW(root, keyPath.c_str(), key.put()) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(key.get(), name.c_str(), 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RestoreEntry(const BackupEntry& entry)
{
    const CRegistryItem& item = entry.Item;
    const HKEY root = RootToHKey(item.Root);
    switch (entry.Action) {
    case RestoreValue:
        if (item.Type == kTypeDword)
            return RegWriteDword(root, item.SubKey, item.ValueName, BackupDwordValue(item.ValueData));
        if (item.Type == kTypeExpandString)
            return WriteExpandString(root, item.SubKey, item.ValueName, item.ValueData);
        return RegWriteString(root, item.SubKey, item.ValueName, item.ValueData);
    case RestoreKey: return RegCreateKeyAt(root, item.SubKey);
    default: return true;
    }
}

}  // namespace

std::vector<std::wstring> FindBackupFiles(const std::wstring& folder)
{
    CFileFinder finder;
    finder.FindFiles(folder, L"*.dat", false);
    std::vector<std::wstring> paths;
    for (const std::wstring& path : finder.Found) {
        // A folder comes back with a trailing backslash; a short-name match can bring a
        // longer extension such as ".data".
        if (path.size() > 4 && path.back() != L'\\' && ToLowerAscii(path.substr(path.size() - 4)) == L".dat")
            paths.push_back(path);
    }
    SortBackupsNewestFirst(paths);
    return paths;
}

bool RestoreBackupFile(const std::wstring& backupPath, const std::wstring& repairedItemsPath)
{
    std::string bytes;
    if (!CFile::ReadAll(backupPath, bytes))
        return false;
    bool complete = true;
    for (const std::wstring& record : SplitByString(utf16::DecodeLe(bytes), kRecordEnd)) {
        BackupEntry entry;
        try {
            entry = ParseBackupRecord(record);
        } catch (const std::invalid_argument&) {
            return false;
        }
        if (!RestoreEntry(entry))
            complete = false;
    }
    if (!complete)
        return false;
    if (FileExists(repairedItemsPath) && !::DeleteFileW(repairedItemsPath.c_str()))
        return false;
    return true;
}
