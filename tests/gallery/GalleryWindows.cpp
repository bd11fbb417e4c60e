// Every window of the program, built from its own class with stand-in services as the
// window tests build it, put into the states worth reviewing and shown to a camera. This
// is the one place that constructs every window, for the gallery and the layout tests.

#include "tests/gallery/GalleryWindows.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/SettingsTable.h"
#include "engine/EngineMessages.h"
#include "engine/FileSystem.h"
#include "engine/ScanMessages.h"
#include "engine/StartupEntries.h"
#include "framework/File.h"
#include "framework/Handles.h"
#include "online/SolutionRunner.h"
#include "online/UpdateMessages.h"
#include "res/resource.h"
#include "tests/ui/ResultTestSupport.h"
#include "ui/CustomSolnDialog.h"
#include "ui/DownloadDialog.h"
#include "ui/EngineServices.h"
#include "ui/ManageStartupDialog.h"
#include "ui/RepairErrorsDialog.h"
#include "ui/RestoreBackupsDialog.h"
#include "ui/ResultStatus.h"
#include "ui/ScanDialog.h"
#include "ui/ScanProgressDialog.h"
#include "ui/ScanResultsDialog.h"
#include "ui/SectionResultDialog.h"
#include "ui/SendLogDialog.h"
#include "ui/SettingsDialog.h"

namespace {

void Post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    ::PostMessageW(window, message, wParam, lParam);
    PumpMessages();
}

void PostItem(HWND window, UINT message, const std::wstring& text)
{
    static_cast<void>(PostText(window, message, text));
    PumpMessages();
}

// Opens the window, lets `arrange` put it into the state to show, photographs it in
// every state of its buttons and closes it.
void OpenAndPhotograph(IWindowCamera& camera, CDialogBase& window, const std::wstring& name,
                       const std::function<void(HWND)>& arrange = {})
{
    if (!window.Create()) {
        camera.Missed(name);
        return;
    }
    if (arrange)
        arrange(window.GetSafeHwnd());
    camera.TakeStates(window.GetSafeHwnd(), name);
    window.EndDialog(IDCANCEL);
}

// --- main window ---------------------------------------------------------------------

// Links that open nothing and never end the process.
MainWindowLinks QuietMainWindowLinks()
{
    MainWindowLinks links;
    links.showScanResults = [](HWND) {};
    links.showSettings = [](HWND) {};
    links.showRestore = [](HWND) {};
    links.showStartupManager = [](HWND) {};
    links.showSendLog = [](HWND) {};
    links.showCustomSolution = [](HWND) {};
    links.downloadUpdate = [](HWND) {};
    links.startUpdateCheck = [] {};
    links.restartAfterUpdate = [] {};
    links.hasPendingLog = [] { return false; };
    links.isConnected = [] { return true; };
    links.endProcess = [](UINT) {};
    return links;
}

void PhotographMainWindow(IWindowCamera& camera)
{
    FakeScanService scans;
    FakeSettings settings;
    CScanProgressDialog progress{scans};
    const auto open = [&] {
        auto window =
            std::make_unique<CScanDialog>(false, MainWindowServices{scans, settings, progress, L"3.0.6", L"08/12/2026"});
        window->SetLinks(QuietMainWindowLinks());
        return window->Create() ? std::move(window) : nullptr;
    };
    const auto setProblemCount = [&](const wchar_t* count) {
        settings.WriteSetting(SettingName(Setting::UnresolvedCount), count);
    };

    setProblemCount(L"0");
    if (auto window = open())
        camera.TakeStates(window->GetSafeHwnd(), L"main");
    else
        camera.Missed(L"main");

    scans.lastScanDate = L"08-DIC-2026";
    auto window = open();
    if (!window) {
        camera.Missed(L"main-problems");
        return;
    }
    // One count for each picture of the gauge.
    for (const wchar_t* count : {L"12", L"45", L"75", L"110", L"131"}) {
        setProblemCount(count);
        window->RefreshProblemCount();
        camera.Take(window->GetSafeHwnd(), std::wstring(L"main-problems-") + count);
    }
    Post(window->GetSafeHwnd(), WM_UPDATE_AVAILABLE);
    camera.Take(window->GetSafeHwnd(), L"main-update-available");
}

// --- scan progress and results -------------------------------------------------------

