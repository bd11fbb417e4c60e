#pragma once
// The repaired-items list kept in "log.dat" in the "Velmora" folder of %APPDATA%:
// registry items a repair has "fixed" by listing them, which later scans skip.

#include "core/RegistryItem.h"

#include <string>

class CRepairedItems : public CRegistryItemListEx {
public:
    // The folder "%APPDATA%\Velmora" (expanded) and the file in it.
    [[nodiscard]] static std::wstring FolderPath();
    [[nodiscard]] static std::wstring FilePath();

    // Empties the list, creates the folder when missing, then reads "log.dat". A missing
    // file leaves the list empty (true); a malformed record is skipped and the rest
    // kept; a leading byte-order mark is accepted. False when the file exists but
    // cannot be read (the list stays empty).
    bool Load();

    // Rewrites "log.dat" whole with every item's line (UTF-16LE, no byte-order mark),
    // creating the folder when missing. The new content replaces the old in one move,
    // so a failed write leaves the previous file. False when it cannot be written, or
    // when the folder or the file is a link or junction (nothing is written then).
    [[nodiscard]] bool Save() const;
};
