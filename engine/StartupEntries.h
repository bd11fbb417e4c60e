#pragma once
// The programs started with Windows through the Run keys, as the startup manager lists
// them, and the removal of one of them. A removed entry always has a way back: its line
// is written and flushed to a new backup file (the repair's format and folder, so the
// restore window offers it like a repair) before the value is deleted.

#include "core/RegistryItem.h"

#include <cstddef>
#include <string>

inline constexpr wchar_t kStartupRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The value under HKEY_LOCAL_MACHINE's Run key that starts this program with Windows.
inline constexpr wchar_t kProgramRunValue[] = L"Velmora";

// That value's data: the program's path, quoted, since Windows runs it as a command line
// and a program folder may have blanks in its name.
[[nodiscard]] std::wstring ProgramRunCommand();

// The values of the Run key of HKEY_CURRENT_USER, then of HKEY_LOCAL_MACHINE, each in
// the registry's enumeration order, with their type and their data as text; values
// whose data exceeds 1023 characters are left out.
[[nodiscard]] CRegistryItemListEx ReadStartupEntries();

enum class StartupRemoval {
    Removed,
    // The entry now at that position is not the one shown (or there is none): nothing
    // was removed.
    NotPresent,
    // Its backup line could not be written or could not bring it back: nothing was removed.
    NoBackup,
    // The deletion failed and the value is still there; its backup file is not kept.
    StillPresent,
};

class CStartupEntries {
public:
    // backupFolder: where the repairs keep their backups (created when missing).
    explicit CStartupEntries(std::wstring backupFolder) : m_backupFolder(std::move(backupFolder)) {}

    // Reads the entries again and removes the one at `position` only when it has the
    // root, key and value name of `shown`.
    [[nodiscard]] StartupRemoval Remove(std::size_t position, const CRegistryItem& shown) const;

private:
    std::wstring m_backupFolder;
};
