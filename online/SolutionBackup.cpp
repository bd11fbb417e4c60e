#include "online/SolutionBackup.h"

CBackupWriter* CRepairBackupForSolution::Writer()
{
    if (!m_writer && !m_creationFailed) {
        m_writer = CBackupWriter::Create(m_folder);
        m_creationFailed = !m_writer;
    }
    return m_writer ? &*m_writer : nullptr;
}

bool CRepairBackupForSolution::SaveRegistryEntry(std::int32_t action, const CRegistryItem& item)
{
    CBackupWriter* writer = Writer();
    return writer && writer->AppendRegistryEntry(action, item);
}

std::optional<std::uint64_t> CRepairBackupForSolution::FittingCopySize(HANDLE file) const
{
    // Before the first copy the backup folder may not exist yet; the folder holding it does.
    std::wstring volumeFolder = m_folder;
    if (::GetFileAttributesW(volumeFolder.c_str()) == INVALID_FILE_ATTRIBUTES)
        volumeFolder = volumeFolder.substr(0, volumeFolder.find_last_of(L'\\') + 1);
    LARGE_INTEGER size{};
    ULARGE_INTEGER available{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
        !::GetDiskFreeSpaceExW(volumeFolder.c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
    if (bytes > m_limits.maxCopiedBytes - m_copiedBytes || available.QuadPart < m_limits.minFreeBytesAfter ||
        bytes > available.QuadPart - m_limits.minFreeBytesAfter)
        return std::nullopt;
    return bytes;
}

bool CRepairBackupForSolution::PreserveFile(HANDLE file, const std::wstring& path)
{
    const std::optional<std::uint64_t> bytes = FittingCopySize(file);
    if (!bytes)
        return false;
    CBackupWriter* writer = Writer();
    if (!writer || !writer->PreserveOpenFile(file, path))
        return false;
    m_copiedBytes += *bytes;
    return true;
}

std::wstring CRepairBackupForSolution::SaveReport(const std::wstring& report)
{
    CBackupWriter* writer = Writer();
    return writer ? writer->SaveText(L"rapporto.txt", report) : std::wstring();
}
