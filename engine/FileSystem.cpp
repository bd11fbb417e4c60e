#include "engine/FileSystem.h"

#include "framework/Handles.h"

#include <atomic>
#include <vector>

namespace {

std::atomic<DWORD> g_lookupErrorOverride{ERROR_SUCCESS};

std::wstring LongPathForm(const std::wstring& path)
{
    if (path.rfind(L"\\\\?\\", 0) == 0)
        return path;
    const std::wstring full = GetFullPath(path);
    if (full.empty())
        return path;
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace

std::wstring ExpandEnv(const std::wstring& text)
{
    wchar_t buffer[1024];
    const DWORD length = ::ExpandEnvironmentStringsW(text.c_str(), buffer, 1024);
    if (length == 0 || length > 1024)
        return text;
    return buffer;
}

std::wstring GetFullPath(const std::wstring& path)
{
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return {};
    std::vector<wchar_t> buffer(needed + 1);
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed + 1, buffer.data(), nullptr);
    if (length == 0 || length > needed)
        return {};
    return std::wstring(buffer.data(), length);
}

bool IsNotFoundError(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
           error == ERROR_INVALID_DRIVE;
}

bool FileExists(const std::wstring& path)
{
    if (const DWORD injected = g_lookupErrorOverride.load(); injected != ERROR_SUCCESS)
        return !IsNotFoundError(injected);
    if (path.empty())
        return false;
    const std::wstring lookup = path.size() >= MAX_PATH ? LongPathForm(path) : path;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (::GetFileAttributesExW(lookup.c_str(), GetFileExInfoStandard, &data))
        return true;
    return !IsNotFoundError(::GetLastError());
}

CFileLookupErrorOverride::CFileLookupErrorOverride(DWORD error) { g_lookupErrorOverride = error; }

CFileLookupErrorOverride::~CFileLookupErrorOverride() { g_lookupErrorOverride = ERROR_SUCCESS; }

std::wstring GetModulePath()
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return std::wstring(buffer, length < MAX_PATH ? length : MAX_PATH - 1);
}

std::wstring GetModuleFolder()
{
    const std::wstring path = GetModulePath();
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(0, slash);
}

std::wstring GetFileNamePart(const std::wstring& path)
{
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::int64_t GetFileLength(const std::wstring& path)
{
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return -1;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size))
        return -1;
    return size.QuadPart;
}
