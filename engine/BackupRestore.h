#pragma once
// Listing, playing back and deleting the backups a repair writes: the backup file of
// registry lines and the ".files" folder of removed files beside it.

#include <string>
#include <vector>

// The "*.dat" files directly in folder (no subfolders, no folders), newest first by
// the time and sequence in their names (names of another form last). Empty when the
// folder is missing.
[[nodiscard]] std::vector<std::wstring> FindBackupFiles(const std::wstring& folder);

// How a restore ended.
enum class RestoreOutcome {
    Restored,       // everything the backup holds is in place again
    NewerDataKept,  // everything else is in place, but where some entries belong other data
                    // now stands; it was left alone, so the backup still holds their only copy
    Failed,         // the backup could not be read, or something could not be checked or written
};

// Brings back what the backup recorded, and only what is missing, so newer data is
// never overwritten. The whole backup (its lines, and the listing of its ".files"
// folder with every stored copy) is read and checked before anything is written; a
// malformed line or listing, a line naming a key, value or data with a NUL or an
// unknown hive, a stored copy that is missing, or a backup reached through a link
// restores nothing (Failed). Then, in file order:
// - a value line writes the value as the type its line names (REG_DWORD from the
//   decimal data, REG_EXPAND_SZ as REG_EXPAND_SZ, any other name as REG_SZ); when a
//   value of that name exists, it counts as restored only with that same type and the
//   same bytes, and is left alone either way;
// - a key line creates the key (an existing one is left as it is);
// - lines of another action are passed over;
// - each kept file is copied back to its original path (missing folders created); when
//   something exists there it counts as restored only if it is a file with the same
//   bytes, and is left alone either way; a path whose parent chain holds a link or
//   junction is not restored (Failed).
// The backup itself is never changed. Later entries are still written after one that
// failed. Unless the outcome is Failed, the repaired-items file (repairedItemsPath) is
// then deleted so the next scan reports the restored items again; a Failed restore
// leaves it alone.
[[nodiscard]] RestoreOutcome RestoreBackupFile(const std::wstring& backupPath, const std::wstring& repairedItemsPath);

// Deletes the backup file and its ".files" folder with what it holds. Nothing is
// deleted through a link: a backup file, folder or kept copy that is a link or
// junction is left, and so is anything that will not go. True when nothing remains.
[[nodiscard]] bool DeleteBackupFiles(const std::wstring& backupPath);
