#include "engine/ProblemCheck.h"

#include "core/PathText.h"
#include "core/ScanSections.h"
#include "engine/FileSystem.h"
#include "engine/Registry.h"
#include "engine/Scanners.h"
#include "framework/Handles.h"

#include <shlwapi.h>

#include <variant>
#include <vector>

namespace {

// Where a section's value walk looks: a key and how many levels below it (0: the
// key's own values only; 10: a tree walk down to depth 11).
struct ValueScope {
    RootKey root;
    const wchar_t* key;
    int levelsBelow;
};

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr int kTreeLevels = 10;

std::vector<ValueScope> ValueScopes(int section)
{
    switch (section) {
    case AppPaths: return {{kRootLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", kTreeLevels}};
    case SoundFiles: return {{kRootCurrentUser, L"AppEvents\\Schemes\\Apps", kTreeLevels}};
    case HelpFiles:
        return {{kRootLocalMachine, L"Software\\Microsoft\\Windows\\Help", 0},
                {kRootLocalMachine, L"Software\\Microsoft\\Windows\\HTML Help", 0}};
    case WindowsStartup: return {{kRootLocalMachine, kRunKey, 0}, {kRootCurrentUser, kRunKey, 0}};
    case SystemPrograms: return {{kRootLocalMachine, L"Software\\Microsoft\\MMC\\SnapIns", kTreeLevels}};
    case SharedDlls: return {{kRootLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", 0}};
    case SystemDrivers:
        return {{kRootLocalMachine, L"SYSTEM\\CurrentControlSet\\Services\\SessionLauncher", kTreeLevels}};
    case UninstallFiles:
        return {{kRootLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", kTreeLevels}};
    case WindowsFonts: return {{kRootLocalMachine, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0}};
    default: return {};
    }
}

// The parts of a backslash-separated path; empty when any part is empty (a leading,
// trailing or doubled backslash), so such a path never matches a scope.
std::vector<std::wstring> PathParts(const std::wstring& path)
{
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find(L'\\', start);
        const std::wstring part = path.substr(start, slash == std::wstring::npos ? slash : slash - start);
        if (part.empty())
            return {};
        parts.push_back(part);
        if (slash == std::wstring::npos)
            return parts;
        start = slash + 1;
    }
}

bool SameName(const std::wstring& a, const std::wstring& b) { return ToLowerAscii(a) == ToLowerAscii(b); }

// True when subKey is the scope's key or lies at most levelsBelow levels under it.
bool KeyInScope(const std::wstring& subKey, const std::wstring& scopeKey, int levelsBelow)
{
    const std::vector<std::wstring> parts = PathParts(subKey);
    const std::vector<std::wstring> scopeParts = PathParts(scopeKey);
    if (parts.size() < scopeParts.size() || parts.size() > scopeParts.size() + static_cast<std::size_t>(levelsBelow))
        return false;
    for (std::size_t i = 0; i < scopeParts.size(); ++i)
        if (!SameName(parts[i], scopeParts[i]))
            return false;
    return true;
}

struct LiveValue {
    DWORD type = 0;
    std::wstring text;  // REG_SZ / REG_EXPAND_SZ: the exact string; REG_DWORD: decimal
};

// Reads a value the way the scan does (at most 1024 bytes of data), length-exactly.
// Gone when the key or value is missing or no longer fits; Doubtful when it cannot be
// read or its data could not be written back as text.
std::variant<LiveValue, ProblemState> ReadLiveValue(RootKey root, const std::wstring& subKey,
                                                   const std::wstring& valueName)
{
    UniqueHKey key;
    const LONG opened = ::RegOpenKeyExW(RootToHKey(root), subKey.c_str(), 0, KEY_READ, key.put());
    if (opened != ERROR_SUCCESS)
        return opened == ERROR_FILE_NOT_FOUND ? ProblemState::Gone : ProblemState::Doubtful;
    const ExactValue read = RegReadExactValue(key.get(), valueName, kRegDataBytes);
    if (read.status == ERROR_FILE_NOT_FOUND || read.status == ERROR_MORE_DATA)
        return ProblemState::Gone;
    if (read.status != ERROR_SUCCESS)
        return ProblemState::Doubtful;
    if (read.type != REG_SZ && read.type != REG_EXPAND_SZ && read.type != REG_DWORD)
        return ProblemState::Gone;  // not the string or count it was when found
    if (!read.text)
        return ProblemState::Doubtful;
    return LiveValue{read.type, *read.text};
}

// The live value when it still has the recorded type and data; otherwise the state.
std::variant<LiveValue, ProblemState> MatchingLiveValue(const CRegistryItem& item)
{
    auto live = ReadLiveValue(item.Root, item.SubKey, item.ValueName);
    if (const auto* value = std::get_if<LiveValue>(&live))
        if (value->type != item.Type || value->text != item.ValueData)
            return ProblemState::Gone;
    return live;
}

// No shortcut the shell writes comes near this; a larger file is not read into memory.
constexpr LONGLONG kMaxShortcutBytes = 1024 * 1024;

ProblemState StillBrokenIf(bool broken) { return broken ? ProblemState::Holds : ProblemState::Gone; }

bool IsReparsePointOrMissing(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool EndsWithLnk(const std::wstring& path)
{
    return path.size() > 4 && ToLowerAscii(path.substr(path.size() - 4)) == L".lnk";
}

}  // namespace

bool PathInsideFolder(const std::wstring& path, const std::wstring& folder)
{
    if (folder.size() < 3 || path.size() <= folder.size() + 1 || path.size() >= 32767)
        return false;
    if (!SameName(path.substr(0, folder.size()), folder) || path[folder.size()] != L'\\')
        return false;
    if (path.find(L'/') != std::wstring::npos || path.find(L':', 2) != std::wstring::npos)
        return false;
    for (const std::wstring& part : PathParts(path.substr(folder.size() + 1)))
        if (part == L"." || part == L"..")
            return false;
    if (PathParts(path.substr(folder.size() + 1)).empty())
        return false;
    // Trailing dots or spaces, and other forms the file system would rewrite, name a
    // different file than the text says.
    std::vector<wchar_t> full(path.size() + 16);
    const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    return length > 0 && length < full.size() && std::wstring(full.data(), length) == path;
}

CProblemCheck::CProblemCheck() : m_context(ScanTarget{}) { m_context.running = true; }

ProblemState CProblemCheck::Recheck(const CError& problem)
{
    if (ItemHoldsNul(problem.Item) || problem.Subject.find(L'\0') != std::wstring::npos)
        return ProblemState::Doubtful;  // the API would stop at the NUL and reach another entry
    try {
        switch (problem.ErrorType) {
        case InvalidValue: return ValueState(problem);
        case EmptyKey: return EmptyKeyState(problem);
        case MissingShortcut: return ShortcutState(problem);
        default: return ProblemState::Doubtful;
        }
    } catch (...) {
        return ProblemState::Doubtful;
    }
}

ProblemState CProblemCheck::ValueState(const CError& problem) const
{
    const CRegistryItem& item = problem.Item;
    if (item.Hive != RootToHive(item.Root))
        return ProblemState::Doubtful;

    if (problem.Section == ActiveX) {
        // "CLSID\<class>" with "AppID", or "CLSID\<class>\TypeLib" with the default value.
        const std::vector<std::wstring> parts = PathParts(item.SubKey);
        const bool appId = parts.size() == 2 && item.ValueName == L"AppID";
        const bool typeLib = parts.size() == 3 && item.ValueName.empty() && SameName(parts[2], L"TypeLib");
        if (item.Root != kRootClassesRoot || !(appId || typeLib) || !SameName(parts[0], L"CLSID"))
            return ProblemState::Doubtful;
        const auto live = MatchingLiveValue(item);
        if (const auto* state = std::get_if<ProblemState>(&live))
            return *state;
        const std::wstring& target = std::get<LiveValue>(live).text;
        if (target.empty())
            return ProblemState::Gone;
        return StillBrokenIf(!RegKeyExists((appId ? L"AppID\\" : L"TypeLib\\") + target, HKEY_CLASSES_ROOT));
    }

    bool inScope = false;
    for (const ValueScope& scope : ValueScopes(problem.Section))
        inScope = inScope || (item.Root == scope.root && KeyInScope(item.SubKey, scope.key, scope.levelsBelow));
    if (!inScope)
        return ProblemState::Doubtful;

    const auto live = MatchingLiveValue(item);
    if (const auto* state = std::get_if<ProblemState>(&live))
        return *state;
    const LiveValue& value = std::get<LiveValue>(live);
    if (problem.Section == SharedDlls)
        return StillBrokenIf(value.type == REG_DWORD && NamesMissingFile(item.ValueName));
    return StillBrokenIf((value.type == REG_SZ || value.type == REG_EXPAND_SZ) && NamesMissingFile(value.text));
}

ProblemState CProblemCheck::EmptyKeyState(const CError& problem) const
{
    const CRegistryItem& item = problem.Item;
    if (problem.Section != EmptyKeys || item.Root != kRootUsers || item.Hive != RootToHive(item.Root))
        return ProblemState::Doubtful;
    const std::vector<std::wstring> parts = PathParts(item.SubKey);
    if (parts.size() < 3)
        return ProblemState::Doubtful;
    if (!SameName(parts[0], L"S-1-5-18") && !SameName(parts[0], L"S-1-5-19") && !SameName(parts[0], L"S-1-5-20"))
        return ProblemState::Doubtful;
    UniqueHKey key;
    const LONG opened = ::RegOpenKeyExW(HKEY_USERS, item.SubKey.c_str(), 0, KEY_READ, key.put());
    if (opened != ERROR_SUCCESS)
        return opened == ERROR_FILE_NOT_FOUND ? ProblemState::Gone : ProblemState::Doubtful;
    DWORD subkeys = 0;
    DWORD values = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return ProblemState::Doubtful;
    return StillBrokenIf(subkeys == 0 && values == 0);
}

ProblemState CProblemCheck::ShortcutState(const CError& problem)
{
    if (problem.Section != ProgramShortcuts)
        return ProblemState::Doubtful;
    const std::wstring profile = ExpandEnv(L"%USERPROFILE%");
    const std::wstring& path = problem.Subject;
    if (profile.find(L'%') != std::wstring::npos || !EndsWithLnk(path) || !PathInsideFolder(path, profile))
        return ProblemState::Doubtful;
    // Every folder between the profile and the file must be a real folder: the scan
    // never follows a link or junction, so nothing reached through one is its to delete.
    for (std::size_t slash = path.find(L'\\', profile.size() + 1); slash != std::wstring::npos;
         slash = path.find(L'\\', slash + 1))
        if (IsReparsePointOrMissing(path.substr(0, slash)))
            return ProblemState::Doubtful;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return ProblemState::Gone;
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return ProblemState::Doubtful;
    if (!HasShellLink())
        return ProblemState::Doubtful;  // nothing can be tested, so nothing is deleted
    m_context.pathChecks.Clear();  // the last look sees the files as they are now
    return StillBrokenIf(!ShortcutTargetExists(m_context, path));
}

bool CProblemCheck::HasShellLink()
{
    if (!m_shellLinkTried) {
        m_shellLinkTried = true;
        m_context.CreateShellLink();
    }
    return static_cast<bool>(m_context.shellLink);
}

ProblemState CProblemCheck::RecheckShortcutFile(HANDLE file)
{
    LARGE_INTEGER size{};
    LARGE_INTEGER start{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart <= 0 || size.QuadPart > kMaxShortcutBytes ||
        !::SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return ProblemState::Doubtful;
    std::vector<BYTE> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size() ||
        !HasShellLink())
        return ProblemState::Doubtful;
    ComPtr<IStream> stream;
    *stream.put() = ::SHCreateMemStream(bytes.data(), read);
    if (!stream)
        return ProblemState::Doubtful;
    m_context.pathChecks.Clear();
    return StillBrokenIf(!ShortcutStreamTargetExists(m_context, stream.get()));
}
