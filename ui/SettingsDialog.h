#pragma once
// The settings window: the four on/off settings, the start-with-Windows entry, the
// scheduled scan (none, daily, or weekly on chosen days) and the way to the report
// folder. It reads everything each time it opens and writes it back only on "Salvare".
//
// One shared instance; its window exists only while it is shown modally.

#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/CheckBox.h"
#include "controls/XColorStatic.h"
#include "core/ScheduleText.h"
#include "framework/Singleton.h"

#include <array>
#include <string>

// What the settings window asks of the engine. The program's is the engine itself
// (EngineSettingsService); the window tests give their own.
class ISettingsService {
public:
    virtual ~ISettingsService() = default;
    // The stored text; empty when missing.
    [[nodiscard]] virtual std::wstring ReadSetting(const std::wstring& name) const = 0;
    virtual void WriteSetting(const std::wstring& name, const std::wstring& text) = 0;
    // The machine's Run value "Velmora" is there and not empty.
    [[nodiscard]] virtual bool HasStartWithWindowsEntry() const = 0;
    // Writes the Run value (the program's path, quoted) or deletes it.
    virtual void SetStartWithWindowsEntry(bool on) = 0;
    // False when there is no task or the scheduler cannot be reached (setting unchanged).
    [[nodiscard]] virtual bool GetScanSchedule(ScanScheduleSetting& setting) const = 0;
    // False when the schedule could not be stored.
    [[nodiscard]] virtual bool SetScanSchedule(const ScanScheduleSetting& setting) = 0;
    virtual void OpenReportFolder() = 0;
};

// The engine (created on first use) as the settings window sees it.
[[nodiscard]] ISettingsService& EngineSettingsService();

inline constexpr wchar_t kSettingsSaved[] = L"Le impostazioni sono state salvate con successo.";
inline constexpr wchar_t kSettingsSavedWithoutSchedule[] =
    L"Le impostazioni sono state salvate, ma non è stato possibile pianificare la scansione.";

class CSettingsDialog : public CBitmapDialog, public CSingleton<CSettingsDialog> {
public:
    static constexpr int kWidth = 450;
    static constexpr int kHeight = 413;
    static constexpr int kSkinHeight = 393;
    // Entries of the frequency list.
    static constexpr int kFrequencyNone = 0;
    static constexpr int kFrequencyDaily = 1;
    static constexpr int kFrequencyWeekly = 2;

    CSettingsDialog();

    // Before showing: where the settings live (the engine until set).
    void Prepare(ISettingsService& settings) { m_settings = &settings; }

    // Stores everything the window shows, tells the user and closes the window.
    void Save();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { Save(); }
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    void SetUpControls();
    void LoadSettings();
    void LoadSchedule();
    void EnableScheduleControls();
    [[nodiscard]] bool IsChecked(int id) const;
    void SetChecked(int id, bool checked);
    [[nodiscard]] bool SaveSchedule();

    ISettingsService* m_settings;

    CXColorStatic m_title;
    std::array<CXColorStatic, 5> m_headings;
    std::array<CCheckBox, 4> m_optionBoxes;
    std::array<CXColorStatic, 4> m_optionLabels;
    std::array<CCheckBox, 7> m_dayBoxes;
    std::array<CXColorStatic, 7> m_dayLabels;
    CBitmapButtonEx m_reports;
    CBitmapButtonEx m_save;
    CBitmapButtonEx m_cancel;
};
