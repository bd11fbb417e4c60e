#include "ui/SettingsDialog.h"

#include "res/resource.h"
#include "ui/FirstRunDefaults.h"
#include "ui/Prompts.h"
#include "ui/WindowLayout.h"

#include <commctrl.h>

namespace {

constexpr LabelLook kHeadingLook{kBrandBlue, 9, FW_NORMAL};
constexpr LabelLook kOptionLook{kBlack, 8, FW_NORMAL};
constexpr wchar_t kSettingsTitle[] = L"Impostazioni";
// A drop-down list's height includes its open list.
constexpr int kDropDownHeight = 120;

struct Heading {
    int id;
    const wchar_t* text;
    ControlPlace place;
};

constexpr std::array<Heading, 5> kHeadings = {{
    {IDC_SETTINGS_GENERAL, L"Generali:", {50, 100, 70, 21}},
    {IDC_SETTINGS_REPORTS_HEADING, L"Rapporti:", {50, 222, 70, 21}},
    {IDC_SETTINGS_LANGUAGE_HEADING, L"Lingua:", {50, 240, 70, 21}},
    {IDC_SETTINGS_SCHEDULE_HEADING, L"Agenda Scan:", {50, 280, 150, 21}},
    {IDC_SETTINGS_TIME_LABEL, L"Ora:", {280, 280, 50, 21}},
}};

struct OptionBox {
    int boxId;
    int labelId;
    Setting setting;
    const wchar_t* label;
    int labelWidth;
};

// In the order they are stored; row n sits 25 pixels below row n - 1. The third label is
// wider than its neighbours: at 251 pixels its text wrapped and lost its last word.
constexpr std::array<OptionBox, 4> kOptions = {{
    {IDC_SETTINGS_START_WITH_WINDOWS, IDC_SETTINGS_START_WITH_WINDOWS_LABEL, Setting::StartWithWindows,
     L"Lancia Velmora all’avvio di Windows.", 251},
    {IDC_SETTINGS_SCAN_AT_STARTUP, IDC_SETTINGS_SCAN_AT_STARTUP_LABEL, Setting::ScanAtStartup,
     L"Avvia scansione all’apertura del programma.", 351},
    {IDC_SETTINGS_TRAY_ON_CLOSE, IDC_SETTINGS_TRAY_ON_CLOSE_LABEL, Setting::HideToTrayOnClose,
     L"Riduci Velmora ad icona alla chiusura del programma.", 301},
    {IDC_SETTINGS_AUTO_UPDATES, IDC_SETTINGS_AUTO_UPDATES_LABEL, Setting::AutoUpdates,
     L"Ricerca aggiornamenti software in automatico.", 251},
}};

struct DayBox {
    int boxId;
    int labelId;
    int x;
    int y;
    const wchar_t* label;
    std::uint16_t dayBit;  // Task Scheduler: Sunday 0x01 ... Saturday 0x40
};

constexpr std::array<DayBox, 7> kDays = {{
    {IDC_SETTINGS_MONDAY, IDC_SETTINGS_MONDAY_LABEL, 130, 310, L"Lunedì", 0x02},
    {IDC_SETTINGS_TUESDAY, IDC_SETTINGS_TUESDAY_LABEL, 200, 310, L"Martedì", 0x04},
    {IDC_SETTINGS_WEDNESDAY, IDC_SETTINGS_WEDNESDAY_LABEL, 270, 310, L"Mercoledì", 0x08},
    {IDC_SETTINGS_THURSDAY, IDC_SETTINGS_THURSDAY_LABEL, 130, 330, L"Giovedì", 0x10},
    {IDC_SETTINGS_FRIDAY, IDC_SETTINGS_FRIDAY_LABEL, 200, 330, L"Venerdì", 0x20},
    {IDC_SETTINGS_SATURDAY, IDC_SETTINGS_SATURDAY_LABEL, 270, 330, L"Sabato", 0x40},
    {IDC_SETTINGS_SUNDAY, IDC_SETTINGS_SUNDAY_LABEL, 340, 330, L"Domenica", 0x01},
}};

void AddEntries(HWND list, std::initializer_list<const wchar_t*> entries)
{
    ::SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const wchar_t* entry : entries)
        ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    ::SendMessageW(list, CB_SETCURSEL, 0, 0);
}

}  // namespace

