#pragma once
// The per-section window: the problems of one section one by one, each with its own
// check box. "Salva" (and Enter) keeps the changed choices; "Annulla" (and Escape or
// closing) puts back the choices the window opened with. The section's row check box in
// the results list is left as it is either way.

#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/XColorStatic.h"
#include "ui/ScanResultInfo.h"
#include "ui/SectionResultsContainer.h"

#include <span>
#include <string>
#include <vector>

// "%d Problemi sono stati rilevati in questa sezione."
[[nodiscard]] std::wstring SectionProblemCountText(int count);

class CSectionResultDialog : public CBitmapDialog {
public:
    // Borrows the problems; they must outlive the window.
    CSectionResultDialog(std::span<CScanResultInfo> problems, std::wstring sectionName);

    [[nodiscard]] CSectionResultsContainer& List() { return m_list; }
    void Save();
    void Cancel();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { Save(); }
    void OnCancel() override { Cancel(); }
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::span<CScanResultInfo> m_problems;
    std::wstring m_sectionName;
    std::vector<bool> m_saved;

    CSectionResultsContainer m_list;
    CXColorStatic m_title;
    CXColorStatic m_count;
    CXColorStatic m_hint;
    CBitmapButtonEx m_save;
    CBitmapButtonEx m_cancel;
};
