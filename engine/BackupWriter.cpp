#include "engine/BackupWriter.h"

#include "core/BackupFile.h"
#include "core/Utf16Text.h"
#include "engine/AccessRules.h"
#include "engine/HandleFiles.h"
#include "engine/LinkGuard.h"
#include "engine/LocalTime.h"

#include <string_view>
#include <vector>

namespace {

// More repairs than this within one minute would be a runaway caller, not a user.
constexpr int kMaxBackupsPerMinute = 1000;
constexpr DWORD kCopyChunk = 64 * 1024;
constexpr std::size_t kLongestKeptExtension = 16;

bool WriteAllFlushed(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = bytes.size() > kCopyChunk ? kCopyChunk : static_cast<DWORD>(bytes.size());
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return ::FlushFileBuffers(file) != 0;
}

bool IsRegularFile(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileInformationByHandle(file, &info) &&
           (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

bool AppendLine(HANDLE file, const std::wstring& line) { return WriteAllFlushed(file, utf16::EncodeLe(line)); }

// "<n>" plus the original's extension when it is short and plain, so a kept shortcut
// still looks like one in the folder.
std::wstring StoredCopyName(int number, const std::wstring& originalPath)
{
    std::wstring name = std::to_wstring(number);
    const std::size_t slash = originalPath.find_last_of(L"\\/");
    const std::size_t dot = originalPath.rfind(L'.');
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash) &&
        originalPath.size() - dot <= kLongestKeptExtension)
        name += originalPath.substr(dot);
    return name;
}

// The backups hold what a repair or a solution removed, possibly from places only
// administrators may read: their folders are for administrators and SYSTEM alone, and
// what is created inside inherits that. A folder that was there already is given the
// same list where it can be (an earlier version left it open to every user).
bool EnsureAdministratorsFolder(const std::wstring& folder)
{
    CAdministratorsOnly security(ReadersToo::None);
    if (IsLinkOrUnreadable(folder) || !security.Attributes())
        return false;
    if (!::CreateDirectoryW(folder.c_str(), security.Attributes()) && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        const UniqueHandle existing =
            OpenWithoutFollowing(folder, READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        const auto facts = existing ? FactsOf(existing.get()) : std::nullopt;
        if (facts && facts->IsFolder() && !facts->IsLink())
            static_cast<void>(security.ApplyTo(existing.get()));
    }
    return EnsureRealFolder(folder);
}

bool NameTaken(const std::wstring& backupPath)
{
    return ::GetFileAttributesW(PreservedFilesFolder(backupPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool CopyOpenFileToNewFile(HANDLE source, const std::wstring& target)
{
    if (!IsRegularFile(source))
        return false;
    UniqueHandle out(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    if (!out)
        return false;
    const bool copied = CopyIntoOpenFile(source, out.get());
    out.reset();
    if (!copied)
        ::DeleteFileW(target.c_str());
    return copied;
}

bool CopyToNewFileByHandles(const std::wstring& source, const std::wstring& target)
{
    const std::size_t slash = target.rfind(L'\\');
    if (slash == std::wstring::npos)
        return false;
    UniqueHandle in(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!in || !IsRegularFile(in.get()))
        return false;
    const UniqueHandle folder = OpenFolderByHandles(target.substr(0, slash), true);
    const UniqueHandle out = folder ? CreateFileInFolder(folder.get(), target.substr(slash + 1)) : UniqueHandle();
    if (!out)
        return false;
    if (CopyIntoOpenFile(in.get(), out.get()))
        return true;
    static_cast<void>(DeleteThroughHandle(out.get()));
    return false;
}

bool CopyIntoOpenFile(HANDLE source, HANDLE out)
{
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(source, start, nullptr, FILE_BEGIN))
        return false;
    std::vector<char> buffer(kCopyChunk);
    bool copied = true;
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(source, buffer.data(), kCopyChunk, &read, nullptr)) {
            copied = false;
            break;
        }
        if (read == 0)
            break;
        if (!WriteAllFlushed(out, std::string_view(buffer.data(), read))) {
            copied = false;
            break;
        }
    }
    return copied && ::FlushFileBuffers(out);
}

CBackupWriter::CBackupWriter(std::wstring path, UniqueHandle file) : m_path(std::move(path)), m_file(std::move(file))
{
}

std::optional<CBackupWriter> CBackupWriter::Create(const std::wstring& folder)
{
    return Create(folder, LocalCalendarTime());
}

std::optional<CBackupWriter> CBackupWriter::Create(const std::wstring& folder, const CalendarTime& time)
{
    if (!EnsureAdministratorsFolder(folder))
        return std::nullopt;
    for (int sequence = 1; sequence <= kMaxBackupsPerMinute; ++sequence) {
        std::wstring path = folder + L'\\' + BackupFileName(time, sequence);
        if (NameTaken(path))
            continue;
        UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            if (!IsRegularFile(file.get()))
                return std::nullopt;
            return CBackupWriter(std::move(path), std::move(file));
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return std::nullopt;
    }
    return std::nullopt;
}

bool CBackupWriter::AppendRegistryEntry(std::int32_t action, const CRegistryItem& item)
{
    if (m_failed || !BackupLineRoundTrips(action, item))
        return false;
    m_failed = !AppendLine(m_file.get(), FormatBackupLine(action, item));
    return !m_failed;
}

bool CBackupWriter::OpenListing()
{
    if (m_listing)
        return true;
    const std::wstring folder = PreservedFilesFolder(m_path);
    if (!EnsureAdministratorsFolder(folder))
        return false;
    const std::wstring listing = folder + L'\\' + std::wstring(kPreservedFilesListing);
    m_listing.reset(::CreateFileW(listing.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_listing && IsRegularFile(m_listing.get());
}

bool CBackupWriter::PreserveFile(const std::wstring& path)
{
    const UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return file && PreserveOpenFile(file.get(), path);
}

bool CBackupWriter::PreserveOpenFile(HANDLE file, const std::wstring& path)
{
    const PreservedFile kept{StoredCopyName(m_preserved + 1, path), path};
    // A path the listing could not give back exactly could never be restored.
    const std::wstring line = FormatPreservedFileLine(kept);
    const auto readBack = ParsePreservedFileListing(line);
    if (!readBack || readBack->size() != 1 || readBack->front().OriginalPath != path)
        return false;
    if (m_failed)
        return false;
    if (!OpenListing()) {
        m_failed = true;
        return false;
    }
    ++m_preserved;  // a failed copy's name is never offered again
    if (!CopyOpenFileToNewFile(file, PreservedFilesFolder(m_path) + L'\\' + kept.StoredName))
        return false;
    m_failed = !AppendLine(m_listing.get(), line);
    return !m_failed;
}

std::wstring CBackupWriter::SaveText(const std::wstring& fileName, const std::wstring& text)
{
    const std::wstring folder = PreservedFilesFolder(m_path);
    if (!EnsureAdministratorsFolder(folder))
        return {};
    const std::wstring path = folder + L'\\' + fileName;
    UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return {};
    if (!WriteAllFlushed(file.get(), "\xFF\xFE" + utf16::EncodeLe(text))) {
        file.reset();
        ::DeleteFileW(path.c_str());
        return {};
    }
    return path;
}
