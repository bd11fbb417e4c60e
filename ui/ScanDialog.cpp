#include "ui/ScanDialog.h"

#include "res/resource.h"

CScanDialog::CScanDialog() : CDialogBase(IDD_SCAN_DIALOG) {}

BOOL CScanDialog::OnInitDialog()
{
    const HINSTANCE module = ResourceModule();
    m_largeIcon = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(IDI_VELMORA), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                                  LR_SHARED));
    m_smallIcon = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(IDI_VELMORA), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                  LR_SHARED));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_largeIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    return TRUE;
}
