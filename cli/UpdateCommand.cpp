#include "cli/UpdateCommand.h"

#include "cli/ConsoleOutput.h"
#include "core/UpdateText.h"
#include "engine/FileSystem.h"
#include "engine/VersionInfo.h"
#include "framework/Pacing.h"
#include "online/AutoFindNewVersion.h"
#include "online/DownloadAppNewVersion.h"

namespace {

constexpr DWORD kProgressIntervalMilliseconds = 200;

int Download(const std::wstring& program, const std::wstring& own, const std::wstring& served)
{
    CDownloadAppNewVersion download(nullptr, program, own);
    if (!download.Start()) {
        PrintError(L"the download thread cannot be started");
        return kExitFailed;
    }
    std::uint64_t shown = 0;
    const auto showProgress = [&] {
        if (download.BytesWritten() == shown)
            return;
        shown = download.BytesWritten();
        PrintLine(L"downloaded " + KilobytesText(shown) + L" of " + KilobytesText(download.ExpectedSize()));
    };
    while (::WaitForSingleObject(download.GetThreadHandle(), kProgressIntervalMilliseconds) == WAIT_TIMEOUT)
        showProgress();
    showProgress();
    if (download.Result() != CDownloadAppNewVersion::Outcome::Installed) {
        PrintError(L"the update failed; " + program + L" is unchanged");
        return kExitFailed;
    }
    PrintLine(L"updated " + program + L" to " + served);
    return kExitOk;
}

}  // namespace

std::string UpdateCommandUsage()
{
    return "\r\n"
           "Self-update:\r\n"
           "  velmora-cli update [--check] [--no-pause]\r\n"
           "\r\n"
           "  update    prints the version of Velmora.exe beside the driver and the served one;\r\n"
           "            when the served one is newer, downloads the served program and replaces\r\n"
           "            that Velmora.exe (--check: compare only)\r\n";
}

int RunUpdateCommand(const std::vector<std::wstring>& args)
{
    bool checkOnly = false;
    for (const std::wstring& arg : args) {
        if (arg == L"--check") {
            checkOnly = true;
        } else if (arg == L"--no-pause") {
            SetPacingEnabled(false);
        } else {
            PrintError(L"unknown argument: " + arg);
            WriteBytes(STD_ERROR_HANDLE, UpdateCommandUsage());
            return kExitUsage;
        }
    }
    const std::wstring program = GetModuleFolder() + L"\\Velmora.exe";
    if (!FileExists(program)) {
        PrintError(L"there is no program to update: " + program);
        return kExitFailed;
    }
    CAutoFindNewVersion check(nullptr, CVersionInfo(program).GetString(L"ProductVersion"));
    if (!check.Start()) {
        PrintError(L"the check thread cannot be started");
        return kExitFailed;
    }
    check.RequestCheck();
    ::WaitForSingleObject(check.GetThreadHandle(), INFINITE);
    PrintLine(L"installed: " + check.OwnVersion());
    if (check.Result() == CAutoFindNewVersion::Outcome::Failed) {
        PrintError(L"the update server gave no version");
        return kExitFailed;
    }
    PrintLine(L"served: " + check.ServedVersion());
    if (check.Result() == CAutoFindNewVersion::Outcome::NoNewVersion) {
        PrintLine(L"up to date");
        return kExitOk;
    }
    if (checkOnly) {
        PrintLine(L"a new version is available");
        return kExitOk;
    }
    return Download(program, check.OwnVersion(), check.ServedVersion());
}
