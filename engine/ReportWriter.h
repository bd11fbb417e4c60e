#pragma once
// Writes the HTML scan report into the "Velmora" folder of the common application-data
// folder, and opens that folder.

#include "core/ProblemRecord.h"
#include "framework/Handles.h"

#include <string>

// The common application-data folder (CSIDL_COMMON_APPDATA); empty when unknown.
[[nodiscard]] std::wstring CommonAppDataFolder();

// Writes "<common app data>\Velmora\vlm_<version>_<stamp>.html" (UTF-8, no byte-order
// mark) for the problems, stamped with the local time now, through the report folder's
// handle (OpenReportFolder). False, with nothing written, when the base folder is
// unknown, the report folder is refused or the file cannot be written; baseFolder is
// set as soon as it is known, reportPath only on success.
[[nodiscard]] bool WriteScanReportFile(const std::wstring& productVersion, const std::wstring& releaseDate,
                                       const CErrorListEx& problems, std::wstring& baseFolder,
                                       std::wstring& reportPath);

// The "Velmora" folder of base (the common application-data folder), opened without
// following a link anywhere on its path and created when missing (as the installer
// creates it) with an access list for administrators and SYSTEM, users reading. Every
// user can create folders in base, so one that is there already is used only when
// administrators, SYSTEM or base's own owner own it; nothing otherwise.
[[nodiscard]] UniqueHandle OpenReportFolder(const std::wstring& base);

// Opens the report folder in the shell; failures are ignored.
void OpenReportFolderInShell();
