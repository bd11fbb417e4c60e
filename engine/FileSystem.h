#pragma once
// Path and file functions over the Windows API. None throws.

#include <windows.h>

#include <cstdint>
#include <string>

// ExpandEnvironmentStringsW into a 1024-character buffer (a longer result is left
// unexpanded: the text comes back as given).
[[nodiscard]] std::wstring ExpandEnv(const std::wstring& text);

// True when FindFirstFileW finds the path (file or folder). Paths of 260 characters
// or more are looked up through their long-path form ("\\?\"), so an existing long
// path is never taken for a missing one.
[[nodiscard]] bool FileExists(const std::wstring& path);

// Full path of the running program, and its folder without a trailing backslash.
[[nodiscard]] std::wstring GetModulePath();
[[nodiscard]] std::wstring GetModuleFolder();
// The text after the last backslash; the whole text when there is none.
[[nodiscard]] std::wstring GetFileNamePart(const std::wstring& path);
// Length in bytes of the file opened for reading; -1 when it cannot be opened.
[[nodiscard]] std::int64_t GetFileLength(const std::wstring& path);
