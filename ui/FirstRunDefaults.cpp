#include "ui/FirstRunDefaults.h"

std::wstring ReadOrStoreDefault(ISettingsService& settings, Setting setting)
{
    const SettingEntry& entry = SettingEntryOf(setting);
    std::wstring text = settings.ReadSetting(entry.name);
    if (text.empty() && entry.firstRunDefault) {
        text = entry.firstRunDefault;
        settings.WriteSetting(entry.name, text);
    }
    return text;
}

void WriteFirstRunDefaults(ISettingsService& settings)
{
    for (const SettingEntry& entry : kSettingsTable) {
        if (!entry.firstRunDefault || !settings.ReadSetting(entry.name).empty())
            continue;
        settings.WriteSetting(entry.name, entry.firstRunDefault);
        if (entry.setting == Setting::StartWithWindows && IsOnText(entry.firstRunDefault))
            settings.SetStartWithWindowsEntry(true);
    }
}
