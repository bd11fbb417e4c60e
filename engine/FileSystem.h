#pragma once
// Path and file functions over the Windows API. None throws.

#include <windows.h>

#include <cstdint>
#include <string>

// ExpandEnvironmentStringsW into a 1024-character buffer (a longer result is left
// unexpanded: the text comes back as given).
[[nodiscard]] std::wstring ExpandEnv(const std::wstring& text);

// GetFullPathNameW: "." and ".." resolved, "/" made "\\", the current folder or drive
// filled in; empty when it fails.
[[nodiscard]] std::wstring GetFullPath(const std::wstring& path);

// False only when Windows says the path (file or folder) does not exist: file or path
// not found, an invalid name or drive. Any other failure (access denied, a device that
// is not ready, an unreachable share) counts as present, since an unknown answer must
// never make a problem. "*" and "?" are taken literally, never as a pattern. Paths of
// 260 characters or more are looked up through their long-path form ("\\?\").
[[nodiscard]] bool FileExists(const std::wstring& path);
// Whether a GetFileAttributesExW error code means the path does not exist.
[[nodiscard]] bool IsNotFoundError(DWORD error);

// Makes every lookup of FileExists fail with the error while alive (tests only: no
// file system offers a reliable access-denied path under Wine). One at a time.
class CFileLookupErrorOverride {
public:
    explicit CFileLookupErrorOverride(DWORD error);
    ~CFileLookupErrorOverride();
    CFileLookupErrorOverride(const CFileLookupErrorOverride&) = delete;
    CFileLookupErrorOverride& operator=(const CFileLookupErrorOverride&) = delete;
};

// Full path of the running program, and its folder without a trailing backslash.
[[nodiscard]] std::wstring GetModulePath();
[[nodiscard]] std::wstring GetModuleFolder();
// The text after the last backslash; the whole text when there is none.
[[nodiscard]] std::wstring GetFileNamePart(const std::wstring& path);
// Length in bytes of the file opened for reading; -1 when it cannot be opened.
[[nodiscard]] std::int64_t GetFileLength(const std::wstring& path);
