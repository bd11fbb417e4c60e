#pragma once
// One registry backup being written: the "YYYYMMDD_HHMM.dat" file of backup lines
// (core/BackupFile.h) and, created when the first file is kept, the ".files" folder
// beside it holding the copies of removed files and their listing.
//
// Failure contract: every Append/Preserve call either returns true with its line (and
// copy) written and flushed to disk, or returns false. On false the caller must not
// remove that entry or file. An entry refused because its line could not bring it back
// leaves the writer usable; once a write to disk has failed, a half-written line may
// sit at the end of a file, so every later call returns false (Failed() tells).

#include "core/CalendarTime.h"
#include "core/RegistryItem.h"
#include "framework/Handles.h"

#include <cstdint>
#include <optional>
#include <string>

class CBackupWriter {
public:
    // Creates a new, empty backup file in folder (the folder is created when missing, and
    // it and the ".files" folder get an access list for SYSTEM and Administrators alone),
    // named after the minute of time. A name taken by an earlier backup of the same
    // minute (its file or its ".files" folder) is never reused: "_2", "_3"... follow.
    // Nothing when the folder or the new file is a link or junction, or no file could
    // be created.
    [[nodiscard]] static std::optional<CBackupWriter> Create(const std::wstring& folder, const CalendarTime& time);
    // The same, named after the current local time.
    [[nodiscard]] static std::optional<CBackupWriter> Create(const std::wstring& folder);

    CBackupWriter(CBackupWriter&&) noexcept = default;
    CBackupWriter& operator=(CBackupWriter&&) noexcept = default;

    // Appends the backup line for the entry (action RestoreValue or RestoreKey) and
    // flushes it. False when the line would not bring the entry back exactly
    // (BackupLineRoundTrips), or when it could not be written.
    [[nodiscard]] bool AppendRegistryEntry(std::int32_t action, const CRegistryItem& item);

    // Copies the file, byte for byte, into the ".files" folder and appends its listing
    // line (stored copy's name, original path), both flushed. The original is left in
    // place: the caller deletes it after true. False when the file cannot be read, is a
    // link or a folder, its path cannot be listed, or the copy or line cannot be written.
    [[nodiscard]] bool PreserveFile(const std::wstring& path);
    // The same for a file the caller holds open for reading (the copy is read from the
    // handle, from its start), kept under path.
    [[nodiscard]] bool PreserveOpenFile(HANDLE file, const std::wstring& path);

    // Writes text as a new file called fileName in the ".files" folder (UTF-16LE with a
    // byte-order mark, so a text editor reads it), flushed; the restore passes it over
    // and deleting the backup deletes it. Its full path; empty when it could not be
    // written.
    [[nodiscard]] std::wstring SaveText(const std::wstring& fileName, const std::wstring& text);

    // True once a write to disk has failed.
    [[nodiscard]] bool Failed() const { return m_failed; }

    // Full path of the backup file.
    [[nodiscard]] const std::wstring& Path() const { return m_path; }

private:
    CBackupWriter(std::wstring path, UniqueHandle file);
    [[nodiscard]] bool OpenListing();

    std::wstring m_path;
    UniqueHandle m_file;     // the backup file, open for appending since its creation
    UniqueHandle m_listing;  // the ".files" listing, open once the first file is kept
    int m_preserved = 0;     // copies made so far; numbers the next copy's name
    bool m_failed = false;
};

// Copies a file held open for reading, from its start, to a new file at target (never
// over an existing one) and flushes it. False, with no target file left behind, when
// anything fails.
[[nodiscard]] bool CopyOpenFileToNewFile(HANDLE source, const std::wstring& target);
// Copies the file source in the same way, the target created relative to its folder's
// handle and the folders on the way opened (missing ones created) without following a
// link (OpenFolderByHandles).
[[nodiscard]] bool CopyToNewFileByHandles(const std::wstring& source, const std::wstring& target);
// Copies the whole of source, from its start, into the open file out, flushed.
[[nodiscard]] bool CopyIntoOpenFile(HANDLE source, HANDLE out);
