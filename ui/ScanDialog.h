#pragma once
// The program's main window.

#include "framework/Dialog.h"
#include "framework/Handles.h"

class CScanDialog : public CDialogBase {
public:
    CScanDialog();

protected:
    BOOL OnInitDialog() override;

private:
    HICON m_largeIcon = nullptr;  // shared resource icons: never destroyed
    HICON m_smallIcon = nullptr;
};
