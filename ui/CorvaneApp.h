#pragma once
// The application object: shows the main window modally; the process ends with it.

#include "framework/WinApp.h"

class CCorvaneApp : public CWinApp {
public:
    bool InitInstance() override;
};
