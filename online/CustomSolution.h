#pragma once
// The custom solution: the command string from the log service turned into action lines
// (Parse, which only looks at the machine) and carried out (Execute, which changes it and
// returns the report). Every action reports its own outcome; a failed one never stops
// the ones after it.
//
// Nothing is removed without a way back: registry values and keys get a backup line,
// files, DLLs and the files of folders a preserved copy, before they go; whatever could
// not be kept stays where it is and is reported as not removed. Folder removal never
// follows a junction or symbolic link into its target (the link itself goes), and no
// action ever ends this program's own process.

#include "core/ArrayEx.h"
#include "online/SolutionBackup.h"

#include <string>

class CCustomSolution {
public:
    // Replaces the action list by the actions of the command string that have something
    // to act on: running processes of that exact executable name (this one excepted),
    // existing files, folders, DLLs, registry values and browser helper objects.
    void Parse(const std::wstring& commands);
    [[nodiscard]] bool IsParsed() const { return m_parsed; }
    [[nodiscard]] const CStringArrayEx& Actions() const { return m_actions; }

    // Carries out the action list; the staff message when it is empty.
    [[nodiscard]] std::wstring Execute(ISolutionBackup& backup);

private:
    CStringArrayEx m_actions;
    bool m_parsed = false;
};
