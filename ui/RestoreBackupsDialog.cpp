#include "ui/RestoreBackupsDialog.h"

#include "engine/BackupRestore.h"
#include "engine/EngineMessages.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "ui/MessageForwarder.h"
#include "ui/Prompts.h"
#include "ui/WindowLayout.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <vector>

namespace {

constexpr wchar_t kNotice[] =
    L"Un backup del registro viene creato automaticamente a ogni riparazione del PC. Se desideri ripristinare una "
    L"precedente configurazione del registro, seleziona una delle date disponibili e clicca sul pulsante "
    L"\"Ripristina\".";
// FILETIME counts 100-nanosecond steps from 1601; time_t counts seconds from 1970.
constexpr std::uint64_t kFileTimeOf1970 = 116444736000000000ULL;
constexpr std::uint64_t kFileTimeStepsPerSecond = 10000000ULL;

std::vector<int> SelectedLines(HWND list)
{
    const LRESULT count = ::SendMessageW(list, LB_GETSELCOUNT, 0, 0);
    if (count <= 0)
        return {};
    std::vector<int> lines(static_cast<size_t>(count));
    const LRESULT got = ::SendMessageW(list, LB_GETSELITEMS, static_cast<WPARAM>(count),
                                       reinterpret_cast<LPARAM>(lines.data()));
    lines.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return lines;
}

}  // namespace


std::wstring BackupDateText(const FILETIME& creationTime)
{
    const std::uint64_t steps =
        (static_cast<std::uint64_t>(creationTime.dwHighDateTime) << 32) | creationTime.dwLowDateTime;
    if (steps < kFileTimeOf1970)
        return {};
    const auto seconds = static_cast<std::time_t>((steps - kFileTimeOf1970) / kFileTimeStepsPerSecond);
    std::tm local{};
    if (localtime_s(&local, &seconds) != 0)
        return {};
    std::array<char, 128> text{};
    const size_t length = std::strftime(text.data(), text.size(), "%A, %B %d, %Y %H:%M", &local);
    // The C library's own locale writes plain ASCII names and digits.
    return std::wstring(text.data(), text.data() + length);
}

std::wstring BackupFileDateText(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return {};
    return BackupDateText(data.ftCreationTime);
}

CRestoreBackupsDialog::CRestoreBackupsDialog(IBackupService& backups) : CBitmapDialog(IDD_RESTORE_BACKUPS), m_backups(backups) {}

BOOL CRestoreBackupsDialog::OnInitDialog()
{
    SetUpSkinnedPanel(*this, kSmallPanelSkin, L"Velmora - Backup del Registro");
    SetUpControls();
    ::SendMessageW(GetDlgItem(IDC_RESTORE_LIST), LB_RESETCONTENT, 0, 0);
    m_paths.SetSize(0);
    // The lines arrive as messages, after this initialisation.
    m_backups.ListBackups();
    return TRUE;
}

void CRestoreBackupsDialog::SetUpControls()
{
    const ControlPlace titlePlace{35, 30, 250, 60};
    const ControlPlace noticePlace{35, 82, 381, 60};
    const ControlPlace selectAllLabelPlace{50, 140, 151, 21};
    SetUpLabel(m_title, m_hWnd, IDC_RESTORE_TITLE, kTitleLook, L"BACKUP DEL REGISTRO", &titlePlace);
    SetUpLabel(m_notice, m_hWnd, IDC_RESTORE_NOTICE, {kBlack, 8, FW_NORMAL}, kNotice, &noticePlace);
    SetUpLabel(m_selectAllLabel, m_hWnd, IDC_RESTORE_SELECT_ALL_LABEL, {kBrandBlue, 8, FW_NORMAL},
               L"Seleziona / Deseleziona tutto", &selectAllLabelPlace);
    if (m_selectAll.GetSafeHwnd() || m_selectAll.SubclassDlgItem(IDC_RESTORE_SELECT_ALL, m_hWnd)) {
        PlaceControl(m_hWnd, IDC_RESTORE_SELECT_ALL, {35, 140, CCheckBox::kBoxSize, CCheckBox::kBoxSize});
        ::SendMessageW(m_selectAll.GetSafeHwnd(), BM_SETCHECK, BST_UNCHECKED, 0);
        PairBoxWithLabel(m_selectAll, m_selectAllLabel);
    }
    PlaceControl(m_hWnd, IDC_RESTORE_LIST, {35, 165, 381, 170});
    SetUpCaptionButton(m_delete, m_hWnd, IDC_RESTORE_DELETE, IDB_BUTTON, L"Elimina", {135, 350, 81, 21});
    SetUpCaptionButton(m_restore, m_hWnd, IDC_RESTORE_RESTORE, IDB_BUTTON, L"Ripristina", {235, 350, 81, 21});
    SetUpCaptionButton(m_close, m_hWnd, IDC_RESTORE_CLOSE, IDB_BUTTON, L"Chiudi", {335, 350, 81, 21});
}

