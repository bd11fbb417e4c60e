#pragma once
// The program's settings: REG_SZ values under HKEY_LOCAL_MACHINE\Software\Velmora, each
// with its name and, for the ones the user switches on and off, the text a first run
// stores. Every reader and writer of a setting names it through this table.

#include <array>
#include <cstddef>
#include <string_view>

enum class Setting {
    StartWithWindows,
    ScanAtStartup,
    HideToTrayOnClose,
    AutoUpdates,
    UnresolvedCount,
    LastScanDate,
};

inline constexpr wchar_t kSettingOn[] = L"true";
inline constexpr wchar_t kSettingOff[] = L"false";

struct SettingEntry {
    Setting setting;
    const wchar_t* name;
    // Null for the settings the program keeps for itself.
    const wchar_t* firstRunDefault;
};

// In the order of Setting.
inline constexpr std::array<SettingEntry, 6> kSettingsTable = {{
    {Setting::StartWithWindows, L"StartWithWindows", kSettingOn},
    {Setting::ScanAtStartup, L"StartScanAtProgramStartup", kSettingOff},
    {Setting::HideToTrayOnClose, L"ShowInTaskbarOnClose", kSettingOn},
    {Setting::AutoUpdates, L"AllowAutoUpdates", kSettingOff},
    {Setting::UnresolvedCount, L"IgnoredErrorsCount", nullptr},
    {Setting::LastScanDate, L"LastScanDate", nullptr},
}};
static_assert(
    [] {
        for (std::size_t i = 0; i < kSettingsTable.size(); ++i)
            if (static_cast<std::size_t>(kSettingsTable[i].setting) != i)
                return false;
        return true;
    }(),
    "the table lists the settings in the order of Setting");

[[nodiscard]] constexpr const SettingEntry& SettingEntryOf(Setting setting)
{
    return kSettingsTable[static_cast<std::size_t>(setting)];
}
[[nodiscard]] constexpr const wchar_t* SettingName(Setting setting) { return SettingEntryOf(setting).name; }
[[nodiscard]] constexpr const wchar_t* OnOffText(bool on) { return on ? kSettingOn : kSettingOff; }
[[nodiscard]] constexpr bool IsOnText(std::wstring_view text) { return text == kSettingOn; }
