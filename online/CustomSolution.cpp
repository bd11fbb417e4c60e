#include "online/CustomSolution.h"

#include "core/BackupFile.h"
#include "core/SolutionCommands.h"
#include "core/SolutionPathRules.h"
#include "core/SolutionRegistryRules.h"
#include "core/TextSplit.h"
#include "engine/FileSystem.h"
#include "engine/Registry.h"
#include "framework/Handles.h"
#include "engine/HandleFiles.h"
#include "online/SystemSnapshot.h"

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
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

// Folders are held against renaming and deletion by others while they are emptied.
constexpr DWORD kShareFolder = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kFolderAccess = DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
// A file is held against writers and deletion by others from its copy to its deletion.
constexpr DWORD kShareFile = FILE_SHARE_READ;
constexpr DWORD kFileAccess = GENERIC_READ | DELETE;

std::wstring ImagePathOf(HANDLE process)
{
    std::wstring image(MAX_PATH, L'\0');
    DWORD length = MAX_PATH;
    if (!::QueryFullProcessImageNameW(process, 0, image.data(), &length))
        return {};
    image.resize(length);
    return image;
}

FILETIME CreationTimeOf(HANDLE process)
{
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return {};
    return created;
}

bool SameTime(const FILETIME& left, const FILETIME& right)
{
    return left.dwLowDateTime == right.dwLowDateTime && left.dwHighDateTime == right.dwHighDateTime;
}

bool SameNameIgnoringCase(const std::wstring& left, const wchar_t* right)
{
    return ::CompareStringOrdinal(left.c_str(), -1, right, -1, TRUE) == CSTR_EQUAL;
}

// Names whose values come from the machine's own settings, not from the environment this
// elevated process inherited from the user (who may set any variable, SystemRoot too).
std::optional<std::wstring> MachineVariable(const std::wstring& name)
{
    const auto shellFolder = [](int csidl) -> std::optional<std::wstring> {
        wchar_t folder[MAX_PATH] = {};
        if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder)))
            return std::nullopt;
        return std::wstring(folder);
    };
    wchar_t windows[MAX_PATH] = {};
    const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::nullopt;
    if (SameNameIgnoringCase(name, L"SystemRoot") || SameNameIgnoringCase(name, L"windir"))
        return std::wstring(windows, length);
    if (SameNameIgnoringCase(name, L"SystemDrive"))
        return std::wstring(windows, 2);
    if (SameNameIgnoringCase(name, L"ProgramFiles"))
        return shellFolder(CSIDL_PROGRAM_FILES);
    if (SameNameIgnoringCase(name, L"ProgramFiles(x86)"))
        return shellFolder(CSIDL_PROGRAM_FILESX86);
    if (SameNameIgnoringCase(name, L"CommonProgramFiles"))
        return shellFolder(CSIDL_PROGRAM_FILES_COMMON);
    if (SameNameIgnoringCase(name, L"CommonProgramFiles(x86)"))
        return shellFolder(CSIDL_PROGRAM_FILES_COMMONX86);
    return std::nullopt;
}

struct LibraryPath {
    std::wstring path;
    bool machineOnly = true;  // false once a variable the user sets was expanded in it
};

// A library path from the registry with its variables expanded. The machine's own are
// trusted; any other is expanded from the environment only to find the file, and makes
// the library one a user may have chosen.
LibraryPath ExpandLibraryPath(const std::wstring& text)
{
    LibraryPath library;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t open = text.find(L'%', at);
        const std::size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring::npos) {
            library.path += text.substr(at);
            break;
        }
        library.path += text.substr(at, open - at);
        const std::wstring name = text.substr(open + 1, close - open - 1);
        at = close + 1;
        if (const auto value = name.empty() ? std::nullopt : MachineVariable(name)) {
            library.path += *value;
            continue;
        }
        library.machineOnly = false;
        const DWORD needed = ::GetEnvironmentVariableW(name.c_str(), nullptr, 0);
        std::wstring value(needed, L'\0');
        const DWORD written = needed == 0 ? 0 : ::GetEnvironmentVariableW(name.c_str(), value.data(), needed);
        if (name.empty() || written == 0 || written >= needed) {
            library.path += L"%" + name + L"%";
            continue;
        }
        value.resize(written);
        library.path += value;
    }
    return library;
}

