#include "ui/CorvaneApp.h"

#include "engine/CorvaneEngine.h"
#include "engine/FileSystem.h"
#include "online/UpdateWorkers.h"
#include "ui/DownloadDialog.h"
#include "ui/ScanDialog.h"
#include "ui/ScanProgressDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <utility>

namespace {

constexpr wchar_t kScanArgument[] = L"-scan";

std::wstring LoggedOnUserName()
{
    wchar_t name[80] = {};
    DWORD chars = 80;
    return ::GetUserNameW(name, &chars) ? std::wstring(name) : std::wstring();
}

DWORD WindowsMajorVersion()
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return ::GetVersionExW(&version) ? version.dwMajorVersion : 0;
}

// The system's answers, and the program's main window.
class CSystemStartupHost final : public IStartupHost {
public:
    CSystemStartupHost(CWinApp& application, UniqueHandle& instanceMutex)
        : m_application(application), m_instanceMutex(instanceMutex)
    {
    }

    bool IsVistaOrLater() override { return CCorvaneApp::IsVistaOrLater(); }
    bool IsProcessElevated() override { return CCorvaneApp::IsProcessElevated(); }
    void RelaunchElevated(const std::wstring& parameters) override { CCorvaneApp::RelaunchElevated(parameters); }

    bool AnotherInstanceRuns() override
    {
        const std::wstring name = SingleInstanceMutexName(WindowsMajorVersion(), LoggedOnUserName());
        m_instanceMutex.reset(::CreateMutexW(nullptr, TRUE, name.c_str()));
        // Without a mutex there is nothing to tell; the program then runs as the first.
        return m_instanceMutex && ::WaitForSingleObject(m_instanceMutex.get(), 0) != WAIT_OBJECT_0;
    }

    void BringFirstInstanceToFront() override
    {
        const HWND first = ::FindWindowW(nullptr, CScanDialog::kTitle);
        if (!first)
            return;
        ::ShowWindow(first, SW_SHOW);
        ::ShowWindow(first, SW_RESTORE);
        ::SetForegroundWindow(first);
    }

    void RunMainWindow(bool scanAtStart) override
    {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof(controls);
        controls.dwICC = 0xFF;
        ::InitCommonControlsEx(&controls);
        // The shared windows exist before the main window can open any of them.
        static_cast<void>(CScanProgressDialog::Instance());
        static_cast<void>(CDownloadDialog::Instance());
        CCorvaneEngine& engine = CCorvaneEngine::Instance();
        engine.SetUpdateWorkers(std::make_unique<CUpdateWorkers>(engine.ProductVersion(), GetModulePath()));
        ComInitializer com;
        CScanDialog mainWindow(scanAtStart);
        m_application.m_pMainWnd = &mainWindow;
        mainWindow.DoModal();
        m_application.m_pMainWnd = nullptr;
    }

private:
    CWinApp& m_application;
    UniqueHandle& m_instanceMutex;
};

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
        if (host.IsVistaOrLater() && !host.IsProcessElevated())
            host.RelaunchElevated(L"");
        host.BringFirstInstanceToFront();
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
    // The mutex stays held until the process ends, whichever way it ends.
    static UniqueHandle instanceMutex;
    CSystemStartupHost host(*this, instanceMutex);
    RunStartup(m_commandLine, host);
    return false;
}

bool CCorvaneApp::IsVistaOrLater()
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return ::GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 5;
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
