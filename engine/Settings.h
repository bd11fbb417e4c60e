#pragma once
// The program's settings: REG_SZ values under HKEY_LOCAL_MACHINE\Software\Velmora.
// On/off settings hold the texts "true" and "false"; a missing value reads as empty.

#include <string>

inline constexpr wchar_t kSettingsKey[] = L"Software\\Velmora";

// The value's text; empty when the key or value is missing or unreadable.
[[nodiscard]] std::wstring ReadSetting(const std::wstring& name);
// Writes the text as REG_SZ, creating the key when missing; false when it cannot.
[[nodiscard]] bool WriteSetting(const std::wstring& name, const std::wstring& text);
