#pragma once
// The restore window: the registry backups that earlier repairs wrote, one line each,
// dated by the file's creation time. "Ripristina" writes the one selected backup back
// (registry entries and kept files) and then deletes it, unless some of it could not be
// put back (newer data in its place, or a failure): then the backup and its line stay; "Elimina" deletes the selected
// backups, each with its folder of kept files; a line stays while its backup does; the
// select-all box selects or clears every line. Line k of the list and entry k of the
// path array always belong together.

#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/CheckBox.h"
#include "controls/XColorStatic.h"
#include "core/ArrayEx.h"
#include "engine/BackupRestore.h"

#include <string>

// What the restore window asks of the engine. The program's is
// CEngineServices; the window tests give their own.
class IBackupService {
public:
    virtual ~IBackupService() = default;
    // Announces every backup file with a WM_BACKUP_FOUND to the window that shows them.
    virtual void ListBackups() = 0;
    // Writes the backup back.
    [[nodiscard]] virtual RestoreOutcome RestoreBackup(const std::wstring& path) = 0;
};

// The line of a backup created at this time: "%A, %B %d, %Y %H:%M" of the local time,
// day and month in English (the C library's own locale), for example
// "Monday, December 07, 2026 21:47"; empty when the time cannot be converted.
[[nodiscard]] std::wstring BackupDateText(const FILETIME& creationTime);
// The line of a backup file; empty when its time cannot be read.
[[nodiscard]] std::wstring BackupFileDateText(const std::wstring& path);

inline constexpr wchar_t kChooseOneBackup[] =
    L"Per favore, seleziona una delle configurazioni di registro disponibili prima di procedere.";
inline constexpr wchar_t kBackupRestored[] =
    L"Una precedente configurazione del Registro è stata ripristinata con successo.";
inline constexpr wchar_t kBackupNotRestored[] =
    L"Non è stato possibile ripristinare questa configurazione del Registro.";
inline constexpr wchar_t kBackupNewerDataKept[] =
    L"Alcune voci non sono state ripristinate perché al loro posto si trovano dati più recenti. Il backup è stato "
    L"conservato.";

class CRestoreBackupsDialog : public CBitmapDialog {
public:
    explicit CRestoreBackupsDialog(IBackupService& backups);

    // The paths behind the lines, in line order.
    [[nodiscard]] const CStringArrayEx& Paths() const { return m_paths; }
    void RestoreCommand();
    void DeleteCommand();
    void SelectAll(bool select);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void SetUpControls();
    void OnBackupFound(WPARAM text);
    void RemoveLine(int line);

    IBackupService& m_backups;
    CStringArrayEx m_paths;

    CXColorStatic m_title;
    CXColorStatic m_notice;
    CXColorStatic m_selectAllLabel;
    CCheckBox m_selectAll;
    CBitmapButtonEx m_delete;
    CBitmapButtonEx m_restore;
    CBitmapButtonEx m_close;
};
