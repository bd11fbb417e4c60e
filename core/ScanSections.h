#pragma once
// The twelve scan sections: numbers, display names, tooltips, list-only flags, and
// the per-section counters shared between a worker and the user-interface thread.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

enum ScanSection : int {
    ActiveX = 0,
    AppPaths = 1,
    SoundFiles = 2,
    HelpFiles = 3,
    WindowsStartup = 4,
    SystemPrograms = 5,
    SharedDlls = 6,
    EmptyKeys = 7,
    SystemDrivers = 8,
    UninstallFiles = 9,
    WindowsFonts = 10,
    ProgramShortcuts = 11,
};

inline constexpr int kSectionCount = 12;

// Display name of a section; empty text for a number outside 0..11.
[[nodiscard]] std::wstring SectionName(int section);
// Tooltip of the section's check box; empty text outside 0..11.
[[nodiscard]] std::wstring SectionDescription(int section);
// Whether a repair of the section's problems only lists them as repaired; false outside 0..11.
[[nodiscard]] bool SectionListOnly(int section);

// One section's counters. A worker writes them while the user-interface thread reads,
// hence atomics; they are never decremented.
struct SectionCounter {
    std::atomic<std::int32_t> Found{0};
    std::atomic<std::int32_t> Repaired{0};
    std::atomic<std::int32_t> Ignored{0};
};

using SectionCounters = std::array<SectionCounter, kSectionCount>;

void ResetCounters(SectionCounters& counters);
