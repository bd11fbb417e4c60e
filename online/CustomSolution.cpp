#include "online/CustomSolution.h"

#include "core/BackupFile.h"
#include "core/SolutionCommands.h"
#include "core/TextSplit.h"
#include "engine/FileSystem.h"
#include "engine/Registry.h"
#include "framework/Handles.h"
#include "online/SystemSnapshot.h"

#include <windows.h>
#include <tlhelp32.h>

#include <optional>
#include <vector>

namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";
// Larger values are not read for a backup line (and so are never removed).
constexpr DWORD kMaxBackupValueBytes = 64 * 1024;

// The three hives a solution may name, by their exact names.
std::optional<RootKey> SolutionHive(const std::wstring& hive)
{
    if (hive == L"HKEY_CURRENT_USER")
        return kRootCurrentUser;
    if (hive == L"HKEY_LOCAL_MACHINE")
        return kRootLocalMachine;
    if (hive == L"HKEY_USERS")
        return kRootUsers;
    return std::nullopt;
}

std::vector<std::pair<DWORD, std::wstring>> RunningProcesses()
{
    std::vector<std::pair<DWORD, std::wstring>> processes;
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        processes.emplace_back(entry.th32ProcessID, entry.szExeFile);
    return processes;
}

bool ValueExists(RootKey root, const std::wstring& keyPath, const std::wstring& valueName)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(RootToHKey(root), keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    return ::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// The value as a backup line carries it; nothing when that line could not bring it back
// byte for byte (the value then stays).
std::optional<CRegistryItem> ReadValueEntry(HKEY key, RootKey root, const std::wstring& keyPath,
                                            const std::wstring& valueName)
{
    const ExactValue value = RegReadExactValue(key, valueName, kMaxBackupValueBytes);
    if (!value.text)
        return std::nullopt;
    return RegistryItemAt(root, keyPath, valueName, *value.text, value.type);
}

// A drive root, or a folder holding the program, its files and the backups a solution
// writes while it removes: emptying it would take the way back with it.
bool HoldsThisProgram(const std::wstring& folder)
{
    std::wstring trimmed = folder;
    while (!trimmed.empty() && (trimmed.back() == L'\\' || trimmed.back() == L'/'))
        trimmed.pop_back();
    if (trimmed.size() <= 2)
        return true;
    const std::wstring program = GetModuleFolder() + L"\\";
    const std::wstring prefix = trimmed + L"\\";
    return program.size() >= prefix.size() &&
           ::CompareStringOrdinal(program.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                  static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

class CActionRunner {
public:
    explicit CActionRunner(ISolutionBackup& backup) : m_backup(backup) {}

    void Run(const std::vector<std::wstring>& fields)
    {
        if (fields.size() < 2)
            return;
        switch (static_cast<SolutionAction>(ParseDecimal(fields[0]))) {
        case SolutionAction::KillProcess:
            if (fields.size() >= 3)
                KillProcess(static_cast<DWORD>(ParseDecimal(fields[1])), fields[2]);
            break;
        case SolutionAction::RemoveFile:
            RemoveFile(fields[1]);
            break;
        case SolutionAction::RemoveFolder:
            RemoveFolder(fields[1]);
            break;
        case SolutionAction::RemoveRegistryValue:
            if (fields.size() >= 4)
                RemoveRegistryValue({fields[1], fields[2], fields[3]});
            break;
        case SolutionAction::RemoveDll:
            RemoveDll(fields[1]);
            break;
        case SolutionAction::RemoveBho:
            RemoveBho(fields[1]);
            break;
        }
    }

    [[nodiscard]] const std::wstring& Report() const { return m_report; }

private:
    void KillProcess(DWORD processId, const std::wstring& executable)
    {
        bool killed = false;
        if (processId != ::GetCurrentProcessId()) {
            UniqueHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
            DWORD exitCode = 0;
            killed = process && ::GetExitCodeProcess(process.get(), &exitCode) &&
                     ::TerminateProcess(process.get(), exitCode);
        }
        m_report += L"Process = " + executable + (killed ? L" has been killed" : L" was not killed") + kLineEnd;
    }

    // A copy first; a file that could not be kept is not deleted.
    bool DeletePreservedFile(const std::wstring& path)
    {
        return m_backup.PreserveFile(path) && ::DeleteFileW(path.c_str());
    }

    void RemoveFile(const std::wstring& path)
    {
        const bool deleted = DeletePreservedFile(path);
        m_report += L"File = " + path + (deleted ? L" has been deleted" : L" was not deleted") + kLineEnd;
    }

    void ReportFolderEntry(const std::wstring& path, bool removed)
    {
        m_report += (removed ? L"Folder deleted: " : L"Folder was not deleted: ") + path + kLineEnd;
    }

    void RemoveFolder(const std::wstring& folder)
    {
        // A folder that is itself a link goes as a link, like one met inside a folder.
        const DWORD attributes = ::GetFileAttributesW(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            RemoveFolderContent(folder);
        ReportFolderEntry(folder, ::RemoveDirectoryW(folder.c_str()) != FALSE);
    }

    void RemoveFolderContent(const std::wstring& folder)
    {
        const std::wstring prefix = folder.empty() || folder.back() != L'\\' ? folder + L"\\" : folder;
        WIN32_FIND_DATAW found{};
        UniqueFindHandle search(::FindFirstFileW((prefix + L"*.*").c_str(), &found));
        if (!search)
            return;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = prefix + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                // A junction or directory link is removed as a link: what it points to
                // is not this folder's content.
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    RemoveFolderContent(path);
                ReportFolderEntry(path, ::RemoveDirectoryW(path.c_str()) != FALSE);
            } else {
                ReportFolderEntry(path, DeletePreservedFile(path));
            }
        } while (::FindNextFileW(search.get(), &found));
    }

    void RemoveRegistryValue(const RegistryValueArgument& value)
    {
        bool deleted = false;
        if (const auto root = SolutionHive(value.hive)) {
            UniqueHKey key;
            if (::RegOpenKeyExW(RootToHKey(*root), value.keyPath.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
                const auto entry = ReadValueEntry(key.get(), *root, value.keyPath, value.valueName);
                deleted = entry && m_backup.SaveRegistryEntry(RestoreValue, *entry) &&
                          RegDeleteValueAt(RootToHKey(*root), value.keyPath, value.valueName);
            }
        }
        const std::wstring where = value.hive + L"\\" + value.keyPath + L" /" + value.valueName;
        m_report += deleted ? L"Registry Item = " + where + L" has been deleted" + kLineEnd
                            : L"Registry Item =  " + where + L" was not deleted" + kLineEnd;
    }

    void RemoveDll(const std::wstring& path)
    {
        if (path.empty())
            return;
        if (!m_backup.PreserveFile(path)) {
            m_report += L"Dll = " + path + L" was not deleted." + kLineEnd;
            return;
        }
        if (!Unregister(path))
            m_report += L"Dll = " + path + L" could not be unregistered because it was not registered." + kLineEnd;
        m_report += L"Dll = " + path + (::DeleteFileW(path.c_str()) ? L" has been deleted." : L" was not deleted.") +
                    kLineEnd;
    }

    static bool Unregister(const std::wstring& path)
    {
        UniqueModule library(::LoadLibraryW(path.c_str()));
        if (!library)
            return false;
        using Unregistration = HRESULT(STDAPICALLTYPE*)();
        const auto unregister = reinterpret_cast<Unregistration>(
            reinterpret_cast<void*>(::GetProcAddress(library.get(), "DllUnregisterServer")));
        return unregister && SUCCEEDED(unregister());
    }

    void RemoveBho(const std::wstring& classId)
    {
        const std::wstring server = RegReadString(HKEY_CLASSES_ROOT, L"CLSID\\" + classId + L"\\InprocServer32", L"");
        if (!server.empty())
            RemoveDll(server);
        UniqueHKey parent;
        const LONG opened =
            ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBrowserHelperObjectsKey, 0, KEY_ALL_ACCESS, parent.put());
        if (opened != ERROR_SUCCESS)
            return;
        const bool removed =
            BackUpHelperObjectKey(classId) && ::RegDeleteKeyW(parent.get(), classId.c_str()) == ERROR_SUCCESS;
        m_report += L"BHO = " + classId + (removed ? L" has been removed" : L" was not removed") + kLineEnd;
    }

    // The key and each of its values; a key with subkeys is not deleted, so they need none.
    bool BackUpHelperObjectKey(const std::wstring& classId)
    {
        const std::wstring keyPath = std::wstring(kBrowserHelperObjectsKey) + L"\\" + classId;
        UniqueHKey key;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
            return false;
        if (!m_backup.SaveRegistryEntry(RestoreKey, RegistryItemAt(kRootLocalMachine, keyPath)))
            return false;
        for (DWORD index = 0;; ++index) {
            std::vector<wchar_t> name(kRegNameChars);
            DWORD length = kRegNameChars;
            const LONG status =
                ::RegEnumValueW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS)
                return true;
            if (status != ERROR_SUCCESS)
                return false;
            const auto entry = ReadValueEntry(key.get(), kRootLocalMachine, keyPath, std::wstring(name.data(), length));
            if (!entry || !m_backup.SaveRegistryEntry(RestoreValue, *entry))
                return false;
        }
    }

    ISolutionBackup& m_backup;
    std::wstring m_report;
};

}  // namespace

