#pragma once
// The console driver's engine-service commands: repair, backups, restore, report,
// ignored and schedule. Their arguments, usage text and the counts the repair prints.

#include "core/ScanSections.h"
#include "core/ScheduleText.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class ServiceCommand { Repair, Backups, Restore, Report, Ignored, Schedule };

struct ServiceOptions {
    ServiceCommand command = ServiceCommand::Repair;
    std::array<std::uint8_t, kSectionCount> sections{};  // repair and report: what to scan
    bool noPause = false;
    std::wstring file;                 // restore: the backup file
    bool scheduleGiven = false;        // schedule: false prints the current one
    ScanScheduleSetting schedule;      // schedule: the new one when given
    bool scheduleRemove = false;       // schedule remove: delete the task
};

// True for the names of the commands above.
[[nodiscard]] bool IsServiceCommand(const std::wstring& name);

// Parses the arguments after the command name. Every command takes --no-pause;
// repair and report take --sections LIST (or --sections=LIST, default all); restore
// takes exactly one file; schedule takes nothing, one of its three forms or "remove". Returns
// an error text, empty on success.
[[nodiscard]] std::wstring ParseServiceArguments(const std::wstring& command, const std::vector<std::wstring>& args,
                                                 ServiceOptions& options);

// The usage lines of these commands (appended to the scan command's usage).
[[nodiscard]] std::string ServiceCommandsUsage();

// "<number> <name>: found F, repaired R" for each selected section, then
// "total: found F, repaired R".
[[nodiscard]] std::string RepairCountsText(const std::array<std::uint8_t, kSectionCount>& sections,
                                           const SectionCounters& counters);
