#pragma once
// Registry backup files: the line a repair writes for each registry entry it removes,
// its reader, the file names ("%Y%m%d_%H%M.dat", with "_2", "_3"... for later repairs
// in the same minute) and the order in which backups are offered for restore.

#include "core/ArrayEx.h"
#include "core/CalendarTime.h"
#include "core/RegistryItem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a backup line asks the restore to do.
enum BackupAction : std::int32_t {
    RestoreValue = 1,  // write the value back
    RestoreKey = 2,    // create the (empty) key
};

struct BackupEntry {
    std::int32_t Action = 0;
    CRegistryItem Item;  // Tag 0; Root from the hive name
};

// "%d::%s::%s::%s::ValueName=%s::%s::;;\r\n" of action, hive name, type name, key
// path, value name and value data. Nothing is escaped.
[[nodiscard]] std::wstring FormatBackupLine(std::int32_t action, const CRegistryItem& item);

// Reads one record cut out at ";;\r\n" (without it). Throws std::invalid_argument when
// it has fewer than six "::" fields. Text after the last "::" is dropped, so data that
// itself contains "::" comes back cut at its first "::".
[[nodiscard]] BackupEntry ParseBackupRecord(std::wstring_view record);

// True when the line written for the item reads back as the same entry: same hive and
// root, type, key path, value name and data. A text holding "::", ";;\r\n" or
// "ValueName=" where the format cannot carry it, a key path, value name or data with a
// NUL (the registry calls would stop at it and reach a different, shorter name), a hive name the restore would not
// map back, or a value type other than REG_SZ, REG_EXPAND_SZ and REG_DWORD fails this
// test, and an entry that fails it must not be removed: its backup could not bring it
// back.
[[nodiscard]] bool BackupLineRoundTrips(std::int32_t action, const CRegistryItem& item);

// The DWORD a restore writes for the data text: decimal, as the C runtime's wide atoi
// reads it, taken modulo 2^32 so every recorded count from 0 to 4294967295 comes back
// exactly ("-1" gives 0xFFFFFFFF, as the C runtime would).
[[nodiscard]] std::uint32_t BackupDwordValue(std::wstring_view text);

// One file a repair kept beside its backup before deleting it: the copy's name inside
// the backup's ".files" folder and the path the file had.
struct PreservedFile {
    std::wstring StoredName;
    std::wstring OriginalPath;
};

// The name of the listing inside a ".files" folder, and its line for one file:
// "<stored name>::<original path>::;;\r\n" (UTF-16LE like every data file).
inline constexpr std::wstring_view kPreservedFilesListing = L"listing.dat";
[[nodiscard]] std::wstring FormatPreservedFileLine(const PreservedFile& file);

// The files a listing text holds, in order. An unterminated last line is dropped: it
// was cut while being written, before its file was deleted. Nothing when any complete
// line is malformed: not exactly two fields, a stored name that is empty, "." or "..",
// or holds a separator, ":" or NUL, or an original path that is not a full path
// ("X:\..." or "\\server\...") or holds a NUL.
[[nodiscard]] std::optional<std::vector<PreservedFile>> ParsePreservedFileListing(std::wstring_view text);

// The ".files" folder that belongs to a backup file: its path with ".dat" (any case)
// replaced by ".files"; another ending gets ".files" appended.
[[nodiscard]] std::wstring PreservedFilesFolder(std::wstring_view backupPath);

// "YYYYMMDD_HHMM.dat" for sequence 1, "YYYYMMDD_HHMM_<n>.dat" for sequence n > 1.
[[nodiscard]] std::wstring BackupFileName(const CalendarTime& time, int sequence);

// The time and sequence a backup file name carries, or nothing for a name of another
// form (any case of ".dat" accepted).
struct BackupNameStamp {
    CalendarTime time;
    int sequence = 1;
};
[[nodiscard]] std::optional<BackupNameStamp> ParseBackupFileName(std::wstring_view fileName);

// Sorts full paths newest first by the time and sequence in their file names; names
// of another form follow, in descending name order. The order does not depend on the
// order the paths came in.
void SortBackupsNewestFirst(std::vector<std::wstring>& paths);
