#pragma once
// What the windows ask of the program's settings and of its start-with-Windows entry. The
// program's is CSystemSettings; the window tests give their own.

#include "core/ScheduleText.h"
#include "core/SettingsTable.h"

#include <string>

class ISettingsService {
public:
    virtual ~ISettingsService() = default;
    // The stored text; empty when missing.
    [[nodiscard]] virtual std::wstring ReadSetting(const std::wstring& name) const = 0;
    virtual void WriteSetting(const std::wstring& name, const std::wstring& text) = 0;
    // The machine's Run value "Velmora" is there and not empty.
    [[nodiscard]] virtual bool HasStartWithWindowsEntry() const = 0;
    // Writes the Run value (the program's path, quoted) or deletes it.
    virtual void SetStartWithWindowsEntry(bool on) = 0;
    // False when there is no task or the scheduler cannot be reached (setting unchanged).
    [[nodiscard]] virtual bool GetScanSchedule(ScanScheduleSetting& setting) const = 0;
    // False when the schedule could not be stored.
    [[nodiscard]] virtual bool SetScanSchedule(const ScanScheduleSetting& setting) = 0;
    virtual void OpenReportFolder() = 0;
};

[[nodiscard]] inline bool IsSettingOn(const ISettingsService& settings, Setting setting)
{
    return IsOnText(settings.ReadSetting(SettingName(setting)));
}
