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

// Dialogs
#define IDD_SCAN_PROGRESS 130
// Section rows, shared by the main and the progress window: check box, name label, count label.
#define IDC_SECTION_BOX_0 1018
#define IDC_SECTION_BOX_1 1007
#define IDC_SECTION_BOX_2 1009
#define IDC_SECTION_BOX_3 1010
#define IDC_SECTION_BOX_4 1011
#define IDC_SECTION_BOX_5 1008
#define IDC_SECTION_BOX_6 1012
#define IDC_SECTION_BOX_7 1015
#define IDC_SECTION_BOX_8 1013
#define IDC_SECTION_BOX_9 1014
#define IDC_SECTION_BOX_10 1006
#define IDC_SECTION_BOX_11 1016
#define IDC_SECTION_NAME_0 1083
#define IDC_SECTION_NAME_1 1073
#define IDC_SECTION_NAME_2 1075
#define IDC_SECTION_NAME_3 1076
#define IDC_SECTION_NAME_4 1082
#define IDC_SECTION_NAME_5 1074
#define IDC_SECTION_NAME_6 1077
#define IDC_SECTION_NAME_7 1080
#define IDC_SECTION_NAME_8 1078
#define IDC_SECTION_NAME_9 1079
#define IDC_SECTION_NAME_10 1072
#define IDC_SECTION_NAME_11 1081
#define IDC_SECTION_COUNT_0 1108
#define IDC_SECTION_COUNT_1 1098
#define IDC_SECTION_COUNT_2 1100
#define IDC_SECTION_COUNT_3 1101
#define IDC_SECTION_COUNT_4 1107
#define IDC_SECTION_COUNT_5 1099
#define IDC_SECTION_COUNT_6 1102
#define IDC_SECTION_COUNT_7 1105
#define IDC_SECTION_COUNT_8 1103
#define IDC_SECTION_COUNT_9 1104
#define IDC_SECTION_COUNT_10 1097
#define IDC_SECTION_COUNT_11 1106
// Main window (IDD_SCAN_DIALOG)
#define IDC_MAIN_SETTINGS 1001
#define IDC_MAIN_RESTORE 1002
#define IDC_MAIN_SCAN 1005
#define IDC_MAIN_NEW_SCAN 1020
#define IDC_MAIN_UPDATE 1021
#define IDC_MAIN_CONTACT 1022
#define IDC_MAIN_CLOSE 1024
#define IDC_MAIN_MINIMIZE 1025
#define IDC_MAIN_STARTUP 1028
#define IDC_MAIN_ADVANCED_REPAIR 1029
#define IDC_MAIN_LAST_RESULTS 1052
#define IDC_MAIN_VERSION 1049
#define IDC_MAIN_RELEASE_DATE 1050
#define IDC_MAIN_TITLE 1067
#define IDC_MAIN_PROBLEM_COUNT 1142
#define IDC_MAIN_GAUGE 1146
#define IDC_MAIN_LAST_SCAN 1156
#define IDC_MAIN_UPDATE_STATUS 1159
// Scan progress window (IDD_SCAN_PROGRESS)
#define IDC_PROGRESS_STOP 1020
#define IDC_PROGRESS_BAR 1022
#define IDC_PROGRESS_ITEM 1023
#define IDC_PROGRESS_TITLE 1054
#define IDC_PROGRESS_NOTICE 1061
#define IDC_PROGRESS_ANIMATION 1084

// Results, repair and restore windows
#define IDD_SCAN_RESULTS 132
#define IDD_SCAN_RESULT_CONTAINER 133
#define IDD_REPAIR_ERRORS 142
#define IDD_RESTORE_BACKUPS 143
#define IDD_RESULT_STATUS 207
#define IDD_SECTION_RESULT 209
#define IDD_SECTION_RESULTS_CONTAINER 210
// Scan results window (IDD_SCAN_RESULTS); the list is a child dialog given its own id.
#define IDC_RESULTS_TITLE 1054
#define IDC_RESULTS_REPAIR 1024
#define IDC_RESULTS_REPORT 1052
#define IDC_RESULTS_BANNER 1027
#define IDC_RESULTS_TOTAL 1055
#define IDC_RESULTS_LIST 1300
// Per-section window (IDD_SECTION_RESULT)
#define IDC_SECTION_RESULT_TITLE 1054
#define IDC_SECTION_RESULT_COUNT 1027
#define IDC_SECTION_RESULT_HINT 1028
#define IDC_SECTION_RESULT_SAVE 1129
#define IDC_SECTION_RESULT_CANCEL 1052
#define IDC_SECTION_RESULT_LIST 1301
// Repair window (IDD_REPAIR_ERRORS); its close button is IDCANCEL.
#define IDC_REPAIR_TITLE 1054
#define IDC_REPAIR_NOTICE 1055
#define IDC_REPAIR_ITEM 1038
#define IDC_REPAIR_PROGRESS 1022
// Repair summary (IDD_RESULT_STATUS): per section a name and three numbers, id = first + section.
#define IDC_STATUS_TITLE 1054
#define IDC_STATUS_TOTAL_FOUND 1055
#define IDC_STATUS_TOTAL_REPAIRED 1056
#define IDC_STATUS_TOTAL_IGNORED 1057
#define IDC_STATUS_CLOSE 1124
#define IDC_STATUS_NAME_FIRST 1310
#define IDC_STATUS_FOUND_FIRST 1330
#define IDC_STATUS_REPAIRED_FIRST 1350
#define IDC_STATUS_IGNORED_FIRST 1370
// Restore window (IDD_RESTORE_BACKUPS)
#define IDC_RESTORE_TITLE 1054
#define IDC_RESTORE_NOTICE 1061
#define IDC_RESTORE_SELECT_ALL 1140
#define IDC_RESTORE_SELECT_ALL_LABEL 1141
#define IDC_RESTORE_LIST 1040
#define IDC_RESTORE_DELETE 1041
#define IDC_RESTORE_RESTORE 1039
#define IDC_RESTORE_CLOSE 1124

// Advanced repair: send-log window (IDD_SEND_LOG, send is IDOK, cancel IDCANCEL) and
// custom-solution window (IDD_CUSTOM_SOLUTION)
#define IDD_SEND_LOG 144
#define IDD_CUSTOM_SOLUTION 145
#define IDC_SEND_LOG_SNAPSHOT 1041
#define IDC_SEND_LOG_EMAIL 1042
#define IDC_SEND_LOG_DESCRIPTION 1043
#define IDC_SEND_LOG_NAME 1044
#define IDC_SEND_LOG_TITLE 1054
#define IDC_SEND_LOG_SUBTITLE 1055
#define IDC_SEND_LOG_EXPLANATION 1056
#define IDC_SEND_LOG_NAME_LABEL 1057
#define IDC_SEND_LOG_EMAIL_LABEL 1058
#define IDC_SEND_LOG_DESCRIPTION_LABEL 1059
#define IDC_SOLUTION_INSTRUCTIONS 1043
#define IDC_SOLUTION_STATUS 1044
#define IDC_SOLUTION_RUN 1045
#define IDC_SOLUTION_TITLE 1054
#define IDC_SOLUTION_INSTRUCTIONS_LABEL 1068
#define IDC_SOLUTION_STATUS_LABEL 1069
