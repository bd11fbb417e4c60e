#pragma once
// The two text forms of a system snapshot: the plain form the user reads and the marked
// form sent with a log. Both are built from the same gathered facts in one pass, so they
// always list the same things in the same order.

#include "core/ArrayEx.h"

#include <cstdint>
#include <string>
#include <vector>

struct SnapshotProcess {
    std::wstring path;
    std::int32_t size = -1;  // the program file's length; -1 when it could not be opened
    std::wstring md5;        // 32 lower-case hex digits; empty when the file could not be read
};

struct SnapshotFacts {
    std::vector<SnapshotProcess> processes;
    // Lines "<b>[name]</b>, data\r\n" of the Run keys of the machine and of the user.
    CStringArrayEx machineRun;
    CStringArrayEx userRun;
    // Browser helper object subkey names, each followed by CR LF.
    CStringArrayEx helperObjects;
};

struct SnapshotForms {
    std::wstring plain;
    std::wstring marked;
};

// Every heading comes with an empty line before it, also when its section has no lines.
[[nodiscard]] SnapshotForms FormatSnapshot(const SnapshotFacts& facts);
