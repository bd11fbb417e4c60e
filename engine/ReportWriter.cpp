#include "engine/ReportWriter.h"

#include "core/ScanReport.h"
#include "core/Utf16Text.h"
#include "engine/AccessRules.h"
#include "engine/HandleFiles.h"
#include "engine/LocalTime.h"

#include <shellapi.h>
#include <shlobj.h>

std::wstring CommonAppDataFolder()
{
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    return folder;
}

bool WriteScanReportFile(const std::wstring& productVersion, const std::wstring& releaseDate,
                         const CErrorListEx& problems, std::wstring& baseFolder, std::wstring& reportPath)
{
    const std::wstring base = CommonAppDataFolder();
    if (base.empty())
        return false;
    baseFolder = base;
    const std::wstring folderPath = base + L"\\Velmora";
    const UniqueHandle folder = OpenReportFolder(base);
    if (!folder)
        return false;
    const CalendarTime now = LocalCalendarTime();
    const std::wstring name = ReportFileName(productVersion, now);
    const std::wstring page = BuildScanReport(ScanReportHead{productVersion, releaseDate, now}, problems);
    // Replaced in one move: a report cut short by a full disk never appears.
    if (!ReplaceFileInFolder(folder.get(), name, utf16::ToUtf8(page)))
        return false;
    reportPath = folderPath + L"\\" + name;
    return true;
}

UniqueHandle OpenReportFolder(const std::wstring& base)
{
    CAdministratorsOnly security(ReadersToo::Users);
    const UniqueHandle parent = OpenFolderByHandles(base, false);
    if (!parent || !security.Attributes())
        return UniqueHandle();
    UniqueHandle folder = OpenFolderEntry(parent.get(), L"Velmora", true, security.Attributes());
    // Whoever owns the folder may change what it holds and where it leads.
    if (!folder || !OwnedByAdministratorsOrOwnerOf(folder.get(), parent.get()))
        return UniqueHandle();
    return folder;
}

void OpenReportFolderInShell()
{
    const std::wstring base = CommonAppDataFolder();
    if (base.empty())
        return;
    const std::wstring folder = base + L"\\Velmora";
    ::ShellExecuteW(nullptr, L"open", folder.c_str(), L"", L"", SW_SHOW);
}
