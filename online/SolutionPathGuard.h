#pragma once
// What a custom solution may touch. Every path the log service names is turned into one
// canonical path (full, long form, and for an existing object the final path of an open
// handle) before anything is shown or done, and refused when it is not a plain path on a
// local fixed disk, is the top of a volume, belongs to Windows or to this program, or
// holds a folder that does. Protected folders are compared by canonical path and, where
// they exist, by file identity, so no other spelling, short name or link reaches them.

#include "core/SolutionPathRules.h"
#include "engine/HandleFiles.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct ProtectedPlaces {
    // Never touched, nor anything inside them, nor a folder holding them: the Windows
    // folder and its system folders.
    std::vector<std::wstring> sealed;
    // Never removed, nor a folder holding them; what lies inside may be: Program Files,
    // the profiles folder, the user's profile, the common application-data folder.
    std::vector<std::wstring> held;
    // This program's own folders (its installation, its backups, its data): neither
    // they, nor anything inside them, nor a folder holding them.
    std::vector<std::wstring> own;
    // Where a standard user may create or change files: the profiles, the per-user and
    // common application-data folders, the temporary folders. A library there never
    // runs elevated, whatever its access list says.
    std::vector<std::wstring> userWritable;
};

// The places of this machine and this program; backupFolder is where the run keeps what it removes.
[[nodiscard]] ProtectedPlaces ThisMachinesProtectedPlaces(const std::wstring& backupFolder);

struct CheckedPath {
    std::wstring path;  // canonical; the text as given when it could not be made canonical
    std::optional<SolutionRefusal> refusal;
    bool exists = false;  // also true when its existence could not be told
};

// How far the walk of one folder removal may go.
inline constexpr std::size_t kMaxWalkEntries = 100000;
inline constexpr int kMaxWalkDepth = 64;

class CSolutionPathGuard {
public:
    explicit CSolutionPathGuard(const ProtectedPlaces& places);

    [[nodiscard]] CheckedPath Check(const std::wstring& text) const;

    // For an object opened again to act on it: true when the handle still leads to the
    // canonical path checked before and that path is still allowed.
    [[nodiscard]] bool StillAllowed(HANDLE file, const std::wstring& canonical) const;

    // Whether the folder walk of a removal would meet a protected folder or go beyond its
    // bounds; links are never entered.
    [[nodiscard]] std::optional<SolutionRefusal> CheckWalk(const std::wstring& folder) const;

    [[nodiscard]] bool IsProtected(const FileIdentity& identity) const;

    // Whether a library's own code may run elevated: it lies nowhere a standard user
    // writes by name, and the open file and every folder above it can be changed by
    // administrators and SYSTEM alone.
    [[nodiscard]] bool MayRunCodeOf(HANDLE library) const;

private:
    struct Place {
        std::wstring path;
        std::optional<FileIdentity> identity;
    };
    static std::vector<Place> Resolve(const std::vector<std::wstring>& paths);
    [[nodiscard]] std::optional<SolutionRefusal> RefusalFor(const std::wstring& canonical,
                                                            const std::optional<FileIdentity>& identity) const;
    [[nodiscard]] std::optional<SolutionRefusal> WalkFrom(HANDLE folder, int depth, std::size_t& budget) const;

    std::vector<Place> m_sealed;
    std::vector<Place> m_held;
    std::vector<Place> m_own;
    std::vector<Place> m_userWritable;
};