void CRestoreBackupsDialog::OnBackupFound(WPARAM text)
{
    const std::wstring path = TakeText(text);
    const std::wstring line = BackupFileDateText(path);
    const LRESULT added = ::SendMessageW(GetDlgItem(IDC_RESTORE_LIST), LB_ADDSTRING, 0,
                                         reinterpret_cast<LPARAM>(line.c_str()));
    // A line the list would not take gets no path either, so lines and paths stay paired.
    if (added != LB_ERR && added != LB_ERRSPACE)
        m_paths.Add(path);
}

void CRestoreBackupsDialog::RemoveLine(int line)
{
    ::SendMessageW(GetDlgItem(IDC_RESTORE_LIST), LB_DELETESTRING, static_cast<WPARAM>(line), 0);
    m_paths.RemoveAt(line);
}

void CRestoreBackupsDialog::RestoreCommand()
{
    const std::vector<int> selected = SelectedLines(GetDlgItem(IDC_RESTORE_LIST));
    // The selected line, not the caret: with several lines clicked on and off, the caret
    // can rest on a line that is not selected.
    if (selected.size() != 1 || selected.front() >= m_paths.GetSize()) {
        ShowAppPrompt(m_hWnd, kChooseOneBackup);
        return;
    }
    const int line = selected.front();
    const std::wstring path = m_paths[line];
    const RestoreOutcome outcome = m_backups.RestoreBackup(path);
    if (outcome != RestoreOutcome::Restored) {
        // The file is the only way back to what it holds: it stays, and so does its line.
        if (outcome == RestoreOutcome::NewerDataKept)
            ShowAppPrompt(m_hWnd, kBackupNewerDataKept, MB_OK | MB_ICONWARNING);
        else
            ShowAppPrompt(m_hWnd, kBackupNotRestored, MB_OK | MB_ICONERROR);
        return;
    }
    // Restored: the backup has done its work. A line whose backup would not go stays,
    // and restoring it again changes nothing, since a restore only adds what is missing.
    if (DeleteBackupFiles(path))
        RemoveLine(line);
    ShowAppPrompt(m_hWnd, kBackupRestored, MB_OK | MB_ICONINFORMATION);
}

void CRestoreBackupsDialog::DeleteCommand()
{
    const std::vector<int> selected = SelectedLines(GetDlgItem(IDC_RESTORE_LIST));
    if (selected.empty()) {
        ShowAppPrompt(m_hWnd, kChooseOneBackup);
        return;
    }
    // From the last line up, so the lines still to delete keep their numbers.
    for (auto line = selected.rbegin(); line != selected.rend(); ++line) {
        if (*line < 0 || *line >= m_paths.GetSize())
            continue;
        if (DeleteBackupFiles(m_paths[*line]))
            RemoveLine(*line);
    }
}

void CRestoreBackupsDialog::SelectAll(bool select)
{
    ::SendMessageW(GetDlgItem(IDC_RESTORE_LIST), LB_SETSEL, select ? TRUE : FALSE, -1);
}

bool CRestoreBackupsDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_RESTORE_RESTORE:
        RestoreCommand();
        return true;
    case IDC_RESTORE_DELETE:
        DeleteCommand();
        return true;
    case IDC_RESTORE_CLOSE:
        EndDialog(IDCANCEL);
        return true;
    case IDC_RESTORE_SELECT_ALL:
        SelectAll(::SendMessageW(GetDlgItem(IDC_RESTORE_SELECT_ALL), BM_GETCHECK, 0, 0) == BST_CHECKED);
        return true;
    default:
        return false;
    }
}

bool CRestoreBackupsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_BACKUP_FOUND:
        OnBackupFound(wParam);
        result = 1;
        return true;
    case WM_DESTROY:
        DiscardQueuedTexts(m_hWnd);
        break;
    default:
        break;
    }
    return CBitmapDialog::OnMessage(message, wParam, lParam, result);
}
