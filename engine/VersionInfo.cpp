#include "engine/VersionInfo.h"

#include <windows.h>

#include <cwchar>

CVersionInfo::CVersionInfo(const std::wstring& filePath)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(filePath.c_str(), &ignored);
    if (size == 0)
        return;
    m_data.resize(size);
    if (!::GetFileVersionInfoW(filePath.c_str(), 0, size, m_data.data()))
        m_data.clear();
}

std::wstring CVersionInfo::GetString(const std::wstring& name) const
{
    if (m_data.empty())
        return kMissing;
    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* block = nullptr;
    UINT blockBytes = 0;
    // VerQueryValueW takes a non-const block but does not change it.
    void* data = const_cast<unsigned char*>(m_data.data());
    if (!::VerQueryValueW(data, L"\\VarFileInfo\\Translation", &block, &blockBytes) ||
        blockBytes < sizeof(Translation))
        return kMissing;
    const Translation last = static_cast<const Translation*>(block)[blockBytes / sizeof(Translation) - 1];
    wchar_t language[16];
    std::swprintf(language, 16, L"%04x%04x", last.language, last.codePage);
    const std::wstring query = L"\\StringFileInfo\\" + std::wstring(language) + L"\\" + name;
    void* text = nullptr;
    UINT chars = 0;
    if (!::VerQueryValueW(data, query.c_str(), &text, &chars) || text == nullptr)
        return kMissing;
    // The length counts the terminator when there is one; stop at the first NUL anyway.
    const auto* begin = static_cast<const wchar_t*>(text);
    std::size_t length = 0;
    while (length < chars && begin[length] != L'\0')
        ++length;
    return std::wstring(begin, length);
}
