#include "online/ReplaceProgramFile.h"

#include <windows.h>

std::wstring ProgramBackupPath(const std::wstring& programPath) { return programPath + L".bak"; }

bool ReplaceProgramFile(const std::wstring& programPath, const std::wstring& newFile, bool delayed)
{
    const std::wstring backup = ProgramBackupPath(programPath);
    ::DeleteFileW(backup.c_str());
    const DWORD flags = delayed ? MOVEFILE_DELAY_UNTIL_REBOOT : MOVEFILE_COPY_ALLOWED;
    if (!::MoveFileExW(programPath.c_str(), backup.c_str(), flags))
        return false;
    if (!::MoveFileExW(newFile.c_str(), programPath.c_str(), flags)) {
        ::MoveFileExW(backup.c_str(), programPath.c_str(), flags);
        return false;
    }
    ::DeleteFileW(backup.c_str());
    return true;
}
