#include "engine/Settings.h"

#include "engine/Registry.h"

std::wstring ReadSetting(const std::wstring& name) { return RegReadString(HKEY_LOCAL_MACHINE, kSettingsKey, name); }

bool WriteSetting(const std::wstring& name, const std::wstring& text)
{
    return RegWriteString(HKEY_LOCAL_MACHINE, kSettingsKey, name, text);
}
