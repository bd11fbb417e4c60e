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
#include <string_view>
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

// Opens an existing folder by its absolute path one component at a time, from the top of
// its drive, each relative to the folder above and never through a link: nothing when a
// link, a file or anything that cannot be opened stands anywhere on the way. With
// createMissing, missing folders are created on the way (with the given security, or
// the inherited one when none).
[[nodiscard]] UniqueHandle OpenFolderByHandles(const std::wstring& folder, bool createMissing,
                                               SECURITY_ATTRIBUTES* security = nullptr);

// The folder called name inside the open folder, opened without following a link (and
// created when missing with createMissing, with the given security or the inherited
// one); nothing when it is a link, a file or cannot be opened.
[[nodiscard]] UniqueHandle OpenFolderEntry(HANDLE folder, const std::wstring& name, bool createMissing,
                                           SECURITY_ATTRIBUTES* security = nullptr);

// Creates a new file called name inside the open folder, for writing and deleting;
// nothing when anything of that name, a link included, is there already.
[[nodiscard]] UniqueHandle CreateFileInFolder(HANDLE folder, const std::wstring& name);

// Writes the bytes as the file called name inside the open folder in one move: a new
// file is written and flushed beside it, then renamed over the old one (a link of that
// name is replaced, never followed). A full disk leaves the old file as it was.
[[nodiscard]] bool ReplaceFileInFolder(HANDLE folder, const std::wstring& name, std::string_view bytes);

// Deletes the file called name inside the open folder, itself and never what a link of
// that name points to. True when it is gone (also when it was never there).
[[nodiscard]] bool DeleteFileInFolder(HANDLE folder, const std::wstring& name);

// ReplaceFileInFolder for a full path, its folder opened (and created when missing) by
// OpenFolderByHandles.
[[nodiscard]] bool ReplaceFileByHandles(const std::wstring& path, std::string_view bytes);
// DeleteFileInFolder for a full path; true as well when its folder is missing.
[[nodiscard]] bool DeleteFileByHandles(const std::wstring& path);

// Marks the open file or empty folder for deletion; it goes when its last handle closes.
// The handle must have been opened with DELETE access.
[[nodiscard]] bool DeleteThroughHandle(HANDLE file);
