#pragma once
// The repair's last look at a problem before it acts: does the problem still hold,
// against the registry and the files as they are now, and does it lie where its
// section scans? A list of problems can come from a file any program of the user can
// write, and the machine may have changed since the scan, so an elevated repair must
// never delete what is not broken or what its section never looks at.

#include "core/ProblemRecord.h"
#include "engine/ScanContext.h"

#include <string>

// What the last look found.
enum class ProblemState {
    Holds,     // still there exactly as recorded, still broken, inside its section's reach
    Gone,      // no longer there as recorded (removed, changed, or no longer broken)
    Doubtful,  // cannot be trusted or tested: outside the section's reach, data or a name
               // no backup could bring back as it is, a check that cannot run
};

class CProblemCheck {
public:
    // Call on the thread that repairs, with COM initialised there (the shortcut test
    // uses a shell-link object of that thread's apartment).
    CProblemCheck();
    CProblemCheck(const CProblemCheck&) = delete;
    CProblemCheck& operator=(const CProblemCheck&) = delete;

    // Holds only when the problem is still there exactly as recorded and its check
    // still fails:
    // - a value (type 1): its key lies in the section's scanned keys (the key itself,
    //   or within the section's depth for a tree walk), the value exists with the
    //   recorded type and data (strings read length-exactly: one terminating NUL, none
    //   inside), and the section's own test still fails (missing file; missing AppID or
    //   TypeLib key);
    // - an empty key (type 2, section 7): below HKEY_USERS\S-1-5-18, -19 or -20, at
    //   least three levels deep counting the account's key, and still without values
    //   and subkeys;
    // - a shortcut (type 0, section 11): a ".lnk" file inside the user profile, reached
    //   without a link or junction, whose target is still missing.
    // A key path or value name holding a NUL, another type or section, or a malformed
    // path is Doubtful.
    [[nodiscard]] ProblemState Recheck(const CError& problem);

    // A shortcut once more, from the bytes of the file the caller holds open to delete
    // it (so no other file can take its place after the check): Holds while its target
    // is still missing.
    [[nodiscard]] ProblemState RecheckShortcutFile(HANDLE file);

private:
    [[nodiscard]] ProblemState ValueState(const CError& problem) const;
    [[nodiscard]] ProblemState EmptyKeyState(const CError& problem) const;
    [[nodiscard]] ProblemState ShortcutState(const CError& problem);

    [[nodiscard]] bool HasShellLink();

    ScanContext m_context;  // lends the scan's own shortcut test its shell-link object
    bool m_shellLinkTried = false;
};

// True when path lies strictly inside folder (both full Win32 paths): it starts with
// the folder and a backslash (ASCII case ignored), has no ".", ".." or empty part, no
// "/", no ":" after the drive, and is already in its full, normalised form.
[[nodiscard]] bool PathInsideFolder(const std::wstring& path, const std::wstring& folder);
