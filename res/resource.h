#pragma once
// Resource numbers shared by the .rc file and the code.

#define IDI_VELMORA 227
#define IDD_SCAN_DIALOG 129
#define IDM_TRAY_MENU 138
