#pragma once
// Listing and playing back the registry backups a repair writes.

#include <string>
#include <vector>

// The "*.dat" files directly in folder (no subfolders, no folders), newest first by
// the time and sequence in their names (names of another form last). Empty when the
// folder is missing.
[[nodiscard]] std::vector<std::wstring> FindBackupFiles(const std::wstring& folder);

// Writes every line of the backup file back into the registry, in file order: a
// value line as a value of the type its line names (REG_DWORD from the decimal data,
// REG_EXPAND_SZ as REG_EXPAND_SZ, any other name as REG_SZ), a key line as a created
// key; lines of another action are passed over. The backup file is never changed.
// Returns true only when the whole file was restored; then the repaired-items file
// (repairedItemsPath) is deleted so the next scan reports the restored items again.
// On failure (the file cannot be read, a line with fewer than six fields, a registry
// write that fails, the repaired-items file that cannot be deleted) it returns false
// and leaves the repaired-items file alone; lines before a malformed line stay
// written, the rest is not, and later lines are still written after a failed write.
[[nodiscard]] bool RestoreBackupFile(const std::wstring& backupPath, const std::wstring& repairedItemsPath);
