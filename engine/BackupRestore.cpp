#include "engine/BackupRestore.h"

#include "core/BackupFile.h"
#include "core/PathText.h"
#include "core/ProblemRecord.h"
#include "core/TextSplit.h"
#include "core/Utf16Text.h"
#include "engine/BackupWriter.h"
#include "engine/FileFinder.h"
#include "engine/FileSystem.h"
#include "engine/HandleFiles.h"
#include "engine/LinkGuard.h"
#include "engine/Registry.h"
#include "framework/File.h"
#include "framework/Handles.h"

#include <algorithm>
#include <cstring>
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

// What stands where a backup entry belongs.
enum class Occupant {
    Nothing,    // the place is free
    Same,       // exactly what the backup holds
    Different,  // other data, newer than the backup
    Unknown,    // it could not be checked
};

// The type and bytes a value line writes.
struct ValueImage {
    DWORD type = REG_SZ;
    std::vector<BYTE> bytes;
};

ValueImage ImageOfLine(const CRegistryItem& item)
{
    ValueImage image;
    if (item.Type == kTypeDword) {
        const std::uint32_t number = BackupDwordValue(item.ValueData);
        image.type = REG_DWORD;
        image.bytes = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8), static_cast<BYTE>(number >> 16),
                       static_cast<BYTE>(number >> 24)};
        return image;
    }
    image.type = item.Type == kTypeExpandString ? REG_EXPAND_SZ : REG_SZ;
    for (const wchar_t unit : item.ValueData) {
        image.bytes.push_back(static_cast<BYTE>(unit));
        image.bytes.push_back(static_cast<BYTE>(unit >> 8));
    }
    image.bytes.insert(image.bytes.end(), sizeof(wchar_t), 0);
    return image;
}

Occupant ValueOccupant(HKEY root, const CRegistryItem& item, const ValueImage& image)
{
    UniqueHKey key;
    const LONG opened = ::RegOpenKeyExW(root, item.SubKey.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (opened == ERROR_FILE_NOT_FOUND)
        return Occupant::Nothing;
    if (opened != ERROR_SUCCESS)
        return Occupant::Unknown;
    DWORD type = 0;
    // One byte more than the image tells a longer value without reading all of it.
    std::vector<BYTE> live(image.bytes.size() + 1);
    auto size = static_cast<DWORD>(live.size());
    const LONG queried = ::RegQueryValueExW(key.get(), item.ValueName.c_str(), nullptr, &type, live.data(), &size);
    if (queried == ERROR_FILE_NOT_FOUND)
        return Occupant::Nothing;
    if (queried == ERROR_MORE_DATA)
        return Occupant::Different;
    if (queried != ERROR_SUCCESS)
        return Occupant::Unknown;
    live.resize(size);
    return type == image.type && live == image.bytes ? Occupant::Same : Occupant::Different;
}

UniqueHandle OpenToCompare(const std::wstring& path)
{
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    return UniqueHandle(
        ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Whether the two files hold the same bytes; nothing when either cannot be read.
std::optional<bool> SameFileBytes(const std::wstring& first, const std::wstring& second)
{
    const UniqueHandle a = OpenToCompare(first);
    const UniqueHandle b = OpenToCompare(second);
    LARGE_INTEGER sizeA{};
    LARGE_INTEGER sizeB{};
    if (!a || !b || !::GetFileSizeEx(a.get(), &sizeA) || !::GetFileSizeEx(b.get(), &sizeB))
        return std::nullopt;
    if (sizeA.QuadPart != sizeB.QuadPart)
        return false;
    constexpr DWORD kChunk = 64 * 1024;
    std::vector<char> chunkA(kChunk);
    std::vector<char> chunkB(kChunk);
    for (;;) {
        DWORD readA = 0;
        DWORD readB = 0;
        if (!::ReadFile(a.get(), chunkA.data(), kChunk, &readA, nullptr) ||
            !::ReadFile(b.get(), chunkB.data(), kChunk, &readB, nullptr))
            return std::nullopt;
        if (readA != readB || std::memcmp(chunkA.data(), chunkB.data(), readA) != 0)
            return false;
        if (readA == 0)
            return true;
    }
}

Occupant FileOccupant(const std::wstring& storedCopy, const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Occupant::Nothing : Occupant::Unknown;
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return Occupant::Different;  // never followed, never replaced
    const std::optional<bool> same = SameFileBytes(storedCopy, path);
    if (!same)
        return Occupant::Unknown;
    return *same ? Occupant::Same : Occupant::Different;
}

// Writes the entry only where nothing stands; what stands there is never replaced.
template <typename Write>
RestoreOutcome PutInPlace(Occupant occupant, Write write)
{
    switch (occupant) {
    case Occupant::Nothing: return write() ? RestoreOutcome::Restored : RestoreOutcome::Failed;
    case Occupant::Same: return RestoreOutcome::Restored;
    case Occupant::Different: return RestoreOutcome::NewerDataKept;
    case Occupant::Unknown: break;
    }
    return RestoreOutcome::Failed;
}

RestoreOutcome RestoreEntry(const BackupEntry& entry)
{
    const CRegistryItem& item = entry.Item;
    const HKEY root = RootToHKey(item.Root);
    switch (entry.Action) {
    case RestoreValue: {
        const ValueImage image = ImageOfLine(item);
        return PutInPlace(ValueOccupant(root, item, image), [&] {
            return RegWriteValue(root, item.SubKey, item.ValueName, image.type, image.bytes.data(),
                                 static_cast<DWORD>(image.bytes.size()));
        });
    }
    case RestoreKey: return RegCreateKeyAt(root, item.SubKey) ? RestoreOutcome::Restored : RestoreOutcome::Failed;
    default: return RestoreOutcome::Restored;
    }
}

RestoreOutcome RestoreFile(const std::wstring& filesFolder, const PreservedFile& file)
{
    // A junction on the way would put the file, and the folders made for it, wherever it points.
    if (ParentChainHoldsLink(file.OriginalPath))
        return RestoreOutcome::Failed;
    const std::wstring storedCopy = filesFolder + L'\\' + file.StoredName;
    // Folders and file are made relative to handles opened without following links, so
    // none swapped for a junction after the check above can send them elsewhere.
    return PutInPlace(FileOccupant(storedCopy, file.OriginalPath),
                      [&] { return CopyToNewFileByHandles(storedCopy, file.OriginalPath); });
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

RestoreOutcome RestoreBackupFile(const std::wstring& backupPath, const std::wstring& repairedItemsPath)
{
    const std::optional<BackupContents> contents = ReadBackup(backupPath);
    if (!contents)
        return RestoreOutcome::Failed;
    // The outcomes are listed from best to worst: the worst entry's is the restore's.
    RestoreOutcome outcome = RestoreOutcome::Restored;
    for (const BackupEntry& entry : contents->entries)
        outcome = std::max(outcome, RestoreEntry(entry));
    for (const PreservedFile& file : contents->files)
        outcome = std::max(outcome, RestoreFile(contents->filesFolder, file));
    if (outcome == RestoreOutcome::Failed)
        return outcome;
    if (!NoneIsLink({FolderOf(repairedItemsPath), repairedItemsPath}))
        return RestoreOutcome::Failed;
    if (FileExists(repairedItemsPath) && !DeleteFileByHandles(repairedItemsPath))
        return RestoreOutcome::Failed;
    return outcome;
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
