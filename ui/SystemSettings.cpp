#include "ui/SystemSettings.h"

#include "engine/CorvaneEngine.h"
#include "engine/Registry.h"
#include "engine/ReportWriter.h"
#include "engine/Settings.h"
#include "engine/StartupEntries.h"

std::wstring CSystemSettings::ReadSetting(const std::wstring& name) const { return ::ReadSetting(name); }

void CSystemSettings::WriteSetting(const std::wstring& name, const std::wstring& text)
{
    static_cast<void>(::WriteSetting(name, text));
}

bool CSystemSettings::HasStartWithWindowsEntry() const
{
    return !RegReadString(HKEY_LOCAL_MACHINE, kStartupRunKey, kProgramRunValue).empty();
}

void CSystemSettings::SetStartWithWindowsEntry(bool on)
{
    if (on)
        static_cast<void>(RegWriteString(HKEY_LOCAL_MACHINE, kStartupRunKey, kProgramRunValue, ProgramRunCommand()));
    else
        static_cast<void>(RegDeleteValueAt(HKEY_LOCAL_MACHINE, kStartupRunKey, kProgramRunValue));
}

bool CSystemSettings::GetScanSchedule(ScanScheduleSetting& setting) const
{
    return m_engine.LookupScanSchedule(setting) == ScheduleLookup::Found;
}

bool CSystemSettings::SetScanSchedule(const ScanScheduleSetting& setting) { return m_engine.SetScanSchedule(setting); }
void CSystemSettings::OpenReportFolder() { OpenReportFolderInShell(); }

CRegistryItemListEx CSystemSettings::GetStartupEntries() const { return ReadStartupEntries(); }

StartupRemoval CSystemSettings::RemoveStartupEntry(std::size_t position, const CRegistryItem& shown)
{
    return CStartupEntries(m_engine.BackupFolder()).Remove(position, shown);
}
