#pragma once
// Splits one path text into drive, directory, file name and extension, the way the
// C runtime's path splitter does, written portably so both builds agree.

#include <string>

class CPath {
public:
    explicit CPath(std::wstring text);
    virtual ~CPath() = default;
    CPath(const CPath&) = default;
    CPath& operator=(const CPath&) = default;

    // Drive + Directory + FileName + ("." + Extension when there is one); cached.
    const std::wstring& FullPath();

    std::wstring Text;
    std::wstring Drive;      // at most two characters, e.g. "C:"
    std::wstring Directory;  // up to and with its last separator; every "/" turned into "\"
    std::wstring FileName;   // without the extension
    std::wstring Extension;  // without periods
    bool IsRelative = false;

private:
    std::wstring m_fullPath;
};
