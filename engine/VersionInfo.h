#pragma once
// Strings of a program file's version resource, in the language and code page of the
// last entry of its translation table.

#include <string>
#include <vector>

class CVersionInfo {
public:
    // Reads the version resource of the file; an unreadable file or one without a
    // version resource leaves the object empty.
    explicit CVersionInfo(const std::wstring& filePath);

    // The named string ("ProductVersion", "ReleaseDate"...); kMissing when the file has
    // no version resource or the string is not in it.
    [[nodiscard]] std::wstring GetString(const std::wstring& name) const;

    static constexpr const wchar_t* kMissing = L"<no version info found>";

private:
    std::vector<unsigned char> m_data;
};