class CActionRunner {
public:
    CActionRunner(const CSolutionPathGuard& guard, ISolutionBackup& backup, const std::vector<KeptProcess>& processes,
                  const std::vector<std::wstring>& userChosenLibraries)
        : m_guard(guard), m_backup(backup), m_processes(processes), m_userChosenLibraries(userChosenLibraries)
    {
    }

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
            RemoveDll(fields[1], true);
            break;
        case SolutionAction::RemoveBho:
            RemoveBho(fields[1], fields.size() >= 3 ? fields[2] : std::wstring());
            break;
        }
    }

    [[nodiscard]] const std::wstring& Report() const { return m_report; }

private:
    // Ended only while it is still the process Parse found: same program file, same start.
    void KillProcess(DWORD processId, const std::wstring& executable)
    {
        bool killed = false;
        for (const KeptProcess& kept : m_processes) {
            if (kept.id != processId || !kept.handle)
                continue;
            DWORD exitCode = 0;
            killed = !kept.image.empty() && SamePath(ImagePathOf(kept.handle.get()), kept.image) &&
                     SameTime(CreationTimeOf(kept.handle.get()), kept.created) &&
                     ::GetExitCodeProcess(kept.handle.get(), &exitCode) && exitCode == STILL_ACTIVE &&
                     ::TerminateProcess(kept.handle.get(), exitCode);
            break;
        }
        m_report += L"Process = " + executable + (killed ? L" has been killed" : L" was not killed") + kLineEnd;
    }

    // The file at its canonical path, opened without following a link and held against
    // writers until it is deleted; empty when it is no longer the file that was checked.
    UniqueHandle OpenCheckedFile(const std::wstring& path)
    {
        UniqueHandle file = OpenWithoutFollowing(path, kFileAccess, kShareFile);
        const auto facts = file ? FactsOf(file.get()) : std::nullopt;
        if (!facts || facts->IsFolder() || facts->IsLink() || !m_guard.StillAllowed(file.get(), path))
            return UniqueHandle();
        return file;
    }

    // A copy first; a file that could not be kept is not deleted.
    bool DeletePreservedFile(HANDLE file, const std::wstring& path)
    {
        return m_backup.PreserveFile(file, path) && DeleteThroughHandle(file);
    }

    void RemoveFile(const std::wstring& path)
    {
        const UniqueHandle file = OpenCheckedFile(path);
        const bool deleted = file && DeletePreservedFile(file.get(), path);
        m_report += L"File = " + path + (deleted ? L" has been deleted" : L" was not deleted") + kLineEnd;
    }

    void ReportFolderEntry(const std::wstring& path, bool removed)
    {
        m_report += (removed ? L"Folder deleted: " : L"Folder was not deleted: ") + path + kLineEnd;
    }

    void RemoveFolder(const std::wstring& folder)
    {
        const UniqueHandle handle = OpenWithoutFollowing(folder, kFolderAccess, kShareFolder);
        const auto facts = handle ? FactsOf(handle.get()) : std::nullopt;
        if (!facts || !facts->IsFolder() || !m_guard.StillAllowed(handle.get(), folder)) {
            ReportFolderEntry(folder, false);
            return;
        }
        // A folder that is itself a link goes as a link, like one met inside a folder.
        if (!facts->IsLink()) {
            std::size_t budget = kMaxWalkEntries;
            RemoveFolderContent(handle.get(), folder, 0, budget);
        }
        ReportFolderEntry(folder, DeleteThroughHandle(handle.get()));
    }

    // Every entry is opened relative to the folder's handle and deleted through its own;
    // the walk never enters a link (a junction or directory link goes as a link: what it
    // points to is not this folder's content) nor a protected folder.
    void RemoveFolderContent(HANDLE folder, const std::wstring& folderPath, int depth, std::size_t& budget)
    {
        if (depth > kMaxWalkDepth)
            return;
        const auto entries = ListFolder(folder, budget);
        if (!entries || entries->size() > budget)
            return;
        budget -= entries->size();
        for (const FolderEntry& entry : *entries) {
            const std::wstring path = folderPath + L"\\" + entry.name;
            if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
                const UniqueHandle child = OpenEntryWithoutFollowing(folder, entry.name, kFolderAccess, kShareFolder);
                const auto facts = child ? FactsOf(child.get()) : std::nullopt;
                if (!facts || !facts->IsFolder() || m_guard.IsProtected(facts->identity)) {
                    ReportFolderEntry(path, false);
                    continue;
                }
                if (!facts->IsLink())
                    RemoveFolderContent(child.get(), path, depth + 1, budget);
                ReportFolderEntry(path, DeleteThroughHandle(child.get()));
            } else {
                const UniqueHandle child = OpenEntryWithoutFollowing(folder, entry.name, kFileAccess, kShareFile);
                const auto facts = child ? FactsOf(child.get()) : std::nullopt;
                ReportFolderEntry(path, facts && !facts->IsFolder() && !facts->IsLink() &&
                                            DeletePreservedFile(child.get(), path));
            }
        }
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

    // Its own code runs only once the file it was loaded from is kept, and only from a
    // place no standard user can change: the file stays open, held against writers and
    // deletion, from the check through the load to its deletion. A library whose code
    // may not run is kept and deleted all the same.
    void RemoveDll(const std::wstring& path, bool mayRunCode)
    {
        if (path.empty())
            return;
        const UniqueHandle file = OpenCheckedFile(path);
        if (!file || !m_backup.PreserveFile(file.get(), path)) {
            m_report += L"Dll = " + path + L" was not deleted." + kLineEnd;
            return;
        }
        if (!mayRunCode || !m_guard.MayRunCodeOf(file.get()) || !Unregister(file.get()))
            m_report += L"Dll = " + path + L" could not be unregistered because it was not registered." + kLineEnd;
        const bool deleted = DeleteThroughHandle(file.get());
        m_report += L"Dll = " + path + (deleted ? L" has been deleted." : L" was not deleted.") + kLineEnd;
    }

    // Loaded by the final path of the open file, with its own folder and the system's as
    // the only places its imports are looked for.
    static bool Unregister(HANDLE file)
    {
        const std::wstring where = FinalPathOf(file);
        if (where.empty())
            return false;
        UniqueModule library(
            ::LoadLibraryExW(where.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32));
        if (!library)
            return false;
        using Unregistration = HRESULT(STDAPICALLTYPE*)();
        const auto unregister = reinterpret_cast<Unregistration>(
            reinterpret_cast<void*>(::GetProcAddress(library.get(), "DllUnregisterServer")));
        return unregister && SUCCEEDED(unregister());
    }

    void RemoveBho(const std::wstring& classId, const std::wstring& library)
    {
        RemoveDll(library, std::find(m_userChosenLibraries.begin(), m_userChosenLibraries.end(), library) ==
                               m_userChosenLibraries.end());
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

    const CSolutionPathGuard& m_guard;
    ISolutionBackup& m_backup;
    const std::vector<KeptProcess>& m_processes;
    const std::vector<std::wstring>& m_userChosenLibraries;
    std::wstring m_report;
};

}  // namespace