void PhotographScanProgress(IWindowCamera& camera)
{
    FakeScanService scans;
    CScanProgressDialog progress{scans};
    IScanService::Selection sections{};
    sections.fill(1);
    sections[9] = 0;
    progress.Prepare(sections);
    OpenAndPhotograph(camera, progress, L"scan-progress", [&](HWND window) {
        camera.Take(window, L"scan-progress-start");
        for (int section = 0; section < 5; ++section) {
            Post(window, WM_SCAN_SECTION_STARTED, static_cast<WPARAM>(section), section);
            Post(window, WM_SCAN_PROBLEM_FOUND, static_cast<WPARAM>(section), section * 3);
            if (section < 4)
                Post(window, WM_SCAN_SECTION_DONE, static_cast<WPARAM>(section), section);
        }
        PostItem(window, WM_SCAN_ITEM,
                 L"HKEY_CLASSES_ROOT\\CLSID\\{0A4286EA-E355-44FB-8086-AF3DF7645BD9}\\InprocServer32");
        // Long enough for the animation to move on from its first frame.
        static_cast<void>(PumpUntil([start = ::GetTickCount64()] { return ::GetTickCount64() - start > 500; }));
    });
}

ResultsWindowLinks QuietResultsLinks()
{
    ResultsWindowLinks links;
    links.refreshProblemCount = [] {};
    links.showRepair = [](HWND) {};
    links.showSummary = [](HWND) {};
    links.openReport = [](const std::wstring&) {};
    return links;
}

void PhotographResults(IWindowCamera& camera)
{
    ResultsSandbox sandbox;
    sandbox.SetProblems(MakeProblems({{0, 12}, {2, 45}, {5, 75}, {7, 110}, {11, 270}}));
    CEngineServices engineResults{sandbox.engine};
    CScanResultsDialog results{engineResults};
    results.SetLinks(QuietResultsLinks());
    OpenAndPhotograph(camera, results, L"results");

    std::vector<CScanResultInfo> infos;
    for (int i = 0; i < 6; ++i)
        infos.emplace_back(MakeProblem(1, i), i, i);
    CSectionResultDialog section(infos, L"Percorsi di programma");
    OpenAndPhotograph(camera, section, L"section-results");
}

// --- repair, summary, restore --------------------------------------------------------

class GalleryRepairService final : public IRepairService {
public:
    bool StartRepair() override { return true; }
    void StopRepair() override {}
    bool RepairFailed() const override { return false; }
    bool RepairLeftProblems() const override { return false; }
};

