#include "ui/CorvaneApp.h"

#include "ui/ScanDialog.h"

#include <commctrl.h>

bool CCorvaneApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);

    CScanDialog mainWindow;
    m_pMainWnd = &mainWindow;
    const INT_PTR result = mainWindow.DoModal();
    m_pMainWnd = nullptr;
    m_exitCode = result == -1 ? 1 : 0;
    return result != -1;
}
