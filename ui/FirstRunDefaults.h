#pragma once
// The settings a first run stores: every switchable setting that is missing takes its
// default from the settings table. Values already stored stay, a stored "false" too.

#include "ui/SettingsService.h"

#include <string>

// The stored text of the setting, or its default, stored now, when it is missing.
[[nodiscard]] std::wstring ReadOrStoreDefault(ISettingsService& settings, Setting setting);

// Stores the default of every missing switchable setting. A start-with-Windows setting
// that takes its default "true" writes the Run value too; one already stored leaves the
// Run value alone.
void WriteFirstRunDefaults(ISettingsService& settings);
