#include "online/SolutionPathGuard.h"

#include "engine/AccessRules.h"
#include "engine/FileSystem.h"
#include "engine/RepairedItems.h"
#include "engine/ReportWriter.h"

#include <shlobj.h>
#include <userenv.h>

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring FullPath(const std::wstring& path)
{
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return {};
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return {};
    full.resize(length);
    return full;
}

// The long form of an existing path; the path itself when there is none to give.
std::wstring LongPath(const std::wstring& path)
{
    const DWORD needed = ::GetLongPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0)
        return path;
    std::wstring longPath(needed, L'\0');
    const DWORD length = ::GetLongPathNameW(path.c_str(), longPath.data(), needed);
    if (length == 0 || length >= needed)
        return path;
    longPath.resize(length);
    return longPath;
}

// What the text alone, and the kind of drive it names, refuse.
std::optional<SolutionRefusal> SpellingRefusal(const std::wstring& path)
{
    if (IsVolumeRoot(path))
        return SolutionRefusal::VolumeRoot;
    switch (ClassifyPathSpelling(path)) {
    case PathSpelling::Relative: return SolutionRefusal::NotAbsolute;
    case PathSpelling::DeviceOrUnc: return SolutionRefusal::DeviceOrNetwork;
    case PathSpelling::Unusable: return SolutionRefusal::UnusableName;
    case PathSpelling::DriveAbsolute: break;
    }
    if (::GetDriveTypeW(path.substr(0, 3).c_str()) != DRIVE_FIXED)
        return SolutionRefusal::DeviceOrNetwork;
    return std::nullopt;
}

std::wstring ShellFolder(int csidl)
{
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    return folder;
}