void CCustomSolution::Parse(const std::wstring& commands)
{
    m_actions.SetSize(0);
    m_parsed = false;
    for (const SolutionCommand& command : SplitSolutionCommands(commands)) {
        switch (command.action) {
        case SolutionAction::KillProcess:
            for (const auto& [processId, executable] : RunningProcesses()) {
                // Never this program: its own end would leave the solution half done.
                if (processId != 0 && processId != ::GetCurrentProcessId() && executable == command.argument)
                    m_actions.Add(KillProcessLine(processId, executable));
            }
            break;
        case SolutionAction::RemoveFolder:
            if (FileExists(command.argument) && !HoldsThisProgram(command.argument))
                m_actions.Add(PathActionLine(command.action, command.argument));
            break;
        case SolutionAction::RemoveFile:
        case SolutionAction::RemoveDll:
            if (FileExists(command.argument))
                m_actions.Add(PathActionLine(command.action, command.argument));
            break;
        case SolutionAction::RemoveRegistryValue:
            if (const auto value = SplitRegistryArgument(command.argument)) {
                const auto root = SolutionHive(value->hive);
                if (root && ValueExists(*root, value->keyPath, value->valueName))
                    m_actions.Add(RegistryValueLine(*value));
            }
            break;
        case SolutionAction::RemoveBho:
            if (RegKeyExists(std::wstring(kBrowserHelperObjectsKey) + L"\\" + command.argument, HKEY_LOCAL_MACHINE))
                m_actions.Add(PathActionLine(command.action, command.argument));
            break;
        }
    }
    m_parsed = true;
}

std::wstring CCustomSolution::Execute(ISolutionBackup& backup)
{
    if (m_actions.IsEmpty())
        return kSolutionStaffMessage;
    CActionRunner runner(backup);
    for (std::ptrdiff_t i = 0; i < m_actions.GetSize(); ++i)
        runner.Run(SplitTokens(m_actions[i], L';'));
    return runner.Report();
}
