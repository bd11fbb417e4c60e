#include "ui/ManageStartupDialog.h"

#include "res/resource.h"
#include "ui/Prompts.h"
#include "ui/WindowLayout.h"

#include <commctrl.h>

#include <array>
#include <string>

namespace {

// Value names are at most 255 characters, and a row's key is a short hive and key path.
constexpr int kCellChars = 1024;

struct Column {
    const wchar_t* heading;
    int width;
};

constexpr std::array<Column, 3> kColumns = {{
    {L"Programma", 120},
    {L"Percorso programma", 165},
    {L"Locazione chiave", 165},
}};

std::wstring KeyLocation(const CRegistryItem& entry) { return entry.Hive + L"\\" + entry.SubKey; }

std::wstring CellText(HWND list, int row, int column)
{
    std::array<wchar_t, kCellChars> text{};
    ListView_GetItemText(list, row, column, text.data(), static_cast<int>(text.size()));
    return text.data();
}

}  // namespace


CManageStartupDialog::CManageStartupDialog(IStartupService& startup) : CBitmapDialog(IDD_MANAGE_STARTUP), m_startup(startup) {}

BOOL CManageStartupDialog::OnInitDialog()
{
    SetUpSkinnedPanel(*this, kPanelSkin, L"Velmora - Gestione Avvio");
    SetUpControls();
    Fill();
    FocusControl(m_hWnd, IDC_STARTUP_LIST);
    return FALSE;
}

void CManageStartupDialog::SetUpControls()
{
    const ControlPlace titlePlace{50, 30, 181, 30};
    SetUpLabel(m_title, m_hWnd, IDC_STARTUP_TITLE, kTitleLook, L"GESTIONE AVVIO", &titlePlace);
    const HWND list = GetDlgItem(IDC_STARTUP_LIST);
    if (!m_list.GetSafeHwnd())
        static_cast<void>(m_list.SubclassDlgItem(IDC_STARTUP_LIST, m_hWnd));
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (size_t i = 0; i < kColumns.size(); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(kColumns[i].heading);
        column.cx = Scale().Px(kColumns[i].width);
        ListView_InsertColumn(list, static_cast<int>(i), &column);
    }
    SetUpCaptionButton(m_remove, m_hWnd, IDC_STARTUP_REMOVE, IDB_BUTTON_WIDE, L"Rimuovi selezione",
                       {290, 416, 118, 21});
    SetUpCaptionButton(m_close, m_hWnd, IDC_STARTUP_CLOSE, IDB_BUTTON, L"Chiudi", {420, 416, 81, 21});
}

void CManageStartupDialog::Fill()
{
    const HWND list = GetDlgItem(IDC_STARTUP_LIST);
    ListView_DeleteAllItems(list);
    const CRegistryItemListEx entries = m_startup.GetStartupEntries();
    for (int i = 0; i < entries.GetSize(); ++i) {
        const CRegistryItem& entry = entries[i];
        std::wstring location = KeyLocation(entry);
        LVITEMW row{};
        row.mask = LVIF_TEXT;
        row.iItem = i;
        row.pszText = const_cast<wchar_t*>(entry.ValueName.c_str());
        const int inserted = ListView_InsertItem(list, &row);
        if (inserted < 0)
            continue;
        ListView_SetItemText(list, inserted, 1, const_cast<wchar_t*>(entry.ValueData.c_str()));
        ListView_SetItemText(list, inserted, 2, location.data());
    }
    // The keys act on the focused row: there is one from the start, shown without an
    // arrow press, but nothing is selected for removal until the user says so.
    if (ListView_GetItemCount(list) > 0)
        ListView_SetItemState(list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
}

CRegistryItem CManageStartupDialog::ShownEntry(int row) const
{
    const HWND list = GetDlgItem(IDC_STARTUP_LIST);
    CRegistryItem shown;
    shown.ValueName = CellText(list, row, 0);
    const std::wstring location = CellText(list, row, 2);
    const size_t split = location.find(L'\\');
    shown.Hive = location.substr(0, split);
    shown.Root = HiveToRoot(shown.Hive);
    shown.SubKey = split == std::wstring::npos ? std::wstring() : location.substr(split + 1);
    return shown;
}

void CManageStartupDialog::RemoveCommand()
{
    // The selected row rather than the selection mark, which can rest on a row that a
    // click took the selection from.
    const int row = ListView_GetNextItem(GetDlgItem(IDC_STARTUP_LIST), -1, LVNI_SELECTED);
    if (row < 0) {
        ShowPrompt(m_hWnd, kChooseStartupEntry, kProductTitle, MB_OK);
        return;
    }
    const StartupRemoval outcome = m_startup.RemoveStartupEntry(static_cast<std::size_t>(row), ShownEntry(row));
    Fill();
    switch (outcome) {
    case StartupRemoval::Removed:
        ShowPrompt(m_hWnd, kStartupEntryRemoved, kProductTitle, MB_OK | MB_ICONINFORMATION);
        break;
    case StartupRemoval::NotPresent:
        ShowPrompt(m_hWnd, kStartupEntryGone, kProductTitle, MB_OK | MB_ICONEXCLAMATION);
        break;
    case StartupRemoval::NoBackup:
        ShowPrompt(m_hWnd, kStartupEntryNoBackup, kProductTitle, MB_OK | MB_ICONERROR);
        break;
    case StartupRemoval::StillPresent:
        ShowPrompt(m_hWnd, kStartupEntryNotRemoved, kProductTitle, MB_OK | MB_ICONERROR);
        break;
    }
}

bool CManageStartupDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_STARTUP_REMOVE:
        RemoveCommand();
        return true;
    case IDC_STARTUP_CLOSE:
        EndDialog(IDCANCEL);
        return true;
    default:
        return false;
    }
}