std::wstring SystemFolder(UINT (*query)(LPWSTR, UINT))
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = query(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

std::wstring ProfilesFolder()
{
    wchar_t folder[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    return ::GetProfilesDirectoryW(folder, &length) ? std::wstring(folder) : std::wstring();
}

bool IdentityMatches(const std::optional<FileIdentity>& identity, const std::optional<FileIdentity>& other)
{
    return identity && other && *identity == *other;
}

}  // namespace

ProtectedPlaces ThisMachinesProtectedPlaces(const std::wstring& backupFolder)
{
    ProtectedPlaces places;
    places.sealed = {SystemFolder(&::GetWindowsDirectoryW), SystemFolder(&::GetSystemWindowsDirectoryW),
                     SystemFolder(&::GetSystemDirectoryW), SystemFolder(&::GetSystemWow64DirectoryW)};
    places.held = {ShellFolder(CSIDL_PROGRAM_FILES),        ShellFolder(CSIDL_PROGRAM_FILESX86),
                   ShellFolder(CSIDL_PROGRAM_FILES_COMMON), ShellFolder(CSIDL_PROGRAM_FILES_COMMONX86),
                   ShellFolder(CSIDL_PROFILE),              ShellFolder(CSIDL_COMMON_APPDATA),
                   ProfilesFolder()};
    const std::wstring reports = CommonAppDataFolder();
    places.own = {GetModuleFolder(), backupFolder, CRepairedItems::FolderPath(),
                  reports.empty() ? std::wstring() : reports + L"\\Velmora"};
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD tempLength = ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring windows = SystemFolder(&::GetSystemWindowsDirectoryW);
    places.userWritable = {ProfilesFolder(),
                           ShellFolder(CSIDL_PROFILE),
                           ShellFolder(CSIDL_APPDATA),
                           ShellFolder(CSIDL_LOCAL_APPDATA),
                           ShellFolder(CSIDL_COMMON_APPDATA),
                           tempLength > 0 && tempLength <= MAX_PATH ? std::wstring(temp, tempLength) : std::wstring(),
                           windows.empty() ? std::wstring() : windows + L"\\Temp"};
    return places;
}

CSolutionPathGuard::CSolutionPathGuard(const ProtectedPlaces& places)
    : m_sealed(Resolve(places.sealed)),
      m_held(Resolve(places.held)),
      m_own(Resolve(places.own)),
      m_userWritable(Resolve(places.userWritable))
{
}

// Each place as given (made full) and, when it exists, as its final path, each with its
// identity: a place reached through a link is protected under both names.
std::vector<CSolutionPathGuard::Place> CSolutionPathGuard::Resolve(const std::vector<std::wstring>& paths)
{
    std::vector<Place> places;
    for (const std::wstring& given : paths) {
        if (given.empty())
            continue;
        const std::wstring full = FullPath(given);
        if (full.empty())
            continue;
        std::optional<FileIdentity> ownIdentity;
        if (const UniqueHandle itself = OpenWithoutFollowing(full, FILE_READ_ATTRIBUTES, kShareAll))
            if (const auto facts = FactsOf(itself.get()))
                ownIdentity = facts->identity;
        places.push_back({LongPath(full), ownIdentity});
        const UniqueHandle target(::CreateFileW(full.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!target)
            continue;
        const auto facts = FactsOf(target.get());
        places.push_back({FinalPathOf(target.get()),
                          facts ? std::optional<FileIdentity>(facts->identity) : std::nullopt});
    }
    return places;
}

CheckedPath CSolutionPathGuard::Check(const std::wstring& text) const
{
    CheckedPath checked{text, SpellingRefusal(text), false};
    if (checked.refusal)
        return checked;
    const std::wstring full = FullPath(text);
    if (full.empty()) {
        checked.refusal = SolutionRefusal::UnusableName;
        return checked;
    }
    checked.path = LongPath(full);
    if ((checked.refusal = SpellingRefusal(checked.path)))
        return checked;
    std::optional<FileIdentity> identity;
    if (const UniqueHandle object = OpenWithoutFollowing(checked.path, FILE_READ_ATTRIBUTES, kShareAll)) {
        checked.exists = true;
        const std::wstring final = FinalPathOf(object.get());
        if (!final.empty())
            checked.path = final;
        if (const auto facts = FactsOf(object.get()))
            identity = facts->identity;
        if ((checked.refusal = SpellingRefusal(checked.path)))
            return checked;
    } else {
        checked.exists = !IsNotFoundError(::GetLastError());
    }
    checked.refusal = RefusalFor(checked.path, identity);
    return checked;
}

std::optional<SolutionRefusal> CSolutionPathGuard::RefusalFor(const std::wstring& canonical,
                                                              const std::optional<FileIdentity>& identity) const
{
    for (const Place& place : m_sealed)
        if (PathIsWithin(canonical, place.path) || PathIsWithin(place.path, canonical) ||
            IdentityMatches(identity, place.identity))
            return SolutionRefusal::SystemFolder;
    for (const Place& place : m_held)
        if (PathIsWithin(place.path, canonical) || IdentityMatches(identity, place.identity))
            return SolutionRefusal::SystemFolder;
    for (const Place& place : m_own)
        if (PathIsWithin(canonical, place.path) || PathIsWithin(place.path, canonical) ||
            IdentityMatches(identity, place.identity))
            return SolutionRefusal::ProgramFolder;
    return std::nullopt;
}

bool CSolutionPathGuard::StillAllowed(HANDLE file, const std::wstring& canonical) const
{
    const std::wstring final = FinalPathOf(file);
    const auto facts = FactsOf(file);
    return !final.empty() && facts && SamePath(final, canonical) && !SpellingRefusal(final) &&
           !RefusalFor(final, facts->identity);
}

bool CSolutionPathGuard::IsProtected(const FileIdentity& identity) const
{
    for (const std::vector<Place>* places : {&m_sealed, &m_held, &m_own})
        for (const Place& place : *places)
            if (IdentityMatches(identity, place.identity))
                return true;
    return false;
}

std::optional<SolutionRefusal> CSolutionPathGuard::CheckWalk(const std::wstring& folder) const
{
    const UniqueHandle root = OpenWithoutFollowing(folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShareAll);
    const auto facts = root ? FactsOf(root.get()) : std::nullopt;
    // A link goes as a link, and what cannot be opened cannot be walked.
    if (!facts || facts->IsLink() || !facts->IsFolder())
        return std::nullopt;
    std::size_t budget = kMaxWalkEntries;
    return WalkFrom(root.get(), 0, budget);
}

std::optional<SolutionRefusal> CSolutionPathGuard::WalkFrom(HANDLE folder, int depth, std::size_t& budget) const
{
    if (depth > kMaxWalkDepth)
        return SolutionRefusal::TooLarge;
    const auto entries = ListFolder(folder, budget);
    if (!entries)
        return std::nullopt;  // the removal will not list it either
    if (entries->size() > budget)
        return SolutionRefusal::TooLarge;
    budget -= entries->size();
    for (const FolderEntry& entry : *entries) {
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const UniqueHandle child =
            OpenEntryWithoutFollowing(folder, entry.name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShareAll);
        const auto facts = child ? FactsOf(child.get()) : std::nullopt;
        if (!facts || facts->IsLink())
            continue;
        if (IsProtected(facts->identity))
            return SolutionRefusal::ReachesProtected;
        if (const auto refusal = WalkFrom(child.get(), depth + 1, budget))
            return refusal;
    }
    return std::nullopt;
}

bool CSolutionPathGuard::MayRunCodeOf(HANDLE library) const
{
    const std::wstring where = FinalPathOf(library);
    if (where.empty() || ClassifyPathSpelling(where) != PathSpelling::DriveAbsolute)
        return false;
    for (const Place& place : m_userWritable)
        if (PathIsWithin(where, place.path))
            return false;
    if (!OnlyAdministratorsCanChange(library, ChangeScope::Contents))
        return false;
    // Whoever may add to the library's folder may plant what it imports there; whoever
    // may rename an entry of a folder further up may put another library in its place.
    ChangeScope scope = ChangeScope::Contents;
    for (std::size_t slash = where.rfind(L'\\'); slash != std::wstring::npos && slash >= 2;
         slash = slash == 2 ? std::wstring::npos : where.rfind(L'\\', slash - 1)) {
        const std::wstring folder = where.substr(0, slash == 2 ? 3 : slash);
        const UniqueHandle handle = OpenWithoutFollowing(folder, READ_CONTROL | FILE_READ_ATTRIBUTES, kShareAll);
        const auto facts = handle ? FactsOf(handle.get()) : std::nullopt;
        if (!facts || !facts->IsFolder() || facts->IsLink() || !OnlyAdministratorsCanChange(handle.get(), scope))
            return false;
        scope = ChangeScope::Entries;
    }
    return true;
}
