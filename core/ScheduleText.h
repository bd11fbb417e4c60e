#pragma once
// The scheduled scan as the console driver reads and prints it:
//   none | daily HH:MM | weekly HH:MM DAYMASK
// DAYMASK is the Task Scheduler day mask (Sunday 1, Monday 2, ... Saturday 64), in
// decimal or with "0x" in hexadecimal, 1..127.

#include <cstdint>
#include <string>
#include <vector>

enum ScheduleKind : int {
    ScheduleNone = 0,
    ScheduleDaily = 1,   // TASK_TIME_TRIGGER_DAILY
    ScheduleWeekly = 2,  // TASK_TIME_TRIGGER_WEEKLY
};

struct ScanScheduleSetting {
    int kind = ScheduleNone;  // a trigger of another type keeps its Task Scheduler number
    int hour = 0;
    int minute = 0;
    std::uint16_t daysOfWeek = 0;  // weekly only
};

inline constexpr std::uint16_t kAllDaysOfWeek = 0x7F;

// Parses the words after "schedule". False (setting unchanged) for anything but the
// three forms above with hour 0..23, minute 0..59 (two digits each, "7:05" also
// accepted) and a day mask 1..127.
[[nodiscard]] bool ParseScheduleWords(const std::vector<std::wstring>& words, ScanScheduleSetting& setting);

// "none", "daily HH:MM", "weekly HH:MM MASK" (mask in decimal); another trigger type
// as "other TYPE HH:MM".
[[nodiscard]] std::string FormatScheduleSetting(const ScanScheduleSetting& setting);
