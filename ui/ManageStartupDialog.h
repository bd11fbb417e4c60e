#pragma once
// The startup manager: the programs started with Windows through the Run keys of the
// user and of the machine, one row each (name, command as stored, key), and the removal
// of the selected one. The rows are read again for every fill and every removal; a
// removal takes effect only on the entry the user saw, after its backup line is written.

#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/ItemListCtrl.h"
#include "controls/XColorStatic.h"
#include "core/RegistryItem.h"
#include "engine/StartupEntries.h"

#include <cstddef>

// What the startup manager asks of the registry. The program's is
// CSystemSettings; the window tests give their own.
class IStartupService {
public:
    virtual ~IStartupService() = default;
    [[nodiscard]] virtual CRegistryItemListEx GetStartupEntries() const = 0;
    // See CStartupEntries::Remove.
    [[nodiscard]] virtual StartupRemoval RemoveStartupEntry(std::size_t position, const CRegistryItem& shown) = 0;
};

inline constexpr wchar_t kChooseStartupEntry[] =
    L"Per favore seleziona il programma che desideri rimuovere dalla Startup di Windows prima di procedere.";
inline constexpr wchar_t kStartupEntryRemoved[] =
    L"L’applicazione selezionata è stata rimossa con successo dall’avvio di Windows.";
inline constexpr wchar_t kStartupEntryGone[] = L"La voce selezionata non è più presente nell'avvio di Windows.";
inline constexpr wchar_t kStartupEntryNoBackup[] =
    L"Non è stato possibile creare il file di backup: la voce non è stata rimossa.";
inline constexpr wchar_t kStartupEntryNotRemoved[] =
    L"Non è stato possibile rimuovere l'applicazione selezionata dall'avvio di Windows.";

class CManageStartupDialog : public CBitmapDialog {
public:
    explicit CManageStartupDialog(IStartupService& startup);

    // Lists the entries as they are now.
    void Fill();
    // Removes the selected entry and tells the user how it went.
    void RemoveCommand();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    void SetUpControls();
    [[nodiscard]] CRegistryItem ShownEntry(int row) const;

    IStartupService& m_startup;

    CXColorStatic m_title;
    CItemListCtrl m_list;
    CBitmapButtonEx m_remove;
    CBitmapButtonEx m_close;
};
