#include "engine/HandleFiles.h"

#include "core/SolutionPathRules.h"

#include <winternl.h>

#include <algorithm>

namespace {

constexpr DWORD kListBufferBytes = 64 * 1024;

}  // namespace

UniqueHandle OpenWithoutFollowing(const std::wstring& path, DWORD access, DWORD share)
{
    return UniqueHandle(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

namespace {

bool IsSingleName(const std::wstring& name)
{
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/") == std::wstring::npos &&
           name.size() <= 255;
}

// The entry called name inside the open folder, opened or created as disposition says,
// never through a link.
UniqueHandle OpenRelative(HANDLE folder, const std::wstring& name, DWORD access, DWORD share, ULONG disposition,
                          ULONG options, SECURITY_ATTRIBUTES* security = nullptr)
{
    // A single name relative to the open folder: never a path that could climb out of it.
    if (!IsSingleName(name))
        return UniqueHandle();
    UNICODE_STRING entryName;
    entryName.Buffer = const_cast<PWSTR>(name.c_str());
    entryName.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    entryName.MaximumLength = entryName.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &entryName, OBJ_CASE_INSENSITIVE, folder,
                               security ? security->lpSecurityDescriptor : nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE opened = nullptr;
    const NTSTATUS result =
        ::NtCreateFile(&opened, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, share,
                       disposition, options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (result < 0) {
        ::SetLastError(::RtlNtStatusToDosError(result));
        return UniqueHandle();
    }
    return UniqueHandle(opened);
}

constexpr DWORD kFolderWalkAccess = FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_TRAVERSE |
                                    FILE_READ_ATTRIBUTES | READ_CONTROL;
// Others may go on using, renaming or deleting the folders: a walk by handles stays in
// the folders it opened whatever becomes of their names.
constexpr DWORD kFolderWalkShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsRealFolder(HANDLE handle)
{
    const auto facts = FactsOf(handle);
    return facts && facts->IsFolder() && !facts->IsLink();
}

}  // namespace

UniqueHandle OpenEntryWithoutFollowing(HANDLE folder, const std::wstring& name, DWORD access, DWORD share)
{
    return OpenRelative(folder, name, access, share, FILE_OPEN, FILE_OPEN_FOR_BACKUP_INTENT);
}

UniqueHandle OpenFolderByHandles(const std::wstring& folder, bool createMissing, SECURITY_ATTRIBUTES* security)
{
    if (ClassifyPathSpelling(folder) != PathSpelling::DriveAbsolute)
        return UniqueHandle();
    UniqueHandle current(::CreateFileW(folder.substr(0, 3).c_str(), kFolderWalkAccess, kFolderWalkShare, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                       nullptr));
    if (!current || !IsRealFolder(current.get())) {
        ::SetLastError(ERROR_DIRECTORY);
        return UniqueHandle();
    }
    for (std::size_t start = 3; start < folder.size();) {
        std::size_t end = folder.find_first_of(L"\\/", start);
        if (end == std::wstring::npos)
            end = folder.size();
        const std::wstring name = folder.substr(start, end - start);
        start = end + 1;
        if (name.empty())
            continue;
        current = OpenFolderEntry(current.get(), name, createMissing, security);
        if (!current)
            return UniqueHandle();
    }
    return current;
}

UniqueHandle OpenFolderEntry(HANDLE folder, const std::wstring& name, bool createMissing,
                             SECURITY_ATTRIBUTES* security)
{
    UniqueHandle entry = OpenRelative(folder, name, kFolderWalkAccess, kFolderWalkShare,
                                      createMissing ? FILE_OPEN_IF : FILE_OPEN, FILE_DIRECTORY_FILE, security);
    if (!entry)
        return UniqueHandle();
    if (!IsRealFolder(entry.get())) {
        // A link or a file in the folder's place: not a missing folder.
        ::SetLastError(ERROR_DIRECTORY);
        return UniqueHandle();
    }
    return entry;
}

UniqueHandle CreateFileInFolder(HANDLE folder, const std::wstring& name)
{
    return OpenRelative(folder, name, GENERIC_WRITE | DELETE, 0, FILE_CREATE, FILE_NON_DIRECTORY_FILE);
}

bool ReplaceFileInFolder(HANDLE folder, const std::wstring& name, std::string_view bytes)
{
    if (!IsSingleName(name))
        return false;
    const std::wstring temporary = name + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    // One left by an earlier run that ended half way.
    if (!DeleteFileInFolder(folder, temporary))
        return false;
    UniqueHandle file = CreateFileInFolder(folder, temporary);
    if (!file)
        return false;
    bool written = true;
    while (written && !bytes.empty()) {
        const DWORD chunk = bytes.size() > kListBufferBytes ? kListBufferBytes : static_cast<DWORD>(bytes.size());
        DWORD done = 0;
        written = ::WriteFile(file.get(), bytes.data(), chunk, &done, nullptr) && done > 0;
        bytes.remove_prefix(done);
    }
    if (written && ::FlushFileBuffers(file.get())) {
        // The rename names its target relative to the folder's handle, which only the
        // native call takes. The information ends in the name; the buffer holds both.
        const std::size_t bytesNeeded = sizeof(FILE_RENAME_INFORMATION) + name.size() * sizeof(wchar_t);
        std::vector<ULONG_PTR> buffer(bytesNeeded / sizeof(ULONG_PTR) + 1);
        auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
        rename->ReplaceIfExists = TRUE;
        rename->RootDirectory = folder;
        rename->FileNameLength = static_cast<ULONG>(name.size() * sizeof(wchar_t));
        std::copy(name.begin(), name.end(), rename->FileName);
        IO_STATUS_BLOCK status{};
        if (::NtSetInformationFile(file.get(), &status, rename, static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)),
                                   FileRenameInformation) >= 0)
            return true;
    }
    static_cast<void>(DeleteThroughHandle(file.get()));
    return false;
}

bool DeleteFileInFolder(HANDLE folder, const std::wstring& name)
{
    const UniqueHandle file = OpenRelative(folder, name, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN,
                                           FILE_NON_DIRECTORY_FILE);
    if (!file)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    return DeleteThroughHandle(file.get());
}

std::optional<FileFacts> FactsOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        return std::nullopt;
    FileFacts facts;
    facts.identity.volumeSerial = info.dwVolumeSerialNumber;
    facts.identity.fileIndex = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    facts.attributes = info.dwFileAttributes;
    return facts;
}

