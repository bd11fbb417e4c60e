#include "engine/LinkGuard.h"

#include <windows.h>

bool IsLinkOrUnreadable(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    }
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool NoneIsLink(std::initializer_list<std::wstring> paths)
{
    for (const std::wstring& path : paths)
        if (IsLinkOrUnreadable(path))
            return false;
    return true;
}

bool ParentChainHoldsLink(const std::wstring& path)
{
    const std::size_t last = path.rfind(L'\\');
    if (last == std::wstring::npos)
        return false;
    for (std::size_t slash = path.find(L'\\', 3); slash != std::wstring::npos && slash <= last;
         slash = path.find(L'\\', slash + 1))
        if (IsLinkOrUnreadable(path.substr(0, slash)))
            return true;
    return false;
}

bool EnsureRealFolder(const std::wstring& folder)
{
    if (IsLinkOrUnreadable(folder))
        return false;
    ::CreateDirectoryW(folder.c_str(), nullptr);  // an existing folder is what we want
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}
