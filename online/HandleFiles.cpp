#include "online/HandleFiles.h"

#include "core/SolutionPathRules.h"

#include <winternl.h>

namespace {

constexpr DWORD kListBufferBytes = 64 * 1024;

}  // namespace

UniqueHandle OpenWithoutFollowing(const std::wstring& path, DWORD access, DWORD share)
{
    return UniqueHandle(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

UniqueHandle OpenEntryWithoutFollowing(HANDLE folder, const std::wstring& name, DWORD access, DWORD share)
{
    // A single name relative to the open folder: never a path that could climb out of it.
    if (name.empty() || name == L"." || name == L".." || name.find_first_of(L"\\/") != std::wstring::npos ||
        name.size() > 255)
        return UniqueHandle();
    UNICODE_STRING entryName;
    entryName.Buffer = const_cast<PWSTR>(name.c_str());
    entryName.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    entryName.MaximumLength = entryName.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &entryName, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE opened = nullptr;
    const NTSTATUS result = ::NtCreateFile(&opened, access | SYNCHRONIZE, &attributes, &status, nullptr, 0, share,
                                           FILE_OPEN,
                                           FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT |
                                               FILE_SYNCHRONOUS_IO_NONALERT,
                                           nullptr, 0);
    if (result < 0) {
        ::SetLastError(::RtlNtStatusToDosError(result));
        return UniqueHandle();
    }
    return UniqueHandle(opened);
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

bool DeleteThroughHandle(HANDLE file)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}
