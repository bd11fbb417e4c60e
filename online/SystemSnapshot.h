#pragma once
// The system snapshot sent with a log: running programs with their size and MD5, the
// Run keys of the machine and of the user, the browser helper objects.

#include "core/SnapshotText.h"

#include <string>

// Below HKEY_LOCAL_MACHINE: one subkey per browser helper object, named by its class id.
inline constexpr wchar_t kBrowserHelperObjectsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";

// Size and digest of a program file, read in blocks; a file that cannot be read keeps
// its path with the size it could get (or -1) and an empty digest.
[[nodiscard]] SnapshotProcess ProgramFileFacts(const std::wstring& path);

// The plain form; marked receives the marked form. Both start empty.
[[nodiscard]] std::wstring BuildSnapshot(std::wstring& marked);
