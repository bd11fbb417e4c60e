#include "framework/WinApp.h"

CWinApp* CWinApp::s_current = nullptr;

CWinApp::CWinApp() { s_current = this; }

CWinApp::~CWinApp()
{
    if (s_current == this)
        s_current = nullptr;
}

int CWinApp::RunApplication(HINSTANCE instance)
{
    m_hInstance = instance;
    InitInstance();
    return ExitInstance();
}
