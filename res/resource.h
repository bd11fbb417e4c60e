#pragma once
// Resource numbers shared by the .rc file and the code.

#define IDI_VELMORA 227
#define IDD_SCAN_DIALOG 129
#define IDM_TRAY_MENU 138

// Skin
// Window backgrounds, drawn opaque (their windows keep magenta as transparent colour, unused).
#define IDB_MAIN_BACKGROUND 149          // 770 x 571, main window
#define IDB_PANEL_BACKGROUND 200         // 528 x 461, progress, startup manager, problem list, online windows
#define IDB_SMALL_PANEL_BACKGROUND 201   // 450 x 393, repair, restore, settings
#define IDB_SUMMARY_BACKGROUND 211       // 570 x 498, repair summary
#define IDB_RESULTS_BACKGROUND 247       // 528 x 461, scan results
// Button faces; pure red (COLORREF 255) is their transparent colour. Where a button has
// two, the second serves for pressed, hover and disabled.
#define IDB_CLOSE_NORMAL 154             // 24 x 24
#define IDB_CLOSE_ACTIVE 155
#define IDB_MINIMIZE_NORMAL 156          // 24 x 24
#define IDB_MINIMIZE_ACTIVE 157
#define IDB_SCAN_NORMAL 187              // 181 x 50, "Scansione"
#define IDB_SETTINGS_ACTIVE 188
#define IDB_SETTINGS_NORMAL 189          // 181 x 50, "Impostazioni"
#define IDB_ADVANCED_REPAIR_NORMAL 190   // 181 x 50, "Riparazione Avanzata"
#define IDB_ADVANCED_REPAIR_ACTIVE 191
#define IDB_BACKUP_ACTIVE 192
#define IDB_BACKUP_NORMAL 193            // 181 x 50, "Backup"
#define IDB_STARTUP_NORMAL 194           // 181 x 50, "Gestione Avvio"
#define IDB_STARTUP_ACTIVE 195
#define IDB_SCAN_ACTIVE 196
#define IDB_BUTTON 202                   // 81 x 21, caption drawn by the button
#define IDB_BUTTON_WIDE 203              // 121 x 21, caption drawn by the button
#define IDB_BUTTON_HEADER 204            // 80 x 31, on the main window's header
#define IDB_NEW_SCAN_NORMAL 237          // 113 x 31, "Nuovo Scan"
#define IDB_NEW_SCAN_ACTIVE 238
#define IDB_BUTTON_LARGE 239             // 113 x 31, caption drawn by the button
#define IDB_REPAIR_ACTIVE 240
#define IDB_REPAIR_NORMAL 241            // 113 x 31, "Ripara"
#define IDB_BUTTON_REPORTS 242           // 180 x 21, caption drawn by the button
// Check-box strip: eight 13 x 13 frames side by side, magenta transparent.
#define IDB_CHECKBOX_STRIP 197
// Scan results: details icon (16 x 16) and severity bars by problem count (145 x 33).
#define IDB_DETAILS_ICON 248
#define IDB_SEVERITY_1 252               // 1 - 30
#define IDB_SEVERITY_2 253               // 31 - 60
#define IDB_SEVERITY_3 254               // 61 - 90
#define IDB_SEVERITY_4 255               // 91 - 120
#define IDB_SEVERITY_5 256               // more than 120
// Main window gauge (210 x 75): no pointer, then the pointer on steps 1 to 5.
#define IDB_GAUGE_UNKNOWN 257
#define IDB_GAUGE_STEP_1 267
#define IDB_GAUGE_STEP_2 259
#define IDB_GAUGE_STEP_3 260
#define IDB_GAUGE_STEP_4 261
#define IDB_GAUGE_STEP_5 262
// Tray menu commands (menu IDM_TRAY_MENU).
#define ID_TRAY_EXIT 32773
#define ID_TRAY_OPEN 32774
#define ID_TRAY_SCAN_NOW 32777
#define ID_TRAY_CHECK_UPDATES 32778
#define ID_TRAY_LANGUAGE_ITALIAN 32781
#define ID_TRAY_START_WITH_WINDOWS_YES 32782
#define ID_TRAY_START_WITH_WINDOWS_NO 32783
