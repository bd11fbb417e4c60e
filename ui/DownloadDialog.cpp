#include "ui/DownloadDialog.h"

#include "core/UpdateText.h"
#include "online/UpdateMessages.h"
#include "res/resource.h"
#include "ui/WindowLayout.h"

#include <commctrl.h>

namespace {

struct FigureRow {
    int captionId;
    int valueId;
    const wchar_t* caption;
};
constexpr std::array<FigureRow, 4> kFigureRows{{
    {IDC_DOWNLOAD_DONE_LABEL, IDC_DOWNLOAD_DONE, L"Scaricati:"},
    {IDC_DOWNLOAD_SPEED_LABEL, IDC_DOWNLOAD_SPEED, L"Velocità di download:"},
    {IDC_DOWNLOAD_SIZE_LABEL, IDC_DOWNLOAD_SIZE, L"Dimensioni del file:"},
    {IDC_DOWNLOAD_TIME_LABEL, IDC_DOWNLOAD_TIME, L"Tempo trascorso:"},
}};

}  // namespace


CDownloadDialog::CDownloadDialog(IDownloadService& downloads) : CBitmapDialog(IDD_DOWNLOAD), m_downloads(downloads) {}

BOOL CDownloadDialog::OnInitDialog()
{
    m_closing.Open();
    m_startTick = ::GetTickCount64();
    SetUpSkinnedPanel(*this, kSmallPanelSkin, L"Velmora - Aggiornamento");
    SetUpControls();
    return TRUE;
}

void CDownloadDialog::SetUpControls()
{
    const ControlPlace titlePlace{50, 30, 300, 45};
    const ControlPlace noticePlace{50, 90, 350, 41};
    SetUpLabel(m_title, m_hWnd, IDC_DOWNLOAD_TITLE, kTitleLook, L"SCARICAMENTO", &titlePlace);
    SetUpLabel(m_notice, m_hWnd, IDC_DOWNLOAD_NOTICE, {kBlack, 9, FW_BOLD},
               L"Attendere mentre è in corso il download degli aggiornamenti del programma.", &noticePlace);
    PlaceControl(m_hWnd, IDC_DOWNLOAD_PROGRESS, {50, 150, 350, 21});
    SetUpAnnotation(m_bar, m_hWnd, IDC_DOWNLOAD_PROGRESS, L"Avanzamento del download");
    ::SendMessageW(GetDlgItem(IDC_DOWNLOAD_PROGRESS), PBM_SETRANGE32, 0, 0);
    for (std::size_t row = 0; row < kFigureRows.size(); ++row) {
        const int y = 190 + 25 * static_cast<int>(row);
        const ControlPlace captionPlace{50, y, 150, 18};
        const ControlPlace valuePlace{210, y, 190, 18};
        SetUpLabel(m_figureLabels[2 * row], m_hWnd, kFigureRows[row].captionId, {kBlack, 9, FW_BOLD},
                   kFigureRows[row].caption, &captionPlace);
        SetUpLabel(m_figureLabels[2 * row + 1], m_hWnd, kFigureRows[row].valueId, {kBlack, 9, FW_NORMAL}, L"",
                   &valuePlace);
        m_figureLabels[2 * row + 1].SetAccessibleCaption(kFigureRows[row].caption);
    }
    SetUpCaptionButton(m_cancel, m_hWnd, IDC_DOWNLOAD_CANCEL, IDB_BUTTON, L"Interrompi", {340, 340, 81, 21});
}

void CDownloadDialog::OnStarted(std::uint64_t expectedBytes)
{
    m_startTick = ::GetTickCount64();
    ::SendMessageW(GetDlgItem(IDC_DOWNLOAD_PROGRESS), PBM_SETRANGE32, 0,
                   static_cast<LPARAM>(expectedBytes / 1024));
    const DownloadFigures figures = FiguresAfter(0, 0);
    ::SetWindowTextW(GetDlgItem(IDC_DOWNLOAD_SIZE), KilobytesText(expectedBytes).c_str());
    ::SetWindowTextW(GetDlgItem(IDC_DOWNLOAD_TIME), figures.elapsed.c_str());
    ::SetWindowTextW(GetDlgItem(IDC_DOWNLOAD_SPEED), figures.speed.c_str());
    ::SetWindowTextW(GetDlgItem(IDC_DOWNLOAD_DONE), figures.downloaded.c_str());
}

void CDownloadDialog::OnProgress(std::uint64_t bytes)
{
    const DownloadFigures figures = FiguresAfter(bytes, ::GetTickCount64() - m_startTick);
    ::SetWindowTextW(GetDlgItem(IDC_DOWNLOAD_SPEED), figures.speed.c_str());
    ::SetWindowTextW(GetDlgItem(IDC_DOWNLOAD_TIME), figures.elapsed.c_str());
    ::SendMessageW(GetDlgItem(IDC_DOWNLOAD_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(bytes / 1024), 0);
    ::SetWindowTextW(GetDlgItem(IDC_DOWNLOAD_DONE), figures.downloaded.c_str());
}

void CDownloadDialog::OnCancel()
{
    if (m_closing.Close())
        m_downloads.StopDownload();
    EndDialog(IDCANCEL);
}

bool CDownloadDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (id != IDC_DOWNLOAD_CANCEL || code != BN_CLICKED)
        return false;
    OnCancel();
    return true;
}

bool CDownloadDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_DOWNLOAD_STARTED:
    case WM_DOWNLOAD_PROGRESS:
    case WM_DOWNLOAD_DONE:
        result = 1;
        if (m_closing.Drops(message, wParam))
            return true;
        if (message == WM_DOWNLOAD_STARTED) {
            OnStarted(wParam);
        } else if (message == WM_DOWNLOAD_PROGRESS) {
            OnProgress(wParam);
        } else {
            m_closing.Close();
            EndDialog(IDOK);
        }
        return true;
    default:
        break;
    }
    return CBitmapDialog::OnMessage(message, wParam, lParam, result);
}