CSettingsDialog::CSettingsDialog(ISettingsService& settings) : CBitmapDialog(IDD_SETTINGS), m_settings(settings) {}

BOOL CSettingsDialog::OnInitDialog()
{
    SetUpSkinnedPanel(*this, kSmallPanelSkin, L"Velmora - Impostazioni");
    SetUpControls();
    LoadSettings();
    LoadSchedule();
    EnableScheduleControls();
    return TRUE;
}

void CSettingsDialog::SetUpControls()
{
    const ControlPlace titlePlace{50, 30, 181, 30};
    SetUpLabel(m_title, m_hWnd, IDC_SETTINGS_TITLE, kTitleLook, L"IMPOSTAZIONI", &titlePlace);
    for (size_t i = 0; i < kHeadings.size(); ++i)
        SetUpLabel(m_headings[i], m_hWnd, kHeadings[i].id, kHeadingLook, kHeadings[i].text, &kHeadings[i].place);
    for (size_t i = 0; i < kOptions.size(); ++i) {
        const int y = 100 + 25 * static_cast<int>(i);
        if (m_optionBoxes[i].GetSafeHwnd() || m_optionBoxes[i].SubclassDlgItem(kOptions[i].boxId, m_hWnd))
            PlaceControl(m_hWnd, kOptions[i].boxId, {130, y, CCheckBox::kBoxSize, CCheckBox::kBoxSize});
        const ControlPlace labelPlace{150, y, kOptions[i].labelWidth, 21};
        SetUpLabel(m_optionLabels[i], m_hWnd, kOptions[i].labelId, kOptionLook, kOptions[i].label, &labelPlace);
        PairBoxWithLabel(m_optionBoxes[i], m_optionLabels[i]);
    }
    SetUpCaptionButton(m_reports, m_hWnd, IDC_SETTINGS_REPORTS, IDB_BUTTON_REPORTS, L"Visualizza rapporti di scansione",
                       {130, 218, 180, 21});
    PlaceControl(m_hWnd, IDC_SETTINGS_LANGUAGE, {130, 240, 100, kDropDownHeight});
    AddEntries(GetDlgItem(IDC_SETTINGS_LANGUAGE), {L"Italiano"});
    PlaceControl(m_hWnd, IDC_SETTINGS_FREQUENCY, {130, 280, 100, kDropDownHeight});
    AddEntries(GetDlgItem(IDC_SETTINGS_FREQUENCY), {L"Nessuna", L"Quotidiana", L"Settimanale "});
    PlaceControl(m_hWnd, IDC_SETTINGS_TIME, {340, 280, 60, 21});
    ::SendMessageW(GetDlgItem(IDC_SETTINGS_TIME), DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
    for (size_t i = 0; i < kDays.size(); ++i) {
        const DayBox& day = kDays[i];
        if (m_dayBoxes[i].GetSafeHwnd() || m_dayBoxes[i].SubclassDlgItem(day.boxId, m_hWnd))
            PlaceControl(m_hWnd, day.boxId, {day.x, day.y, CCheckBox::kBoxSize, CCheckBox::kBoxSize});
        // All the room up to the next day's box: "Mercoledì" and "Domenica" need more than
        // 48 pixels at some scales.
        const ControlPlace labelPlace{day.x + 18, day.y, 52, 21};
        SetUpLabel(m_dayLabels[i], m_hWnd, day.labelId, kOptionLook, day.label, &labelPlace);
        PairBoxWithLabel(m_dayBoxes[i], m_dayLabels[i]);
    }
    SetUpCaptionButton(m_save, m_hWnd, IDOK, IDB_BUTTON, L"Salvare", {240, 353, 81, 21});
    SetUpCaptionButton(m_cancel, m_hWnd, IDCANCEL, IDB_BUTTON, L"Annulla", {340, 353, 81, 21});
}

bool CSettingsDialog::IsChecked(int id) const
{
    return ::SendMessageW(GetDlgItem(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CSettingsDialog::SetChecked(int id, bool checked)
{
    ::SendMessageW(GetDlgItem(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CSettingsDialog::LoadSettings()
{
    for (const OptionBox& option : kOptions) {
        SetChecked(option.boxId, IsOnText(ReadOrStoreDefault(m_settings, option.setting)));
    }
    // Whether the program really starts with Windows, whatever the setting says.
    SetChecked(IDC_SETTINGS_START_WITH_WINDOWS, m_settings.HasStartWithWindowsEntry());
}

void CSettingsDialog::LoadSchedule()
{
    for (const DayBox& day : kDays)
        SetChecked(day.boxId, false);
    ScanScheduleSetting schedule;
    if (!m_settings.GetScanSchedule(schedule) ||
        (schedule.kind != ScheduleDaily && schedule.kind != ScheduleWeekly))
        return;
    SYSTEMTIME time{};
    time.wYear = 1999;
    time.wMonth = 1;
    time.wDay = 1;
    time.wHour = static_cast<WORD>(schedule.hour);
    time.wMinute = static_cast<WORD>(schedule.minute);
    ::SendMessageW(GetDlgItem(IDC_SETTINGS_TIME), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    if (schedule.kind == ScheduleWeekly)
        for (const DayBox& day : kDays)
            SetChecked(day.boxId, (schedule.daysOfWeek & day.dayBit) != 0);
    ::SendMessageW(GetDlgItem(IDC_SETTINGS_FREQUENCY), CB_SETCURSEL,
                   schedule.kind == ScheduleWeekly ? kFrequencyWeekly : kFrequencyDaily, 0);
}

void CSettingsDialog::EnableScheduleControls()
{
    const LRESULT frequency = ::SendMessageW(GetDlgItem(IDC_SETTINGS_FREQUENCY), CB_GETCURSEL, 0, 0);
    ::EnableWindow(GetDlgItem(IDC_SETTINGS_TIME), frequency > kFrequencyNone);
    for (const DayBox& day : kDays)
        ::EnableWindow(GetDlgItem(day.boxId), frequency == kFrequencyWeekly);
}

bool CSettingsDialog::SaveSchedule()
{
    const LRESULT frequency = ::SendMessageW(GetDlgItem(IDC_SETTINGS_FREQUENCY), CB_GETCURSEL, 0, 0);
    if (frequency == CB_ERR)
        return true;
    ScanScheduleSetting schedule;
    if (frequency != kFrequencyNone) {
        // The picker holds the time as the user set it, which is local time already.
        SYSTEMTIME time{};
        ::SendMessageW(GetDlgItem(IDC_SETTINGS_TIME), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
        schedule.kind = frequency == kFrequencyWeekly ? ScheduleWeekly : ScheduleDaily;
        schedule.hour = time.wHour;
        schedule.minute = time.wMinute;
    }
    if (frequency == kFrequencyWeekly)
        for (const DayBox& day : kDays)
            if (IsChecked(day.boxId))
                schedule.daysOfWeek |= day.dayBit;
    return m_settings.SetScanSchedule(schedule);
}

void CSettingsDialog::Save()
{
    for (const OptionBox& option : kOptions)
        m_settings.WriteSetting(SettingName(option.setting), OnOffText(IsChecked(option.boxId)));
    m_settings.SetStartWithWindowsEntry(IsChecked(IDC_SETTINGS_START_WITH_WINDOWS));
    const bool scheduled = SaveSchedule();
    ShowPrompt(m_hWnd, scheduled ? kSettingsSaved : kSettingsSavedWithoutSchedule, kSettingsTitle,
               MB_OK | (scheduled ? MB_ICONINFORMATION : MB_ICONWARNING));
    EndDialog(IDOK);
}

bool CSettingsDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (id == IDC_SETTINGS_FREQUENCY && code == CBN_SELCHANGE) {
        EnableScheduleControls();
        return true;
    }
    if (id == IDC_SETTINGS_REPORTS && code == BN_CLICKED) {
        m_settings.OpenReportFolder();
        return true;
    }
    return false;
}
