#pragma once
// The console driver's "scan" command: its arguments, and the two renderings of a
// problem list it writes (problem lines or a JSON array), as UTF-8 bytes.

#include "core/ProblemRecord.h"
#include "core/ScanSections.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ScanOptions {
    std::array<std::uint8_t, kSectionCount> sections{};  // byte n non-zero: scan section n
    bool noPause = false;
    bool json = false;
};

// "all", "none" (the driver's start-up and nothing else) or comma-separated section
// numbers 0..11 (no blanks, no empty items, repeats allowed). False for anything else; sections is then unchanged.
[[nodiscard]] bool ParseSectionList(std::wstring_view list, std::array<std::uint8_t, kSectionCount>& sections);

// Parses the arguments that follow "scan": --sections LIST (or --sections=LIST,
// default all), --no-pause, --json. Returns an error text, empty on success.
[[nodiscard]] std::wstring ParseScanArguments(const std::vector<std::wstring>& args, ScanOptions& options);

[[nodiscard]] std::string CliUsage();

// Every problem as its problem line, in list order, UTF-8.
[[nodiscard]] std::string ProblemLinesUtf8(const CErrorListEx& problems);
// A JSON array of objects with the fields errorType, section, subject, reason,
// summary, listOnly, hive, type, subKey, valueName, valueData, tag; UTF-8. A lone
// surrogate is written as a \u escape, so no code unit is lost.
[[nodiscard]] std::string ProblemsJson(const CErrorListEx& problems);
// "<number> <name>: <found>" for each selected section, then "total: <found>".
[[nodiscard]] std::string SectionCountsText(const std::array<std::uint8_t, kSectionCount>& sections,
                                            const SectionCounters& counters);
