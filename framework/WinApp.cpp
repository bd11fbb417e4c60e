#include "framework/WinApp.h"

int CWinApp::RunApplication()
{
    InitInstance();
    return ExitInstance();
}
