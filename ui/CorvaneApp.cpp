#include "ui/CorvaneApp.h"

#include "engine/CorvaneEngine.h"
#include "engine/FileSystem.h"
#include "engine/UserAccount.h"
#include "online/LogSubmission.h"
#include "online/UpdateWorkers.h"
#include "ui/ManageStartupDialog.h"
#include "ui/EngineServices.h"
#include "ui/OnlineServices.h"
#include "ui/Prompts.h"
#include "ui/ScanDialog.h"
#include "ui/ScanProgressDialog.h"
#include "ui/ScanResultsDialog.h"
#include "ui/SettingsDialog.h"
#include "ui/SystemSettings.h"

#include <commctrl.h>
#include <shellapi.h>

#include <utility>

namespace {

constexpr wchar_t kScanArgument[] = L"-scan";
// How long a second instance waits for the first one's window or end: a start takes a
// second or two, an end less.
constexpr int kInstanceLooks = 100;
constexpr DWORD kInstanceLookMs = 100;

// What GetVersionExW reports; all zero when it fails.
OSVERSIONINFOW WindowsVersion()
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return ::GetVersionExW(&version) ? version : OSVERSIONINFOW{};
}

// The helper beside the program asks this process to end, waits for it, then starts the
// new program file.
void StartRestartHelper()
{
    const std::wstring folder = GetModuleFolder();
    const std::wstring helper = folder + L"\\rebooter.exe";
    ::ShellExecuteW(nullptr, L"open", helper.c_str(), nullptr, folder.c_str(), SW_SHOW);
}

template <typename Dialog, typename Service>
void ShowModal(Service& service, HWND owner)
{
    Dialog dialog(service);
    dialog.DoModal(owner);
}

// For the windows that show a worker's work: its messages come to the main window first,
// which passes them on while the window is open.
template <typename Dialog, typename Service>
void ShowRouted(CMessageForwarder& forwarder, WorkWindow role, Service& service, HWND owner)
{
    Dialog dialog(service);
    const CForwardingScope routed(forwarder, role, dialog);
    dialog.DoModal(owner);
}

// The capabilities the main window's links hand out; each must outlive the main window.
struct ProgramCapabilities {
    CEngineServices& engineServices;
    CSystemSettings& settings;
    COnlineServices& online;
};

MainWindowLinks ProgramLinks(CScanDialog& mainWindow, const ProgramCapabilities& program)
{
    CMessageForwarder& forwarder = mainWindow.Forwarder();
    CEngineServices& engineServices = program.engineServices;
    CSystemSettings& settings = program.settings;
    COnlineServices& online = program.online;
    MainWindowLinks links;
    links.showScanResults = [&mainWindow, &forwarder, &engineServices](HWND owner) {
        CScanResultsDialog results(engineServices);
        ResultsWindowLinks resultLinks;
        resultLinks.refreshProblemCount = [&mainWindow] { mainWindow.RefreshProblemCount(); };
        resultLinks.showRepair = [&forwarder, &engineServices](HWND resultsWindow) {
            ShowRouted<CRepairErrorsDialog>(forwarder, WorkWindow::Repair, engineServices, resultsWindow);
        };
        results.SetLinks(std::move(resultLinks));
        results.DoModal(owner);
    };
    links.showRestore = [&forwarder, &engineServices](HWND owner) {
        ShowRouted<CRestoreBackupsDialog>(forwarder, WorkWindow::Restore, engineServices, owner);
    };
    links.showSettings = [&settings](HWND owner) { ShowModal<CSettingsDialog>(settings, owner); };
    links.showStartupManager = [&settings](HWND owner) { ShowModal<CManageStartupDialog>(settings, owner); };
    links.showSendLog = [&online](HWND owner) { ShowModal<CSendLogDialog>(online, owner); };
    links.showCustomSolution = [&online](HWND owner) { ShowModal<CCustomSolnDialog>(online, owner); };
    links.downloadUpdate = [&mainWindow, &forwarder, &online](HWND owner) {
        if (!online.StartUpdateDownload(mainWindow.GetSafeHwnd())) {
            ShowPrompt(owner, kUpdateFailed, kProductTitle, MB_OK);
            return;
        }
        ShowRouted<CDownloadDialog>(forwarder, WorkWindow::Download, online, owner);
    };
    links.startUpdateCheck = [&mainWindow, &online] {
        static_cast<void>(online.StartUpdateCheck(mainWindow.GetSafeHwnd()));
    };
    links.restartAfterUpdate = &StartRestartHelper;
    links.hasPendingLog = &HasPendingLog;
    links.stopWorkBeforeEnd = [&engineServices, &online] {
        engineServices.StopRepair();
        online.StopDownload();
    };
    return links;
}

// The system's answers, and the program's main window.
class CSystemStartupHost final : public IStartupHost {
public:
    explicit CSystemStartupHost(UniqueHandle& instanceMutex) : m_instanceMutex(instanceMutex) {}