void CCustomSolution::Parse(const std::wstring& commands)
{
    m_actions.SetSize(0);
    m_refusals.clear();
    m_processes.clear();
    m_userChosenLibraries.clear();
    m_parsed = false;
    for (const SolutionCommand& command : SplitSolutionCommands(commands)) {
        switch (command.action) {
        case SolutionAction::KillProcess:
            KeepProcesses(command.argument);
            break;
        case SolutionAction::RemoveFile:
        case SolutionAction::RemoveFolder:
        case SolutionAction::RemoveDll:
            AddPathAction(command.action, command.argument);
            break;
        case SolutionAction::RemoveRegistryValue:
            if (const auto value = SplitRegistryArgument(command.argument))
                AddRegistryValue(*value);
            break;
        case SolutionAction::RemoveBho:
            AddHelperObject(command.argument);
            break;
        }
    }
    m_parsed = true;
}

void CCustomSolution::AddRegistryValue(const RegistryValueArgument& value)
{
    const auto root = SolutionHive(value.hive);
    if (!root)
        return;
    if (const auto refusal = RegistryValueRefusal(value.hive, value.keyPath, value.valueName)) {
        m_refusals += RegistryRefusalLine(value.hive + L"\\" + value.keyPath + L" /" + value.valueName, *refusal);
        return;
    }
    if (ValueExists(*root, value.keyPath, value.valueName))
        m_actions.Add(RegistryValueLine(value));
}

