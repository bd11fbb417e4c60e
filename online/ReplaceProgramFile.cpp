#include "online/ReplaceProgramFile.h"

#include <cstring>
#include <vector>

namespace {

bool RenameOpenFile(HANDLE file, const std::wstring& target)
{
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    // FILE_RENAME_INFO ends in the name; the vector's storage is aligned for the struct.
    std::vector<std::uint64_t> storage((sizeof(FILE_RENAME_INFO) + nameBytes) / sizeof(std::uint64_t) + 1);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(info->FileName, target.data(), nameBytes);
    return ::SetFileInformationByHandle(file, FileRenameInfo, info,
                                        static_cast<DWORD>(storage.size() * sizeof(std::uint64_t))) != FALSE;
}

}  // namespace

std::wstring ProgramBackupPath(const std::wstring& programPath) { return programPath + L".bak"; }

bool ReplaceProgramFile(const std::wstring& programPath, HANDLE newFile)
{
    const std::wstring backup = ProgramBackupPath(programPath);
    ::DeleteFileW(backup.c_str());
    if (!::MoveFileExW(programPath.c_str(), backup.c_str(), 0))
        return false;
    if (RenameOpenFile(newFile, programPath))
        return true;
    ::MoveFileExW(backup.c_str(), programPath.c_str(), 0);
    return false;
}

CDownloadedProgramFile::CDownloadedProgramFile(std::wstring programPath)
    : m_programPath(std::move(programPath)), m_path(PathFor(m_programPath))
{
    ::DeleteFileW(m_path.c_str());
    m_file.reset(::CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

CDownloadedProgramFile::~CDownloadedProgramFile()
{
    if (!m_file || m_installed)
        return;
    m_file.reset();
    ::DeleteFileW(m_path.c_str());
}

bool CDownloadedProgramFile::Install()
{
    m_installed = m_file && ReplaceProgramFile(m_programPath, m_file.get());
    return m_installed;
}
