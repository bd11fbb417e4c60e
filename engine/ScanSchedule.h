#pragma once
// The scheduled scan: a Task Scheduler 1.0 task that starts the program with "-scan",
// with at most one daily or weekly trigger.

#include "core/ScheduleText.h"

#include <string>

// What a newly created task runs; an existing task keeps what it has.
struct ScanScheduleTask {
    std::wstring taskName;     // "Velmora"
    std::wstring accountName;  // the user's name
    std::wstring application;  // the program's full path
    std::wstring parameters;   // "-scan"
};

enum class ScheduleLookup {
    Found,        // the task exists; setting describes its trigger (kind none without one)
    NoTask,       // the scheduler answers, the task does not exist
    Unavailable,  // the scheduler cannot be reached (its service does not run)
};

// Creates the task when missing and gives it the setting: kind daily or weekly sets
// its one trigger (starting 1 January 1999 at hour:minute; weekly on the day mask),
// kind none removes its triggers and keeps the task. True only when the task was
// saved. False, with nothing changed, for a setting out of range (hour 0..23, minute
// 0..59, weekly day mask 1..127, kind 0..2), and false when the scheduler is
// unavailable or refuses a step.
[[nodiscard]] bool SetScanScheduleTask(const ScanScheduleTask& task, const ScanScheduleSetting& setting);

// Reads the task's first trigger: its type as kind, start time and day mask. A disabled
// trigger, like no trigger, reads as kind none.
[[nodiscard]] ScheduleLookup GetScanScheduleTask(const std::wstring& taskName, ScanScheduleSetting& setting);

// Deletes the task (the program's uninstaller does, through the console driver). True
// when it is gone, also when there was none; false when the scheduler is unavailable or
// refuses.
[[nodiscard]] bool RemoveScanScheduleTask(const std::wstring& taskName);
