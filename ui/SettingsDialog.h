#pragma once
// The settings window: the four on/off settings, the start-with-Windows entry, the
// scheduled scan (none, daily, or weekly on chosen days) and the way to the report
// folder. It reads everything each time it opens and writes it back only on "Salvare".

#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/CheckBox.h"
#include "controls/XColorStatic.h"
#include "ui/SettingsService.h"

#include <array>
#include <string>

inline constexpr wchar_t kSettingsSaved[] = L"Le impostazioni sono state salvate con successo.";
inline constexpr wchar_t kSettingsSavedWithoutSchedule[] =
    L"Le impostazioni sono state salvate, ma non è stato possibile pianificare la scansione.";

class CSettingsDialog : public CBitmapDialog {
public:
    // Entries of the frequency list.
    static constexpr int kFrequencyNone = 0;
    static constexpr int kFrequencyDaily = 1;
    static constexpr int kFrequencyWeekly = 2;

    explicit CSettingsDialog(ISettingsService& settings);

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

    ISettingsService& m_settings;

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
