#include "ui/ScanProgressDialog.h"

#include "engine/FileSystem.h"
#include "engine/ScanMessages.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "ui/MessageForwarder.h"
#include "ui/Prompts.h"
#include "ui/SectionControls.h"
#include "ui/WindowLayout.h"

#include <commctrl.h>

#include <climits>

namespace {

constexpr size_t kLongestWholeItem = 70;

constexpr wchar_t kFinished[] = L"La scansione è stata completata con successo.";
constexpr wchar_t kStoppedByButton[] = L"La scansione è stata interrotta dall’utente.";
constexpr wchar_t kStoppedByClosing[] = L"Il processo di scansione è stato interrotto dall’utente.";
constexpr wchar_t kNotStarted[] = L"Impossibile avviare la scansione.";

constexpr int kProgressRangeTop = 100;
constexpr int kProgressStep = 8;

ControlPlace SectionNamePlace(int section)
{
    const int x = IsLeftColumn(section) ? 50 : 300;
    return {x + 25, 225 + 20 * SectionRow(section), 200, 21};
}

ControlPlace SectionCountPlace(int section)
{
    const int x = IsLeftColumn(section) ? 50 : 300;
    return {x, 225 + 20 * SectionRow(section) + 2, 25, 21};
}

}  // namespace

std::wstring ShortenItemText(std::wstring text)
{
    if (text.size() > kLongestWholeItem) {
        text.resize(kLongestWholeItem);
        text += L"..";
    }
    return text;
}

int SectionProgressPosition(int section)
{
    // Kept in single precision before truncating, so the positions are exactly
    // 8, 16, 25, 33, 41, 50, 58, 66, 75, 83, 91, 100.
    const double exact = (section + 1) * 8.333333333333334;
    return static_cast<int>(static_cast<float>(exact));
}

POINT AnimationPlace(int section)
{
    return {IsLeftColumn(section) ? 25 : 275, 225 + 20 * SectionRow(section)};
}

CScanProgressDialog::CScanProgressDialog(IScanService& scans) : CBitmapDialog(IDD_SCAN_PROGRESS), m_scans(scans) {}

BOOL CScanProgressDialog::OnInitDialog()
{
    m_sectionProblems = 0;
    m_closing.Open();
    m_started = false;
    m_completed = false;
    SetUpSkinnedPanel(*this, kPanelSkin, L"Velmora - Scansione del Registro");
    SetUpControls();
    StartAnimation();
    m_started = m_scans.StartScan(m_sections);
    if (!m_started) {
        // Without a worker no message would ever close the window.
        m_closing.Close();
        ShowPrompt(m_hWnd, kNotStarted, kProductTitle, MB_OK | MB_ICONERROR);
        Close(IDCANCEL);
    }
    return TRUE;
}

void CScanProgressDialog::SetUpControls()
{
    SetUpCaptionButton(m_stop, m_hWnd, IDC_PROGRESS_STOP, IDB_BUTTON, L"Stop scansione", {415, 398, 81, 21});
    const ControlPlace titlePlace{50, 30, 250, 40};
    const ControlPlace noticePlace{50, 90, 420, 40};
    const ControlPlace itemPlace{50, 140, 420, 21};
    SetUpLabel(m_title, m_hWnd, IDC_PROGRESS_TITLE, kTitleLook, L"Scansione del Registro",
               &titlePlace);
    SetUpLabel(m_notice, m_hWnd, IDC_PROGRESS_NOTICE, {RGB(0, 0, 0), 9, FW_BOLD},
               L"Scansione del PC in esecuzione. Il completamento dell’operazione può richiedere alcuni minuti.",
               &noticePlace);
    SetUpLabel(m_item, m_hWnd, IDC_PROGRESS_ITEM, {RGB(128, 128, 128), 8, FW_NORMAL}, L"", &itemPlace);
    for (int section = 0; section < kSectionCount; ++section) {
        const SectionControlIds& ids = kSectionControls[static_cast<size_t>(section)];
        const ControlPlace namePlace = SectionNamePlace(section);
        const ControlPlace countPlace = SectionCountPlace(section);
        SetUpLabel(m_names[static_cast<size_t>(section)], m_hWnd, ids.name, kSectionNameLook,
                   SectionName(section), &namePlace);
        SetUpLabel(m_counts[static_cast<size_t>(section)], m_hWnd, ids.count, {RGB(154, 0, 0), 7, FW_NORMAL},
                   L"(0)", &countPlace);
        m_counts[static_cast<size_t>(section)].SetAccessibleCaption(SectionName(section));
    }
    const HWND bar = GetDlgItem(IDC_PROGRESS_BAR);
    PlaceControl(m_hWnd, IDC_PROGRESS_BAR, {50, 160, 420, 21});
    SetUpAnnotation(m_bar, m_hWnd, IDC_PROGRESS_BAR, L"Avanzamento della scansione");
    ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressRangeTop));
    ::SendMessageW(bar, PBM_SETSTEP, kProgressStep, 0);
    ::SendMessageW(bar, PBM_SETPOS, 0, 0);
}

