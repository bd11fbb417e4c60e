#pragma once
// Application object base: one per process, reached through CWinApp::Current().

#include <windows.h>

class CDialogBase;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Set-up and the application's body; false ends the process with ExitInstance's code.
    virtual bool InitInstance() { return true; }
    // Clean-up; its result is the process exit code.
    virtual int ExitInstance() { return m_exitCode; }

    // InitInstance, then ExitInstance.
    int RunApplication(HINSTANCE instance);

    [[nodiscard]] static CWinApp* Current() { return s_current; }
    [[nodiscard]] HINSTANCE GetInstanceHandle() const { return m_hInstance; }

    CDialogBase* m_pMainWnd = nullptr;

protected:
    HINSTANCE m_hInstance = nullptr;
    int m_exitCode = 0;

private:
    static CWinApp* s_current;
};
