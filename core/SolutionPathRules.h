#pragma once
// Spelling rules for the paths a remote solution names, decided on the text alone before
// the machine is asked anything: which forms are refused outright, what a volume root
// looks like however it is spelled, and containment by whole path components. Letter
// case is ignored as the file system ignores it for the letters these folders use (ASCII
// and Latin-1); a comparison that errs treats two paths as the same, which refuses more.

#include <string>
#include <string_view>

enum class PathSpelling {
    DriveAbsolute,  // "C:\..." or "C:/..."
    Relative,       // no drive, a drive without a separator ("C:x"), or rooted on the current drive ("\x")
    DeviceOrUnc,    // "\\?\", "\\.\", "\??\" or "\\server\share"
    Unusable,       // a stream name, a wildcard or another character no file name holds
};

[[nodiscard]] PathSpelling ClassifyPathSpelling(std::wstring_view path);

// A drive letter and a colon followed by nothing but separators and periods: "C:",
// "C:\", "C:/", "C:\.", "C:\..\." all name the root of the volume.
[[nodiscard]] bool IsVolumeRoot(std::wstring_view path);

// A final path as the system hands it back ("\\?\C:\x", "\\?\UNC\server\share\x") in
// its ordinary form ("C:\x", "\\server\share\x"); other text is returned unchanged.
[[nodiscard]] std::wstring WithoutLongPathPrefix(std::wstring_view path);

// The path with "/" turned into "\" and trailing separators dropped, except the one of
// a volume root ("C:\").
[[nodiscard]] std::wstring TrimmedPath(std::wstring_view path);

// True when both name the same path, letter case aside (after TrimmedPath).
[[nodiscard]] bool SamePath(std::wstring_view left, std::wstring_view right);

// True when path is the folder itself or lies anywhere below it, by whole components
// ("C:\ab" is not within "C:\a").
[[nodiscard]] bool PathIsWithin(std::wstring_view path, std::wstring_view folder);

// Processes whose end would stop Windows or this program's own work: the session
// manager, wininit, winlogon, csrss, lsass, services and svchost, in any letter case.
[[nodiscard]] bool IsSystemCriticalProcess(std::wstring_view executable);

// Why a path, process or walk named by a solution is not acted on.
enum class SolutionRefusal {
    NotAbsolute,       // relative, rooted on the current drive, or a drive without a separator
    DeviceOrNetwork,   // "\\?\", "\\.\", "\\server\share" or a drive that is not a local fixed disk
    UnusableName,      // a stream name or a wildcard
    VolumeRoot,        // the top of a drive, however spelled
    SystemFolder,      // Windows, its system folders, Program Files or the profiles, or a folder holding one
    ProgramFolder,     // this program's folder or backups, inside them or holding them
    ReachesProtected,  // a folder whose walk would meet one of the above
    TooLarge,          // a folder with more entries than one solution may walk
    CriticalProcess,   // a process whose end would stop Windows
    ThisProgram,       // this program's own process, or another started from its program file
};

// The report line for a command refused before anything was done; subject is the
// canonical path when there is one, else the text as the solution gave it.
[[nodiscard]] std::wstring RefusalLine(const std::wstring& subject, SolutionRefusal refusal);
