#pragma once
// Listing, playing back and deleting the backups a repair writes: the backup file of
// registry lines and the ".files" folder of removed files beside it.

#include <string>
#include <vector>

// The "*.dat" files directly in folder (no subfolders, no folders), newest first by
// the time and sequence in their names (names of another form last). Empty when the
// folder is missing.
[[nodiscard]] std::vector<std::wstring> FindBackupFiles(const std::wstring& folder);

// Brings back what the backup recorded, and only what is missing, so newer data is
// never overwritten. The whole backup (its lines, and the listing of its ".files"
// folder with every stored copy) is read and checked before anything is written; a
// malformed line or listing, a line naming a key, value or data with a NUL or an
// unknown hive, a stored copy that is missing, or a backup reached through a link
// restores nothing. Then, in file order:
// - a value line writes the value as the type its line names (REG_DWORD from the
//   decimal data, REG_EXPAND_SZ as REG_EXPAND_SZ, any other name as REG_SZ), unless a
//   value of that name exists (whatever its type and data): that line is left alone
//   and counts as restored;
// - a key line creates the key (an existing one is left as it is);
// - lines of another action are passed over;
// - each kept file is copied back to its original path (missing folders created),
//   unless something exists there: that file is left alone and counts as restored;
//   a path whose parent chain holds a link or junction is not restored (a failure).
// The backup itself is never changed. Returns true only when everything was restored;
// then the repaired-items file (repairedItemsPath) is deleted so the next scan reports
// the restored items again. On failure it returns false and leaves the repaired-items
// file alone; later entries are still written after one that failed.
[[nodiscard]] bool RestoreBackupFile(const std::wstring& backupPath, const std::wstring& repairedItemsPath);

// Deletes the backup file and its ".files" folder with what it holds. Nothing is
// deleted through a link: a backup file, folder or kept copy that is a link or
// junction is left, and so is anything that will not go. True when nothing remains.
[[nodiscard]] bool DeleteBackupFiles(const std::wstring& backupPath);
