#include "engine/BackupRestore.h"

#include "core/BackupFile.h"
#include "core/PathText.h"
#include "core/ProblemRecord.h"
#include "core/TextSplit.h"
#include "core/Utf16Text.h"
#include "engine/BackupWriter.h"
#include "engine/FileFinder.h"
#include "engine/FileSystem.h"
#include "engine/LinkGuard.h"
#include "engine/Registry.h"
#include "framework/File.h"
#include "framework/Handles.h"

#include <optional>
#include <stdexcept>

namespace {

// Everything one backup holds, read and checked before anything is written.
struct BackupContents {
    std::vector<BackupEntry> entries;
    std::vector<PreservedFile> files;
    std::wstring filesFolder;
};

std::wstring FolderOf(const std::wstring& path)
{
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool IsRegularFile(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// A registry line the restore can act on without reaching a different entry.
bool UsableEntry(const BackupEntry& entry)
{
    if (entry.Action != RestoreValue && entry.Action != RestoreKey)
        return true;  // passed over anyway
    const CRegistryItem& item = entry.Item;
    return !RootToHive(item.Root).empty() && !ItemHoldsNul(item);
}

std::optional<BackupContents> ReadBackup(const std::wstring& backupPath)
{
    BackupContents contents;
    contents.filesFolder = PreservedFilesFolder(backupPath);
    if (!NoneIsLink({FolderOf(backupPath), backupPath, contents.filesFolder}))
        return std::nullopt;
    std::string bytes;
    if (!CFile::ReadAll(backupPath, bytes))
        return std::nullopt;
    for (const std::wstring& record : SplitByString(utf16::DecodeLe(bytes), kRecordEnd)) {
        try {
            contents.entries.push_back(ParseBackupRecord(record));
        } catch (const std::invalid_argument&) {
            return std::nullopt;
        }
        if (!UsableEntry(contents.entries.back()))
            return std::nullopt;
    }
    if (::GetFileAttributesW(contents.filesFolder.c_str()) == INVALID_FILE_ATTRIBUTES)
        return contents;  // no file was kept
    const std::wstring listing = contents.filesFolder + L'\\' + std::wstring(kPreservedFilesListing);
    // A folder without a listing holds no file that was deleted: the listing line comes
    // before the deletion.
    if (::GetFileAttributesW(listing.c_str()) == INVALID_FILE_ATTRIBUTES)
        return contents;
    if (!IsRegularFile(listing) || !CFile::ReadAll(listing, bytes))
        return std::nullopt;
    auto files = ParsePreservedFileListing(utf16::DecodeLe(bytes));
    if (!files)
        return std::nullopt;
    for (const PreservedFile& file : *files)
        if (!IsRegularFile(contents.filesFolder + L'\\' + file.StoredName))
            return std::nullopt;
    contents.files = std::move(*files);
    return contents;
}

bool ValueExists(HKEY root, const std::wstring& keyPath, const std::wstring& name)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return false;
    return ::RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

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
        if (ValueExists(root, item.SubKey, item.ValueName))
            return true;
        if (item.Type == kTypeDword)
            return RegWriteDword(root, item.SubKey, item.ValueName, BackupDwordValue(item.ValueData));
        if (item.Type == kTypeExpandString)
            return WriteExpandString(root, item.SubKey, item.ValueName, item.ValueData);
        return RegWriteString(root, item.SubKey, item.ValueName, item.ValueData);
    case RestoreKey: return RegCreateKeyAt(root, item.SubKey);
    default: return true;
    }
}

// Creates the missing folders of path's parent chain, from the top down.
void CreateParentFolders(const std::wstring& path)
{
    for (std::size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
        ::CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);  // an existing one is fine
}

bool RestoreFile(const std::wstring& filesFolder, const PreservedFile& file)
{
    const DWORD attributes = ::GetFileAttributesW(file.OriginalPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return true;  // something is there again: never replaced
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        return false;
    // A junction on the way would put the file, and the folders made for it, wherever it points.
    if (ParentChainHoldsLink(file.OriginalPath))
        return false;
    CreateParentFolders(file.OriginalPath);
    if (ParentChainHoldsLink(file.OriginalPath))
        return false;
    return CopyToNewFile(filesFolder + L'\\' + file.StoredName, file.OriginalPath);
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
        if (path.back() != L'\\' && HasExtension(path, L".dat"))
            paths.push_back(path);
    }
    SortBackupsNewestFirst(paths);
    return paths;
}

bool RestoreBackupFile(const std::wstring& backupPath, const std::wstring& repairedItemsPath)
{
    const std::optional<BackupContents> contents = ReadBackup(backupPath);
    if (!contents)
        return false;
    bool complete = true;
    for (const BackupEntry& entry : contents->entries)
        complete = RestoreEntry(entry) && complete;
    for (const PreservedFile& file : contents->files)
        complete = RestoreFile(contents->filesFolder, file) && complete;
    if (!complete)
        return false;
    if (!NoneIsLink({FolderOf(repairedItemsPath), repairedItemsPath}))
        return false;
    if (FileExists(repairedItemsPath) && !::DeleteFileW(repairedItemsPath.c_str()))
        return false;
    return true;
}

bool DeleteBackupFiles(const std::wstring& backupPath)
{
    const std::wstring filesFolder = PreservedFilesFolder(backupPath);
    if (!NoneIsLink({FolderOf(backupPath), backupPath, filesFolder}))
        return false;
    if (::GetFileAttributesW(filesFolder.c_str()) != INVALID_FILE_ATTRIBUTES) {
        CFileFind find;
        for (bool more = find.FindFile(filesFolder + L"\\*"); more; more = find.FindNextFile())
            if (!find.IsDots() && !find.IsDirectory() && !find.IsReparsePoint())
                ::DeleteFileW(find.GetFilePath().c_str());  // what stays keeps the folder
        find.Close();
        ::RemoveDirectoryW(filesFolder.c_str());
    }
    if (::GetFileAttributesW(filesFolder.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;  // the backup file stays the way back to what the folder still holds
    return !FileExists(backupPath) || ::DeleteFileW(backupPath.c_str()) != 0;
}
