#pragma once
// The unresolved-problems store: problems a scan found that the user left unrepaired,
// kept in "unresolvederrors.dat" in the "Velmora" folder of %APPDATA% (problem lines,
// UTF-16LE) with their number in the setting "IgnoredErrorsCount". Nothing is written or
// deleted when the folder or the file is a link or junction: every call then fails.

#include "core/ProblemRecord.h"
#include "core/ScanSections.h"

#include <string>
#include <vector>

class CIgnoredProblemsStore {
public:
    // "%APPDATA%\Velmora\unresolvederrors.dat", expanded.
    [[nodiscard]] static std::wstring FilePath();

    // Every problem of the list whose stays[i] is not true (indices past the end of
    // stays do not stay) counts one in its section's Ignored, is written to the file
    // and leaves the list; the problems that stay keep their order. The file is replaced
    // whole in one move. When it cannot be written, the leaving problems still leave
    // (they must never be repaired), the previous file stays as it was, false is
    // returned, and "IgnoredErrorsCount" is set to the number of records the file on
    // disk really holds.
    [[nodiscard]] static bool SaveUnresolvedProblems(CErrorListEx& problems, SectionCounters& counters,
                                                     const std::vector<bool>& stays);

    // Adds the problems at the end of the file's problems (the file is replaced whole in
    // one move) and sets "IgnoredErrorsCount" to what the file on disk then holds. False
    // when the file cannot be read or written (it stays as it was).
    [[nodiscard]] static bool AddUnresolvedProblems(const CErrorListEx& problems);

    // Deletes the file when it exists and sets "IgnoredErrorsCount" to "0". False when
    // the file remains (the count then tells what it holds).
    [[nodiscard]] static bool ClearUnresolvedProblems();

    // Resets all counters and replaces the list by the file's problems, counting each in
    // its section's Found. A record that cannot be read is skipped and the others kept;
    // an unterminated last record is lost. A problem's ListOnly comes from its section,
    // since the file does not store it. A missing file gives an empty list (true); false
    // when the file exists but cannot be read.
    [[nodiscard]] static bool LoadIgnoredProblems(CErrorListEx& problems, SectionCounters& counters);

    // The problems a file text holds, as LoadIgnoredProblems reads them.
    [[nodiscard]] static CErrorListEx ParseProblems(const std::wstring& text);
};
