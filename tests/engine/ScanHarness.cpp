#include "ScanHarness.h"

#include "engine/EngineMessages.h"
#include "framework/Handles.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>

namespace {

// Removes a scratch folder and everything below it. Works on long paths ("\\?\"),
// removes links without following them, and refuses anything that is not an
// absolute path of a Velmora scratch folder.
void DeleteTree(const std::wstring& path)
{
    if (path.size() < 4 || path[1] != L':' || path[2] != L'\\' || path.find(L"\\Velmora") == std::wstring::npos)
        return;
    const std::wstring longPath = L"\\\\?\\" + path;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((longPath + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (folder && !link) {
                DeleteTree(child);
            } else if (folder) {
                ::RemoveDirectoryW((L"\\\\?\\" + child).c_str());
            } else {
                ::SetFileAttributesW((L"\\\\?\\" + child).c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW((L"\\\\?\\" + child).c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(longPath.c_str());
}

}  // namespace

std::vector<ReceivedMessage> ScanRun::WithoutItems() const
{
    std::vector<ReceivedMessage> out;
    std::copy_if(messages.begin(), messages.end(), std::back_inserter(out),
                 [](const ReceivedMessage& m) { return m.message != WM_SCAN_ITEM; });
    return out;
}

std::vector<std::wstring> ScanRun::ItemTexts() const
{
    std::vector<std::wstring> out;
    for (const ReceivedMessage& m : messages)
        if (m.message == WM_SCAN_ITEM)
            out.push_back(m.text);
    return out;
}

std::vector<CError> ScanRun::Matching(const std::wstring& marker) const
{
    std::vector<CError> out;
    for (const CError& e : problems)
        if (e.Subject.find(marker) != std::wstring::npos || e.Item.SubKey.find(marker) != std::wstring::npos ||
            e.Item.ValueName.find(marker) != std::wstring::npos)
            out.push_back(e);
    return out;
}

CRegistryScanThread::Selection Sections(std::initializer_list<int> sections)
{
    CRegistryScanThread::Selection selection{};
    for (int s : sections)
        selection[static_cast<std::size_t>(s)] = 1;
    return selection;
}

void RunScan(const CRegistryScanThread::Selection& sections, ScanRun& run, const CRegistryItemListEx* repaired)
{
    CMessageSink sink(&CarriesText);
    ScanTarget target{&run.problems, &run.counters, repaired, sink.Target()};
    target.itemIntervalMs = 0;  // every item, so tests can check each text
    CRegistryScanThread thread(sections, target);
    if (!thread.Start())
        return;
    sink.PumpUntilEnded(thread.GetThreadHandle());
    run.messages = std::move(sink.messages);
}

// --- registry sandbox ---------------------------------------------------------------

RegistrySandbox::~RegistrySandbox()
{
    for (const Value& v : m_values) {
        UniqueHKey key;
        if (::RegOpenKeyExW(v.root, v.key.c_str(), 0, KEY_WRITE, key.put()) == ERROR_SUCCESS)
            ::RegDeleteValueW(key.get(), v.name.c_str());
    }
    for (auto it = m_createdKeys.rbegin(); it != m_createdKeys.rend(); ++it)
        ::RegDeleteTreeW(it->first, it->second.c_str()), ::RegDeleteKeyW(it->first, it->second.c_str());
}

void RegistrySandbox::Track(HKEY root, const std::wstring& key)
{
    // Remember the topmost missing ancestor so that removing it removes the whole plant.
    std::size_t position = 0;
    for (;;) {
        const std::size_t slash = key.find(L'\\', position);
        const std::wstring prefix = key.substr(0, slash);
        UniqueHKey probe;
        if (::RegOpenKeyExW(root, prefix.c_str(), 0, KEY_READ, probe.put()) != ERROR_SUCCESS) {
            m_createdKeys.emplace_back(root, prefix);
            return;
        }
        if (slash == std::wstring::npos)
            return;
        position = slash + 1;
    }
}

void RegistrySandbox::SetRaw(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                             const void* data, DWORD size)
{
    Track(root, key);
    UniqueHKey handle;
    ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.put(), nullptr);
    ::RegSetValueExW(handle.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    m_values.push_back({root, key, name});
}

void RegistrySandbox::SetString(HKEY root, const std::wstring& key, const std::wstring& name,
                                const std::wstring& data, DWORD type)
{
    SetRaw(root, key, name, type, data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void RegistrySandbox::SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value)
{
    SetRaw(root, key, name, REG_DWORD, &value, sizeof value);
}

void RegistrySandbox::CreateKey(HKEY root, const std::wstring& key)
{
    Track(root, key);
    UniqueHKey handle;
    ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.put(), nullptr);
}

// --- files ----------------------------------------------------------------------------

ScratchFolder::ScratchFolder(const std::wstring& parent, const std::wstring& name) : m_path(parent + L"\\" + name)
{
    DeleteTree(m_path);
    ::CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { DeleteTree(m_path); }

std::wstring ScratchFolder::AddFolder(const std::wstring& relative)
{
    const std::wstring full = m_path + L"\\" + relative;
    ::SHCreateDirectoryExW(nullptr, full.c_str(), nullptr);
    return full;
}

std::wstring ScratchFolder::AddFile(const std::wstring& relative, const std::string& content)
{
    const std::wstring full = m_path + L"\\" + relative;
    const std::size_t slash = full.rfind(L'\\');
    ::SHCreateDirectoryExW(nullptr, full.substr(0, slash).c_str(), nullptr);
    UniqueHandle file(::CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    DWORD written = 0;
    if (file)
        ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    return full;
}

bool CreateShortcut(const std::wstring& linkPath, const std::wstring& target)
{
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())))
        return false;
    if (FAILED(link->SetPath(target.c_str())))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(file)))
        return false;
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

std::wstring TempFolder()
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetTempPathW(MAX_PATH, buffer);
    std::wstring path(buffer, length);
    if (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return path;
}
