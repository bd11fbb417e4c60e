#include "ui/SectionResultDialog.h"

#include "res/resource.h"
#include "ui/WindowLayout.h"

namespace {

constexpr RECT kListPlace{50, 140, 50 + 430, 140 + 252};
constexpr wchar_t kHint[] =
    L"Seleziona / Deseleziona manualmente gli errori per una riparazione personalizzata del Registro.";

}  // namespace

std::wstring SectionProblemCountText(int count)
{
    return std::to_wstring(count) + L" Problemi sono stati rilevati in questa sezione.";
}

CSectionResultDialog::CSectionResultDialog(std::span<CScanResultInfo> problems, std::wstring sectionName)
    : CBitmapDialog(IDD_SECTION_RESULT), m_problems(problems), m_sectionName(std::move(sectionName))
{
}

BOOL CSectionResultDialog::OnInitDialog()
{
    SetUpSkinnedPanel(*this, kNarrowPanelSkin, L"Velmora - Dettagli della sezione");
    const ControlPlace titlePlace{50, 30, 250, 45};
    const ControlPlace countPlace{50, 70, 351, 21};
    const ControlPlace hintPlace{50, 90, 351, 50};
    SetUpLabel(m_title, m_hWnd, IDC_SECTION_RESULT_TITLE, kTitleLook, m_sectionName, &titlePlace);
    SetUpLabel(m_count, m_hWnd, IDC_SECTION_RESULT_COUNT, {kBlack, 9, FW_BOLD}, L"", &countPlace);
    SetUpLabel(m_hint, m_hWnd, IDC_SECTION_RESULT_HINT, {kBlack, 9, FW_NORMAL}, kHint, &hintPlace);
    static_cast<void>(m_list.CreateIn(m_hWnd, IDC_SECTION_RESULT_LIST, kListPlace));
    SetUpCaptionButton(m_save, m_hWnd, IDC_SECTION_RESULT_SAVE, IDB_BUTTON, L"Salva", {300, 410, 81, 21});
    SetUpCaptionButton(m_cancel, m_hWnd, IDC_SECTION_RESULT_CANCEL, IDB_BUTTON, L"Annulla", {400, 410, 81, 21});

    m_saved.clear();
    for (const CScanResultInfo& info : m_problems)
        m_saved.push_back(info.Selected);
    m_list.Fill(m_problems);
    ::SetWindowTextW(GetDlgItem(IDC_SECTION_RESULT_COUNT),
                     SectionProblemCountText(static_cast<int>(m_problems.size())).c_str());
    SetTabOrder(m_hWnd, {IDC_SECTION_RESULT_LIST, IDC_SECTION_RESULT_SAVE, IDC_SECTION_RESULT_CANCEL});
    FocusControl(m_hWnd, IDC_SECTION_RESULT_LIST);
    return FALSE;
}

void CSectionResultDialog::Save()
{
    m_saved.clear();
    EndDialog(IDOK);
}

void CSectionResultDialog::Cancel()
{
    for (size_t row = 0; row < m_saved.size() && row < m_problems.size(); ++row)
        m_problems[row].Selected = m_saved[row];
    m_saved.clear();
    EndDialog(IDCANCEL);
}

bool CSectionResultDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    if (id == IDC_SECTION_RESULT_SAVE) {
        Save();
        return true;
    }
    if (id == IDC_SECTION_RESULT_CANCEL) {
        Cancel();
        return true;
    }
    return false;
}

bool CSectionResultDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_MOUSEWHEEL) {
        // The wheel reaches the window with the focus; the list is what it scrolls.
        m_list.Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        result = 0;
        return true;
    }
    return CBitmapDialog::OnMessage(message, wParam, lParam, result);
}