void CCustomSolution::KeepProcesses(const std::wstring& executable)
{
    if (IsSystemCriticalProcess(executable)) {
        m_refusals += RefusalLine(executable, SolutionRefusal::CriticalProcess);
        return;
    }
    const std::wstring ownImage = GetModulePath();
    bool refused = false;
    for (const auto& [processId, name] : RunningProcesses()) {
        if (processId == 0 || name != executable)
            continue;
        KeptProcess kept;
        kept.id = processId;
        kept.handle.reset(::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                                        processId));
        if (kept.handle) {
            kept.image = ImagePathOf(kept.handle.get());
            kept.created = CreationTimeOf(kept.handle.get());
        }
        // Never this program: its own end would leave the solution half done.
        if (processId == ::GetCurrentProcessId() || (!kept.image.empty() && SamePath(kept.image, ownImage))) {
            refused = true;
            continue;
        }
        m_actions.Add(KillProcessLine(processId, name));
        m_processes.push_back(std::move(kept));
    }
    if (refused)
        m_refusals += RefusalLine(executable, SolutionRefusal::ThisProgram);
}

std::wstring CCustomSolution::AllowedPath(const std::wstring& argument, bool& exists)
{
    CheckedPath checked = m_guard.Check(argument);
    // Action lines are split at ";": a canonical path holding one would name another path.
    if (!checked.refusal && checked.path.find(L';') != std::wstring::npos)
        checked.refusal = SolutionRefusal::UnusableName;
    if (checked.refusal) {
        m_refusals += RefusalLine(checked.path, *checked.refusal);
        return {};
    }
    exists = checked.exists;
    return checked.path;
}

void CCustomSolution::AddPathAction(SolutionAction action, const std::wstring& argument)
{
    bool exists = false;
    const std::wstring path = AllowedPath(argument, exists);
    if (path.empty() || !exists)
        return;
    if (action == SolutionAction::RemoveFolder) {
        if (const auto refusal = m_guard.CheckWalk(path)) {
            m_refusals += RefusalLine(path, *refusal);
            return;
        }
    }
    m_actions.Add(PathActionLine(action, path));
}

void CCustomSolution::AddHelperObject(const std::wstring& classId)
{
    if (!RegKeyExists(std::wstring(kBrowserHelperObjectsKey) + L"\\" + classId, HKEY_LOCAL_MACHINE))
        return;
    // The machine's class only: the merged view would take a class any program of the
    // user may register under HKEY_CURRENT_USER\Software\Classes.
    const std::wstring server =
        RegReadString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID\\" + classId + L"\\InprocServer32", L"");
    const LibraryPath expanded = ExpandLibraryPath(server);
    bool exists = false;
    const std::wstring library = server.empty() ? std::wstring() : AllowedPath(expanded.path, exists);
    if (exists && !expanded.machineOnly)
        m_userChosenLibraries.push_back(library);
    m_actions.Add(HelperObjectLine(classId, exists ? library : std::wstring()));
}

std::wstring CCustomSolution::Execute(ISolutionBackup& backup, const SolutionProgress& progress)
{
    if (m_actions.IsEmpty() && m_refusals.empty())
        return kSolutionStaffMessage;
    CActionRunner runner(m_guard, backup, m_processes, m_userChosenLibraries);
    const auto total = static_cast<std::size_t>(m_actions.GetSize());
    for (std::size_t i = 0; i < total; ++i) {
        runner.Run(SplitTokens(m_actions[static_cast<std::ptrdiff_t>(i)], L';'));
        if (progress)
            progress(i + 1, total);
    }
    return m_refusals + runner.Report();
}
