#pragma once
// What this machine records about the versions it installed: the highest version a
// self-update ever put in place (the setting "HighestInstalledVersion", so that an update
// never goes back to an older release, even after the program file was put back by
// hand), and the version the installed-programs entry of the setup program shows.

#include <string>

inline constexpr wchar_t kHighestInstalledSetting[] = L"HighestInstalledVersion";
// The installed-programs entry the setup program writes (installer/Velmora.nsi).
inline constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";

// Empty when no self-update ever completed here.
[[nodiscard]] std::wstring HighestInstalledVersion();
// After programPath was replaced by version: raises the highest installed version and,
// when the setup program's entry names programPath's folder as its installation, updates
// the version it shows.
void RecordInstalledVersion(const std::wstring& programPath, const std::wstring& version);