    bool IsVistaOrLater() override { return CCorvaneApp::IsVistaOrLater(); }
    bool IsProcessElevated() override { return CCorvaneApp::IsProcessElevated(); }
    void RelaunchElevated(const std::wstring& parameters) override { CCorvaneApp::RelaunchElevated(parameters); }

    bool AnotherInstanceRuns() override
    {
        const std::wstring name = SingleInstanceMutexName(WindowsVersion().dwMajorVersion, LoggedOnUserName());
        m_instanceMutex.reset(::CreateMutexW(nullptr, TRUE, name.c_str()));
        // Without a mutex there is nothing to tell; the program then runs as the first.
        return m_instanceMutex && !WaitForOtherInstanceToEnd(0);
    }

    bool BringFirstInstanceToFront() override
    {
        const HWND first = ::FindWindowW(nullptr, CScanDialog::kTitle);
        if (!first)
            return false;
        ::ShowWindow(first, SW_SHOW);
        ::ShowWindow(first, SW_RESTORE);
        ::SetForegroundWindow(first);
        return true;
    }

    bool WaitForOtherInstanceToEnd(DWORD milliseconds) override
    {
        // An abandoned mutex is ours too: its holder ended without giving it up, as every
        // instance does when it ends through ExitProcess.
        const DWORD waited = ::WaitForSingleObject(m_instanceMutex.get(), milliseconds);
        return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }

    void RunMainWindow(bool scanAtStart) override
    {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof(controls);
        controls.dwICC = 0xFF;
        ::InitCommonControlsEx(&controls);
        // Every capability is made once, here, and each window gets the part it uses.
        const ComInitializer com;
        CCorvaneEngine engine;
        CUpdateWorkers updates(engine.ProductVersion(), GetModulePath());
        CEngineServices engineServices(engine);
        CSystemSettings settings(engine);
        COnlineServices online(engine.ProductVersion(), engine.BackupFolder(), updates);
        CScanProgressDialog progress(engineServices);
        CScanDialog mainWindow(scanAtStart,
                               {engineServices, settings, progress, engine.ProductVersion(), engine.ReleaseDate()});
        mainWindow.SetLinks(ProgramLinks(mainWindow, {engineServices, settings, online}));
        mainWindow.DoModal();
    }

private:
    UniqueHandle& m_instanceMutex;
};

// True when the other instance ended before its window was found: this one is the first
// now. A launch that meets an instance still starting (no window yet) or already ending
// (window gone, process not) would otherwise end with nothing shown.
bool OtherInstanceEnded(IStartupHost& host)
{
    for (int look = 0; look < kInstanceLooks; ++look) {
        if (host.BringFirstInstanceToFront())
            return false;
        if (host.WaitForOtherInstanceToEnd(kInstanceLookMs))
            return true;
    }
    return false;
}

}  // namespace

bool IsScanCommandLine(std::wstring_view commandLine) { return commandLine == kScanArgument; }

std::wstring SingleInstanceMutexName(DWORD majorVersion, const std::wstring& userName)
{
    // Windows NT 4 has no "Global\" namespace.
    if (majorVersion == 4)
        return L"MutexCorvane";
    return L"Global\\MutexCorvane" + userName;
}

void RunStartup(std::wstring_view commandLine, IStartupHost& host)
{
    if (host.AnotherInstanceRuns()) {
        // The elevated copy does the waiting; this one only asks for it.
        if (host.IsVistaOrLater() && !host.IsProcessElevated()) {
            host.RelaunchElevated(L"");
            static_cast<void>(host.BringFirstInstanceToFront());
            return;
        }
        if (!OtherInstanceEnded(host))
            return;
    }
    const bool scanAtStart = IsScanCommandLine(commandLine);
    if (host.IsVistaOrLater() && !host.IsProcessElevated()) {
        host.RelaunchElevated(scanAtStart ? kScanArgument : L"");
        return;
    }
    host.RunMainWindow(scanAtStart);
}

CCorvaneApp::CCorvaneApp(std::wstring commandLine) : m_commandLine(std::move(commandLine)) {}

bool CCorvaneApp::InitInstance()
{
    CSystemStartupHost host(m_instanceMutex);
    RunStartup(m_commandLine, host);
    return false;
}

bool CCorvaneApp::IsVistaOrLater()
{
    const OSVERSIONINFOW version = WindowsVersion();
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 5;
}

bool CCorvaneApp::IsProcessElevated()
{
    UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return true;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated != 0;
}

void CCorvaneApp::RelaunchElevated(const std::wstring& parameters)
{
    wchar_t program[1024] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, program, 1024);
    if (length == 0 || length >= 1024)
        return;
    // The wide call: a program path with characters outside the system code page would
    // not survive the conversion an 8-bit call needs.
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof(execute);
    execute.lpVerb = L"runas";
    execute.lpFile = program;
    execute.lpParameters = parameters.c_str();
    execute.lpDirectory = L"";
    execute.nShow = SW_SHOWNORMAL;
    ::ShellExecuteExW(&execute);
}
