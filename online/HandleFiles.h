#pragma once
// Files and folders reached through open handles rather than through names. A folder
// is opened without following a link, listed from its handle, and each entry is opened
// relative to that handle and deleted through its own handle, so a junction put in place
// of a checked folder, anywhere along its path, cannot send a deletion elsewhere.

#include "framework/Handles.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A file or folder as the volume knows it, whatever name reaches it.
struct FileIdentity {
    DWORD volumeSerial = 0;
    std::uint64_t fileIndex = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct FileFacts {
    FileIdentity identity;
    DWORD attributes = 0;
    [[nodiscard]] bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    [[nodiscard]] bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

// Opens an existing file or folder; a link or junction is opened itself, never its target.
[[nodiscard]] UniqueHandle OpenWithoutFollowing(const std::wstring& path, DWORD access, DWORD share);
// The same for the entry called name inside the open folder.
[[nodiscard]] UniqueHandle OpenEntryWithoutFollowing(HANDLE folder, const std::wstring& name, DWORD access,
                                                     DWORD share);

[[nodiscard]] std::optional<FileFacts> FactsOf(HANDLE file);
// Where the open file really is, as "C:\..." (or "\\server\share\..."); empty on failure.
[[nodiscard]] std::wstring FinalPathOf(HANDLE file);

struct FolderEntry {
    std::wstring name;
    DWORD attributes = 0;
};
// The entries of the open folder, "." and ".." left out; nothing when it cannot be
// listed. Listing stops after maxEntries + 1 entries: more than maxEntries means the
// folder holds more.
[[nodiscard]] std::optional<std::vector<FolderEntry>> ListFolder(HANDLE folder, std::size_t maxEntries);

// Marks the open file or empty folder for deletion; it goes when its last handle closes.
// The handle must have been opened with DELETE access.
[[nodiscard]] bool DeleteThroughHandle(HANDLE file);
