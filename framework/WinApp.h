#pragma once
// Application object base: the program's body runs in InitInstance, and ExitInstance
// gives the process exit code.

class CWinApp {
public:
    CWinApp() = default;
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Set-up and the application's body; false ends the process with ExitInstance's code.
    virtual bool InitInstance() { return true; }
    // Clean-up; its result is the process exit code.
    virtual int ExitInstance() { return m_exitCode; }

    // InitInstance, then ExitInstance.
    int RunApplication();

protected:
    int m_exitCode = 0;
};
