#include "engine/RegistryScanThread.h"

#include "engine/ScanMessages.h"
#include "engine/Scanners.h"

namespace {

const std::wstring kClassesRoot = L"HKEY_CLASSES_ROOT";
const std::wstring kCurrentUser = L"HKEY_CURRENT_USER";
const std::wstring kLocalMachine = L"HKEY_LOCAL_MACHINE";
const std::wstring kUsers = L"HKEY_USERS";

}  // namespace

CRegistryScanThread::CRegistryScanThread(const Selection& sections, const ScanTarget& target)
    : m_sections(sections), m_context(target)
{
}

bool CRegistryScanThread::Start(bool suspended)
{
    m_context.running = true;
    if (CreateThread(suspended))
        return true;
    m_context.running = false;
    return false;
}

void CRegistryScanThread::RequestStop() { m_context.RequestStop(); }

int CRegistryScanThread::Run()
{
    try {
        m_context.IndexRepairedItems();
        RunSections();
    } catch (...) {
        // Out of memory in the middle of a check: the scan ends as a cancelled one
        // does, without WM_SCAN_FINISHED, instead of taking the process down.
        m_context.running = false;
    }
    m_context.running = false;
    return 1;
}

void CRegistryScanThread::RunSections()
{
    int ordinal = 0;
    for (int section = 0; section < kSectionCount; ++section) {
        if (!m_context.running)
            return;
        if (m_sections[static_cast<std::size_t>(section)] == 0)
            continue;
        RunSection(section, ordinal);
        m_context.EndSection();
        ++ordinal;
    }
    m_context.Finish();
}

void CRegistryScanThread::RunSection(int section, int ordinal)
{
    ScanContext& ctx = m_context;
    const bool listOnly = SectionListOnly(section);
    auto begin = [&](const std::wstring& rootName, RootKey root) {
        ctx.BeginSection(rootName, root, section, ordinal, listOnly);
    };
    switch (section) {
    case ActiveX:
        begin(kClassesRoot, kRootClassesRoot);
        ScanClasses(ctx);
        break;
    case AppPaths:
        begin(kLocalMachine, kRootLocalMachine);
        ScanKeyTree(ctx, kRootLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", 1);
        break;
    case SoundFiles:
        begin(kCurrentUser, kRootCurrentUser);
        ScanKeyTree(ctx, kRootCurrentUser, L"AppEvents\\Schemes\\Apps", 1);
        break;
    case HelpFiles:
        begin(kLocalMachine, kRootLocalMachine);
        ScanKeyValues(ctx, kRootLocalMachine, L"Software\\Microsoft\\Windows\\Help");
        ScanKeyValues(ctx, kRootLocalMachine, L"Software\\Microsoft\\Windows\\HTML Help");
        break;
    case WindowsStartup:
        begin(kLocalMachine, kRootLocalMachine);
        ScanKeyValues(ctx, kRootLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run");
        begin(kCurrentUser, kRootCurrentUser);
        ScanKeyValues(ctx, kRootCurrentUser, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run");
        break;
    case SystemPrograms:
        // Only the snap-in tree: a second walk through all of Software\Microsoft would
        // report the App Paths, Run, Help, Uninstall and Fonts problems a second time.
        begin(kLocalMachine, kRootLocalMachine);
        ScanKeyTree(ctx, kRootLocalMachine, L"Software\\Microsoft\\MMC\\SnapIns", 1);
        break;
    case SharedDlls:
        begin(kLocalMachine, kRootLocalMachine);
        ScanSharedDlls(ctx, L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
        break;
    case EmptyKeys:
        begin(kUsers, kRootUsers);
        for (const wchar_t* account : {L"S-1-5-18", L"S-1-5-19", L"S-1-5-20"})
            ScanEmptyKeys(ctx, kRootUsers, account, 1);
        break;
    case SystemDrivers:
        begin(kLocalMachine, kRootLocalMachine);
        ScanKeyTree(ctx, kRootLocalMachine, L"SYSTEM\\CurrentControlSet\\Services\\SessionLauncher", 1);
        break;
    case UninstallFiles:
        begin(kLocalMachine, kRootLocalMachine);
        ScanKeyTree(ctx, kRootLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 1);
        break;
    case WindowsFonts:
        begin(kLocalMachine, kRootLocalMachine);
        ScanKeyValues(ctx, kRootLocalMachine, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
        break;
    case ProgramShortcuts: {
        // Only this section needs COM. The shell-link object lives in the worker's own
        // apartment, so the check never calls an object across threads, and is released
        // before the apartment ends. A single-threaded apartment makes Wine start a desktop
        // process, which the console driver's other scans are spared.
        begin(kCurrentUser, kRootCurrentUser);
        ComInitializer com;
        ctx.CreateShellLink();
        struct LinkRelease {
            ScanContext& context;
            ~LinkRelease() { context.ReleaseShellLink(); }
        } release{ctx};
        ScanShortcuts(ctx, L"%USERPROFILE%");
        break;
    }
    default:
        break;
    }
}
