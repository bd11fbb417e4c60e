#pragma once
// The program's settings, its start-with-Windows entry and the other Run entries in the
// registry, the scheduled scan and the report folder, as the main window, the settings
// window and the startup manager see them.

#include "ui/ManageStartupDialog.h"
#include "ui/SettingsService.h"

class CCorvaneEngine;

class CSystemSettings final : public ISettingsService, public IStartupService {
public:
    // The engine (the scheduled scan, the backup folder) must outlive this object.
    explicit CSystemSettings(CCorvaneEngine& engine) : m_engine(engine) {}

    std::wstring ReadSetting(const std::wstring& name) const override;
    void WriteSetting(const std::wstring& name, const std::wstring& text) override;
    bool HasStartWithWindowsEntry() const override;
    void SetStartWithWindowsEntry(bool on) override;
    bool GetScanSchedule(ScanScheduleSetting& setting) const override;
    bool SetScanSchedule(const ScanScheduleSetting& setting) override;
    void OpenReportFolder() override;

    CRegistryItemListEx GetStartupEntries() const override;
    StartupRemoval RemoveStartupEntry(std::size_t position, const CRegistryItem& shown) override;

private:
    CCorvaneEngine& m_engine;
};
