#pragma once
// Puts a verified program file in the place of the program. The program file is moved
// aside to "<name>.bak" in its folder (a running program may be renamed, not
// overwritten), then the new file - through its open handle, so it is the very file
// that was verified - is renamed into its place. The ".bak" file stays: it is the way
// back until the new program has started (the restart helper deletes it then, or puts
// it back when the new program cannot start). An older ".bak" file is deleted first.
// When the new file cannot be moved into place the program file is moved back, so the
// program stays startable.

#include "framework/Handles.h"

#include <windows.h>

#include <string>

// True when the new file is in place. newFile: opened with DELETE access.
[[nodiscard]] bool ReplaceProgramFile(const std::wstring& programPath, HANDLE newFile);
// "<programPath>.bak".
[[nodiscard]] std::wstring ProgramBackupPath(const std::wstring& programPath);

// The download of a new program, "<programPath>.new" beside the program: a stale one is
// deleted, the file created exclusively and held open with no other writer allowed, so
// it inherits the program folder's permissions and cannot change between verification
// and replacement. Deleted when it goes out of scope without being installed.
class CDownloadedProgramFile {
public:
    explicit CDownloadedProgramFile(std::wstring programPath);
    ~CDownloadedProgramFile();
    CDownloadedProgramFile(const CDownloadedProgramFile&) = delete;
    CDownloadedProgramFile& operator=(const CDownloadedProgramFile&) = delete;

    [[nodiscard]] bool IsOpen() const { return static_cast<bool>(m_file); }
    // Readable and writable.
    [[nodiscard]] HANDLE Handle() const { return m_file.get(); }
    // ReplaceProgramFile with this file.
    [[nodiscard]] bool Install();

    [[nodiscard]] static std::wstring PathFor(const std::wstring& programPath) { return programPath + L".new"; }

private:
    std::wstring m_programPath;
    std::wstring m_path;
    UniqueHandle m_file;
    bool m_installed = false;
};
