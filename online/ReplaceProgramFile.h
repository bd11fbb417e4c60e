#pragma once
// Puts a downloaded program file in the place of the program: the program file is moved
// aside to "<name>.bak" in its folder (a running program may be renamed, not
// overwritten), the new file moved into its place, and the ".bak" file deleted when it
// can be (it cannot while the old program still runs; the restart helper deletes it).
// An older ".bak" file is deleted first. When the new file cannot be moved into place the
// program file is moved back, so the program stays startable.

#include <string>

// True when the new file is in place. delayed: the moves happen at the next reboot.
[[nodiscard]] bool ReplaceProgramFile(const std::wstring& programPath, const std::wstring& newFile, bool delayed);
// "<programPath>.bak".
[[nodiscard]] std::wstring ProgramBackupPath(const std::wstring& programPath);
