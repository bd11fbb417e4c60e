#include "framework/File.h"

#include <cwchar>

namespace {

bool WriteBytes(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

std::wstring FolderOf(const std::wstring& path)
{
    const auto cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

}  // namespace

bool CFile::ReadAll(const std::wstring& path, std::string& bytes)
{
    bytes.clear();
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > 0x40000000)
        return false;  // our data files are small; refuse anything over 1 GiB
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr))
            return false;
        if (read == 0)
            break;
        done += read;
    }
    bytes.resize(done);
    return true;
}

bool CFile::WriteAll(const std::wstring& path, std::string_view bytes)
{
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    return file && WriteBytes(file.get(), bytes);
}

bool CFile::Append(const std::wstring& path, std::string_view bytes)
{
    UniqueHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteBytes(file.get(), bytes) && ::FlushFileBuffers(file.get());
}

bool CFile::ReplaceAtomically(const std::wstring& path, std::string_view bytes)
{
    const std::wstring folder = FolderOf(path);
    wchar_t tempPath[MAX_PATH + 16] = {};
    if (folder.size() >= MAX_PATH - 14 ||
        ::GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"vel", 0, tempPath) == 0)
        return false;
    {
        UniqueHandle file(::CreateFileW(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
        if (!file || !WriteBytes(file.get(), bytes) || !::FlushFileBuffers(file.get())) {
            file.reset();
            ::DeleteFileW(tempPath);
            return false;
        }
    }
    if (!::MoveFileExW(tempPath, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(tempPath);
        return false;
    }
    return true;
}

bool CFileFind::FindFile(const std::wstring& maskPath)
{
    m_folder = FolderOf(maskPath);
    m_find.reset(::FindFirstFileW(maskPath.c_str(), &m_data));
    return static_cast<bool>(m_find);
}

bool CFileFind::FindNextFile()
{
    return m_find && ::FindNextFileW(m_find.get(), &m_data);
}

bool CFileFind::IsDots() const
{
    return std::wcscmp(m_data.cFileName, L".") == 0 || std::wcscmp(m_data.cFileName, L"..") == 0;
}
