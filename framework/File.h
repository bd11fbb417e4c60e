#pragma once
// Whole-file reads and writes, and folder enumeration. Every function reports
// failure through its result and never throws.

#include "framework/Handles.h"

#include <string>
#include <string_view>

class CFile {
public:
    // Reads the whole file. False when it cannot be opened or read.
    [[nodiscard]] static bool ReadAll(const std::wstring& path, std::string& bytes);
    // Creates or truncates the file and writes the bytes.
    [[nodiscard]] static bool WriteAll(const std::wstring& path, std::string_view bytes);
    // Opens the file (creating it when missing) and writes the bytes at its end, flushed.
    [[nodiscard]] static bool Append(const std::wstring& path, std::string_view bytes);
    // Writes a temporary file in the same folder and moves it over the target, so a
    // crash or a full disk leaves either the old or the new file, never a truncated one.
    [[nodiscard]] static bool ReplaceAtomically(const std::wstring& path, std::string_view bytes);
};

// Enumerates the entries of one folder that match a mask ("C:\dir\*.dat").
class CFileFind {
public:
    // Starts a search; true when at least one entry matched. The first entry is current.
    [[nodiscard]] bool FindFile(const std::wstring& maskPath);
    // Moves to the next entry; false at the end.
    [[nodiscard]] bool FindNextFile();
    void Close() { m_find.reset(); }

    [[nodiscard]] std::wstring GetFileName() const { return m_data.cFileName; }
    [[nodiscard]] std::wstring GetFilePath() const { return m_folder + m_data.cFileName; }
    [[nodiscard]] bool IsDirectory() const { return (m_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    [[nodiscard]] bool IsReparsePoint() const { return (m_data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    [[nodiscard]] bool IsDots() const;
    [[nodiscard]] const WIN32_FIND_DATAW& Data() const { return m_data; }

private:
    UniqueFindHandle m_find;
    WIN32_FIND_DATAW m_data{};
    std::wstring m_folder;  // the mask's folder, with its trailing separator
};
