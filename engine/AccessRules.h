#pragma once
// Who may change a file or folder, read from an open handle so the answer is about the
// object that will be used, and the access list this program gives the places it keeps
// for administrators. The program runs elevated: a place that anyone else may change is
// one through which a standard user steers what it reads, writes or runs.

#include "framework/Handles.h"

#include <windows.h>

enum class ReadersToo {
    None,   // SYSTEM and Administrators only
    Users,  // and every user may read (not change)
};

// An access list owned by Administrators, protected from inheritance, that gives SYSTEM
// and Administrators full control (and users read access when asked).
class CAdministratorsOnly {
public:
    explicit CAdministratorsOnly(ReadersToo readers);

    // For CreateDirectoryW / CreateFileW; nothing when the descriptor could not be built
    // (a caller must then not create the object).
    [[nodiscard]] SECURITY_ATTRIBUTES* Attributes();
    // Replaces owner and access list of the object, opened with WRITE_DAC | WRITE_OWNER.
    [[nodiscard]] bool ApplyTo(HANDLE object) const;

private:
    UniqueLocal m_descriptor;
    SECURITY_ATTRIBUTES m_attributes{};
};

// True when the object's owner is SYSTEM, Administrators or the Windows installer
// service, or whoever owns the open folder it lies in: that owner can replace the whole
// folder already, so trusting it gives nobody anything new.
[[nodiscard]] bool OwnedByAdministratorsOrOwnerOf(HANDLE object, HANDLE parent);

enum class ChangeScope {
    Contents,  // a file, or the folder it lies in: writing, adding or deleting anything
    Entries,   // a folder further up: renaming or deleting what it holds, or itself
};

// True when only those accounts own the object and hold rights on it that change it
// within the scope (or its access list or owner); what cannot be read is not trusted.
[[nodiscard]] bool OnlyAdministratorsCanChange(HANDLE object, ChangeScope scope);
