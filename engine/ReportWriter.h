#pragma once
// Writes the HTML scan report into the "Velmora" folder of the common application-data
// folder, and opens that folder.

#include "core/ProblemRecord.h"

#include <string>

// The common application-data folder (CSIDL_COMMON_APPDATA); empty when unknown.
[[nodiscard]] std::wstring CommonAppDataFolder();

// Writes "<common app data>\Velmora\vlm_<version>_<stamp>.html" (UTF-8, no byte-order
// mark) for the problems, stamped with the local time now. The report folder is not
// created here: the installer makes it. False, with nothing written, when the base
// folder is unknown or the file cannot be written (for example a missing report
// folder); baseFolder is set as soon as it is known, reportPath only on success.
[[nodiscard]] bool WriteScanReportFile(const std::wstring& productVersion, const std::wstring& releaseDate,
                                       const CErrorListEx& problems, std::wstring& baseFolder,
                                       std::wstring& reportPath);

// Opens the report folder in the shell; failures are ignored.
void OpenReportFolderInShell();
