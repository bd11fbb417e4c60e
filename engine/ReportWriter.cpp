#include "engine/ReportWriter.h"

#include "core/ScanReport.h"
#include "core/Utf16Text.h"
#include "engine/LocalTime.h"
#include "framework/File.h"

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
    const CalendarTime now = LocalCalendarTime();
    const std::wstring path = base + L"\\Velmora\\" + ReportFileName(productVersion, now);
    const std::wstring page = BuildScanReport(ScanReportHead{productVersion, releaseDate, now}, problems);
    // Replaced in one move: a report cut short by a full disk never appears.
    if (!CFile::ReplaceAtomically(path, utf16::ToUtf8(page)))
        return false;
    reportPath = path;
    return true;
}

void OpenReportFolderInShell()
{
    const std::wstring base = CommonAppDataFolder();
    if (base.empty())
        return;
    const std::wstring folder = base + L"\\Velmora";
    ::ShellExecuteW(nullptr, L"open", folder.c_str(), L"", L"", SW_SHOW);
}