std::wstring FinalPathOf(HANDLE file)
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = ::GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return WithoutLongPathPrefix(buffer);
        }
        buffer.assign(length + 1, L'\0');
    }
    return {};
}

std::optional<std::vector<FolderEntry>> ListFolder(HANDLE folder, std::size_t maxEntries)
{
    std::vector<FolderEntry> entries;
    // DWORD-aligned, as the records inside it are.
    std::vector<DWORD> buffer(kListBufferBytes / sizeof(DWORD));
    for (FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;; request = FileIdBothDirectoryInfo) {
        if (!::GetFileInformationByHandleEx(folder, request, buffer.data(), kListBufferBytes)) {
            if (::GetLastError() == ERROR_NO_MORE_FILES)
                return entries;
            return std::nullopt;
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
        for (std::size_t offset = 0;;) {
            const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + offset);
            std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                entries.push_back({std::move(name), record->FileAttributes});
                if (entries.size() > maxEntries)
                    return entries;
            }
            if (record->NextEntryOffset == 0)
                break;
            offset += record->NextEntryOffset;
        }
    }
}

bool ReplaceFileByHandles(const std::wstring& path, std::string_view bytes)
{
    const std::size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos)
        return false;
    const UniqueHandle folder = OpenFolderByHandles(path.substr(0, slash), true);
    return folder && ReplaceFileInFolder(folder.get(), path.substr(slash + 1), bytes);
}

bool DeleteFileByHandles(const std::wstring& path)
{
    const std::size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos)
        return false;
    const UniqueHandle folder = OpenFolderByHandles(path.substr(0, slash), false);
    if (!folder)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND || ::GetLastError() == ERROR_PATH_NOT_FOUND;
    return DeleteFileInFolder(folder.get(), path.substr(slash + 1));
}

bool DeleteThroughHandle(HANDLE file)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}
