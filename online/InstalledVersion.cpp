#include "online/InstalledVersion.h"

#include "core/UpdateText.h"
#include "engine/Registry.h"
#include "engine/Settings.h"

#include <windows.h>

namespace {

bool IsSameFolder(std::wstring a, std::wstring b)
{
    for (std::wstring* path : {&a, &b})
        while (!path->empty() && path->back() == L'\\')
            path->pop_back();
    return !a.empty() && ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring HighestInstalledVersion() { return ReadSetting(kHighestInstalledSetting); }

void RecordInstalledVersion(const std::wstring& programPath, const std::wstring& version)
{
    const std::wstring highest = HighestInstalledVersion();
    if (!IsVersionText(highest) || CompareVersions(version, highest) > 0)
        (void)WriteSetting(kHighestInstalledSetting, version);
    // A copy run from elsewhere (a build folder) is not the installed program.
    const std::wstring folder = programPath.substr(0, programPath.rfind(L'\\'));
    if (RegKeyExists(kUninstallKey, HKEY_LOCAL_MACHINE) &&
        IsSameFolder(RegReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation"), folder))
        RegWriteString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", version);
}