void PhotographRepair(IWindowCamera& camera)
{
    GalleryRepairService service;
    CRepairErrorsDialog repair{service};
    OpenAndPhotograph(camera, repair, L"repair", [](HWND window) {
        Post(window, WM_REPAIR_STARTED, 3);
        PostItem(window, WM_REPAIR_ITEM, L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
        Post(window, WM_REPAIR_PROGRESS, 2);
    });

    SectionCounters counters;
    for (int section = 0; section < kSectionCount; ++section) {
        auto& counter = counters[static_cast<size_t>(section)];
        counter.Found = (section * 7) % 12;
        counter.Ignored = section % 3 == 0 ? counter.Found / 2 : 0;
        counter.Repaired = counter.Found - counter.Ignored;
    }
    CResultStatus summary{counters};
    OpenAndPhotograph(camera, summary, L"summary");
}

// Three backup files in a folder of the temp folder, removed afterwards. Every line shows
// the time of this run: Wine kept no creation time set on such files.
class GalleryBackupService final : public IBackupService {
public:
    GalleryBackupService()
    {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"velmora-gallery-backups";
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        for (const wchar_t* name : {L"20261207_2147.dat", L"20261208_0912.dat", L"20261209_1503.dat"}) {
            const std::wstring path = m_folder + L"\\" + name;
            static_cast<void>(CFile::WriteAll(path, ""));
            m_paths.push_back(path);
        }
    }
    ~GalleryBackupService() override
    {
        for (const std::wstring& path : m_paths)
            ::DeleteFileW(path.c_str());
        ::RemoveDirectoryW(m_folder.c_str());
    }
    GalleryBackupService(const GalleryBackupService&) = delete;
    GalleryBackupService& operator=(const GalleryBackupService&) = delete;

    void ListBackups() override
    {
        for (const std::wstring& path : m_paths)
            static_cast<void>(PostText(window->GetSafeHwnd(), WM_BACKUP_FOUND, path));
    }
    RestoreOutcome RestoreBackup(const std::wstring&) override { return RestoreOutcome::Restored; }

    const CDialogBase* window = nullptr;  // the restore window the backups are announced to

private:
    std::wstring m_folder;
    std::vector<std::wstring> m_paths;
};

void PhotographRestore(IWindowCamera& camera)
{
    GalleryBackupService service;
    CRestoreBackupsDialog restore{service};
    service.window = &restore;
    OpenAndPhotograph(camera, restore, L"restore", [](HWND window) {
        PumpMessages();
        ::SendDlgItemMessageW(window, IDC_RESTORE_LIST, LB_SETSEL, TRUE, 1);
    });
}

// --- settings and startup manager ----------------------------------------------------

class GalleryStartup final : public IStartupService {
public:
    CRegistryItemListEx GetStartupEntries() const override
    {
        CRegistryItemListEx entries;
        const auto add = [&](RootKey root, const wchar_t* name, const wchar_t* command) {
            entries.Add(RegistryItemAt(root, kStartupRunKey, name, command));
        };
        add(kRootCurrentUser, L"OneSync", L"\"C:\\Users\\anna\\AppData\\OneSync.exe\" /background");
        add(kRootLocalMachine, L"Velmora", L"\"C:\\Program Files\\Velmora\\Velmora.exe\"");
        add(kRootLocalMachine, L"AudioTray", L"C:\\Windows\\audiotray.exe -tray");
        return entries;
    }
    StartupRemoval RemoveStartupEntry(std::size_t, const CRegistryItem&) override { return StartupRemoval::Removed; }
};

void PhotographSettingsAndStartup(IWindowCamera& camera)
{
    FakeSettings settingsSource;
    for (const Setting setting : {Setting::StartWithWindows, Setting::HideToTrayOnClose, Setting::AutoUpdates})
        settingsSource.WriteSetting(SettingName(setting), kSettingOn);
    settingsSource.WriteSetting(SettingName(Setting::ScanAtStartup), kSettingOff);
    settingsSource.runEntry = true;
    settingsSource.hasTask = true;
    settingsSource.schedule = {ScheduleWeekly, 21, 30, 0x22};
    CSettingsDialog settings{settingsSource};
    OpenAndPhotograph(camera, settings, L"settings");

    GalleryStartup startupSource;
    CManageStartupDialog startup{startupSource};
    OpenAndPhotograph(camera, startup, L"startup-manager");
}

// --- online windows ------------------------------------------------------------------

class GallerySendLogService final : public ISendLogService {
public:
    std::wstring BuildSnapshot(std::wstring& marked) override
    {
        marked.clear();
        return L"\r\nRunning Processes\r\nC:\\Windows\\explorer.exe\r\nC:\\Windows\\system32\\svchost.exe\r\n";
    }
    SubmitOutcome SubmitLog(const std::wstring&, const std::wstring&, const std::wstring&, const std::wstring&,
                            const std::atomic<bool>&) override
    {
        return SubmitOutcome::Failed;
    }
    std::wstring ProductVersion() const override { return L"3.0.6"; }
};

class GallerySolutionService final : public ISolutionService {
public:
    explicit GallerySolutionService(FetchOutcome outcome) : m_outcome(outcome) {}
    FetchOutcome FetchSolution(std::wstring& comments, std::wstring& commands, const std::atomic<bool>&) override
    {
        comments = L"Chiudi il browser prima di procedere.";
        commands = L"2%C:\\adware\\tool.exe;1%adware.exe";
        return m_outcome;
    }
    std::unique_ptr<IPreparedSolution> PrepareSolution(const std::wstring& commands) override
    {
        return std::make_unique<CPreparedSolution>(commands, GetModuleFolder() + L"\\backup");
    }

private:
    FetchOutcome m_outcome;
};

class GalleryDownloadService final : public IDownloadService {
public:
    void StopDownload() override {}
};

void PhotographOnlineWindows(IWindowCamera& camera)
{
    GallerySendLogService sendLogSource;
    CSendLogDialog sendLog{sendLogSource};
    OpenAndPhotograph(camera, sendLog, L"send-log", [](HWND window) {
        ::SetDlgItemTextW(window, IDC_SEND_LOG_NAME, L"Anna");
        ::SetDlgItemTextW(window, IDC_SEND_LOG_EMAIL, L"anna@example.it");
        ::SetDlgItemTextW(window, IDC_SEND_LOG_DESCRIPTION, L"Il PC è lento all'avvio.");
    });

    const std::array<std::pair<FetchOutcome, const wchar_t*>, 2> outcomes = {
        {{FetchOutcome::Ready, L"custom-solution"}, {FetchOutcome::NotReady, L"custom-solution-not-ready"}}};
    for (const auto& [outcome, name] : outcomes) {
        GallerySolutionService source(outcome);
        CCustomSolnDialog solution{source};
        OpenAndPhotograph(camera, solution, name,
                          [&](HWND) { static_cast<void>(PumpUntil([&] { return !solution.IsBusy(); })); });
    }

    GalleryDownloadService downloads;
    CDownloadDialog download{downloads};
    OpenAndPhotograph(camera, download, L"download", [](HWND window) {
        Post(window, WM_DOWNLOAD_STARTED, 4 * 1024 * 1024);
        Post(window, WM_DOWNLOAD_PROGRESS, 1536 * 1024);
    });
}

}  // namespace

void PhotographEveryWindow(IWindowCamera& camera)
{
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&classes);
    // Every message box is answered "No" at once: the pictures are of the windows.
    PromptRecorder prompts{IDNO};
    PhotographMainWindow(camera);
    PhotographScanProgress(camera);
    PhotographResults(camera);
    PhotographRepair(camera);
    PhotographRestore(camera);
    PhotographSettingsAndStartup(camera);
    PhotographOnlineWindows(camera);
}