void CScanProgressDialog::StartAnimation()
{
    const HWND picture = GetDlgItem(IDC_PROGRESS_ANIMATION);
    if (!picture)
        return;
    PlaceControl(m_hWnd, IDC_PROGRESS_ANIMATION, {300, 325, 200, 21});
    if (!m_animation.GetSafeHwnd() && !m_animation.SubclassDlgItem(IDC_PROGRESS_ANIMATION, m_hWnd))
        return;
    // The file ships beside the program; without it there is nothing to show, so the
    // place stays empty rather than showing a blank box.
    m_animation.SetAccessibleName(L"Scansione in corso");
    if (m_animation.Load(GetModuleFolder() + L"\\Loading.gif"))
        m_animation.Draw();
    else
        ::ShowWindow(picture, SW_HIDE);
}

void CScanProgressDialog::OnProblemFound(WPARAM section, LPARAM foundSoFar)
{
    if (!IsSectionNumber(section) || foundSoFar < 0 || foundSoFar > INT_MAX)
        return;
    m_sectionProblems = static_cast<int>(foundSoFar);
    const HWND label = GetDlgItem(kSectionControls[section].count);
    ::SetWindowTextW(label, (L"(" + std::to_wstring(m_sectionProblems) + L")").c_str());
}

void CScanProgressDialog::OnItem(WPARAM text)
{
    const std::wstring item = ShortenItemText(TakeText(text));
    ::SetWindowTextW(GetDlgItem(IDC_PROGRESS_ITEM), item.c_str());
}

void CScanProgressDialog::OnSectionStarted(WPARAM section)
{
    if (!IsSectionNumber(section))
        return;
    m_sectionProblems = 0;
    if (!m_animation.HasImage())
        return;
    const POINT place = AnimationPlace(static_cast<int>(section));
    PlaceControl(m_hWnd, IDC_PROGRESS_ANIMATION, {place.x, place.y, kAnimationMarkSize, kAnimationMarkSize});
    ::ShowWindow(GetDlgItem(IDC_PROGRESS_ANIMATION), SW_SHOWNA);
}

void CScanProgressDialog::OnSectionDone(WPARAM section)
{
    if (!IsSectionNumber(section))
        return;
    ::ShowWindow(GetDlgItem(IDC_PROGRESS_ANIMATION), SW_HIDE);
    ::SendMessageW(GetDlgItem(IDC_PROGRESS_BAR), PBM_SETPOS, SectionProgressPosition(static_cast<int>(section)), 0);
}

void CScanProgressDialog::Finish()
{
    m_closing.Close();
    m_completed = true;
    ::SendMessageW(GetDlgItem(IDC_PROGRESS_BAR), PBM_SETPOS, kProgressRangeTop, 0);
    ShowPrompt(m_hWnd, kFinished, kProductTitle, MB_OK | MB_ICONINFORMATION);
    // The worker's last act was this message, so there is nothing to stop: asking whether
    // it still runs could catch it between its last post and its end and wrongly report
    // a completed scan as interrupted.
    Close(IDOK);
}

void CScanProgressDialog::StopButton()
{
    m_closing.Close();
    if (m_scans.HasScanWorker())
        m_scans.StopScan();
    ShowPrompt(m_hWnd, kStoppedByButton, kProductTitle, MB_OK);
    StopIfRunningAndClose(IDOK);
}

void CScanProgressDialog::StopIfRunningAndClose(INT_PTR result)
{
    m_closing.Close();
    if (m_scans.HasScanWorker() && m_scans.IsScanning()) {
        m_scans.StopScan();
        ShowPrompt(m_hWnd, kStoppedByClosing, kProductTitle, MB_OK);
    }
    Close(result);
}

void CScanProgressDialog::Close(INT_PTR result)
{
    m_animation.Stop();
    EndDialog(result);
}

void CScanProgressDialog::OnOK() { StopIfRunningAndClose(IDOK); }

void CScanProgressDialog::OnCancel() { StopIfRunningAndClose(IDCANCEL); }

bool CScanProgressDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (id != IDC_PROGRESS_STOP || code != BN_CLICKED)
        return false;
    if (!m_closing.IsClosing())
        StopButton();
    return true;
}

bool CScanProgressDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (IsWorkOf(WorkWindow::ScanProgress, message)) {
        result = 1;
        if (m_closing.Drops(message, wParam))
            return true;
        switch (message) {
        case WM_SCAN_PROBLEM_FOUND: OnProblemFound(wParam, lParam); break;
        case WM_SCAN_ITEM: OnItem(wParam); break;
        case WM_SCAN_FINISHED: Finish(); break;
        case WM_SCAN_SECTION_STARTED: OnSectionStarted(wParam); break;
        default: OnSectionDone(wParam); break;
        }
        return true;
    }
    if (message == WM_DESTROY)
        DiscardQueuedTexts(m_hWnd);
    return CBitmapDialog::OnMessage(message, wParam, lParam, result);
}
