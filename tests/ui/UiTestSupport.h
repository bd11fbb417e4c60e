#pragma once
// Helpers of the in-process window tests: a scan service that plays a scan's messages
// instead of scanning, settings kept in memory, a recorder that reads and answers every message box, a message
// pump, and a sandbox that puts the program's settings back as they were.

#include "ui/Prompts.h"
#include "ui/ScanService.h"
#include "ui/SettingsService.h"

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Handles what is queued for the calling thread, then returns.
void PumpMessages();
// Handles the calling thread's messages until `done` holds (true) or 10 s have passed (false).
bool PumpUntil(const std::function<bool()>& done);
// The window text of a dialog's control.
std::wstring ControlText(HWND dialog, int id);

class FakeScanService : public IScanService {
public:
    void SetNotifyWindow(HWND window) override { notify = window; }
    bool StartScan(const Selection& sections) override;
    void StopScan() override;
    bool HasScanWorker() const override { return hasWorker; }
    bool IsScanning() const override { return scanning; }
    int GetTotalFound() const override { return totalFound; }
    std::wstring LastScanDate() const override { return lastScanDate; }
    bool ClearUnresolvedProblems() override;
    bool LoadIgnoredProblems() override;

    HWND notify = nullptr;
    // Where the store keeps the count of unresolved problems; none keeps no count.
    ISettingsService* settings = nullptr;
    std::vector<Selection> started;
    int stops = 0;
    int clears = 0;
    int loads = 0;
    bool startSucceeds = true;
    // Whether the worker still counts as running once the scan has started.
    bool scanningAfterStart = false;
    bool hasWorker = false;
    bool scanning = false;
    int totalFound = 0;
    int foundAfterLoad = 0;
    std::wstring lastScanDate = L"Non ancora effettuata";
    // Posted to the notify window by StartScan, as a worker would (wParam, lParam).
    struct Posted {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Posted> scanMessages;
    // Found problems the scan leaves behind.
    int foundByScan = 0;
};

// Settings, Run entry and scan schedule kept in memory.
class FakeSettings final : public ISettingsService {
public:
    std::wstring ReadSetting(const std::wstring& name) const override { return Get(name).value_or(L""); }
    void WriteSetting(const std::wstring& name, const std::wstring& text) override { stored[name] = text; }
    bool HasStartWithWindowsEntry() const override { return runEntry; }
    void SetStartWithWindowsEntry(bool on) override { runEntry = on; }
    bool GetScanSchedule(ScanScheduleSetting& setting) const override
    {
        setting = schedule;
        return hasTask;
    }
    bool SetScanSchedule(const ScanScheduleSetting& setting) override
    {
        saved.push_back(setting);
        return schedulerAnswers;
    }
    void OpenReportFolder() override {}

    [[nodiscard]] std::optional<std::wstring> Get(const std::wstring& name) const
    {
        const auto found = stored.find(name);
        return found == stored.end() ? std::nullopt : std::optional<std::wstring>(found->second);
    }

    std::map<std::wstring, std::wstring> stored;
    bool runEntry = false;
    bool hasTask = false;
    bool schedulerAnswers = true;
    ScanScheduleSetting schedule;
    std::vector<ScanScheduleSetting> saved;
};

struct RecordedPrompt {
    std::wstring text;
    std::wstring title;
    UINT type;
};

// Answers every message box with `answer` (or what `chooser` says) and keeps them.
class PromptRecorder {
public:
    explicit PromptRecorder(int answer = IDOK);
    std::vector<RecordedPrompt> prompts;
    int answer;
    // Runs while a message box would be open (a real one pumps the thread's messages).
    std::function<void(const RecordedPrompt&)> whileOpen;

    [[nodiscard]] std::vector<std::wstring> Texts() const;

private:
    CPromptInterceptor m_interceptor;
};

// Remembers the settings under HKLM\Software\Velmora and the Run value "Velmora", and
// writes them back (or deletes what was missing) when it goes away.
class SettingsSandbox {
public:
    SettingsSandbox();
    ~SettingsSandbox();
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

    // Deletes every remembered value, as on a machine where the program never ran.
    void ClearAll();
    static void Set(const std::wstring& name, const std::wstring& value);
    static void Remove(const std::wstring& name);
    [[nodiscard]] static std::optional<std::wstring> Get(const std::wstring& name);
    [[nodiscard]] static std::optional<std::wstring> RunValue();

private:
    struct Saved {
        std::wstring key;
        std::wstring name;
        std::optional<std::wstring> value;
    };
    std::vector<Saved> m_saved;
};

inline constexpr wchar_t kSettingsKeyPath[] = L"Software\\Velmora";
inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
