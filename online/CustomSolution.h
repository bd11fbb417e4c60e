#pragma once
// The custom solution: the command string from the log service turned into action lines
// (Parse, which only looks at the machine) and carried out (Execute, which changes it and
// returns the report). Every action reports its own outcome; a failed one never stops
// the ones after it.
//
// The commands arrive over plain HTTP and run elevated, so each path is made canonical
// and checked before it becomes an action line (CSolutionPathGuard), registry values
// Windows needs to start are never touched (core/SolutionRegistryRules.h), and a command
// it refuses becomes a report line that says why. Files and folders are then opened without
// following links and removed through their handles; a process is held open from Parse
// on and ended only while it is still the one that was found.
//
// Nothing is removed without a way back: registry values and keys get a backup line,
// files, DLLs and the files of folders a preserved copy, before they go; whatever could
// not be kept stays where it is and is reported as not removed. A DLL's own code runs
// (to unregister it) only once its copy is kept, and only when neither its path nor its
// file could have been chosen by a standard user (CSolutionPathGuard::MayRunCodeOf); a
// browser helper's library is read from the machine's classes alone.

#include "core/ArrayEx.h"
#include "core/SolutionCommands.h"
#include "framework/Handles.h"
#include "online/SolutionBackup.h"
#include "online/SolutionPathGuard.h"

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Told after each action of a run how many of how many are done.
using SolutionProgress = std::function<void(std::size_t done, std::size_t total)>;

// A process found by Parse, held open so its identifier cannot pass to another process.
struct KeptProcess {
    DWORD id = 0;
    UniqueHandle handle;  // empty when it could not be opened
    std::wstring image;   // full path of its program file when it was found
    FILETIME created{};
};

class CCustomSolution {
public:
    explicit CCustomSolution(const ProtectedPlaces& places) : m_guard(places) {}

    // Replaces the action list by the actions of the command string that have something
    // to act on and may act on it: running processes of that exact executable name (this
    // one and the system's critical ones excepted), existing files, folders and DLLs by
    // their canonical paths, registry values and browser helper objects.
    void Parse(const std::wstring& commands);
    [[nodiscard]] bool IsParsed() const { return m_parsed; }
    [[nodiscard]] const CStringArrayEx& Actions() const { return m_actions; }
    // One report line for each command refused by Parse, saying why.
    [[nodiscard]] const std::wstring& Refusals() const { return m_refusals; }

    // Carries out the action list; its report follows the refusal lines. The staff
    // message when there was nothing to do and nothing was refused. `progress`, when
    // given, hears after each action how many of how many are done.
    [[nodiscard]] std::wstring Execute(ISolutionBackup& backup, const SolutionProgress& progress = {});

private:
    void KeepProcesses(const std::wstring& executable);
    void AddRegistryValue(const RegistryValueArgument& value);
    void AddPathAction(SolutionAction action, const std::wstring& argument);
    void AddHelperObject(const std::wstring& classId);
    // The canonical path, or empty after a refusal line was written.
    [[nodiscard]] std::wstring AllowedPath(const std::wstring& argument, bool& exists);

    CSolutionPathGuard m_guard;
    CStringArrayEx m_actions;
    std::wstring m_refusals;
    std::vector<KeptProcess> m_processes;
    // Browser helper libraries whose registered path holds a variable the user sets.
    std::vector<std::wstring> m_userChosenLibraries;
    bool m_parsed = false;
};
