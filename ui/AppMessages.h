#pragma once
// Window messages of the user interface that no engine header defines (absolute values;
// 0x8000 is WM_APP). The scan, repair and backup messages live with their workers in
// engine/ScanMessages.h and engine/EngineMessages.h.

#include <windows.h>

// Posted by the update-check and update-download workers to the main window.
inline constexpr UINT WM_UPDATE_AVAILABLE = 0x811B;  // 0, 0
inline constexpr UINT WM_UPDATE_NONE = 0x811C;       // 0, 0
inline constexpr UINT WM_UPDATE_INSTALLED = 0x811D;  // 0, 0
inline constexpr UINT WM_UPDATE_FAILED = 0x811E;     // 0, 0
// Posted by the update-download worker; the main window passes them to the download window.
inline constexpr UINT WM_DOWNLOAD_STARTED = 0x811F;   // wParam expected size in bytes
inline constexpr UINT WM_DOWNLOAD_DONE = 0x8120;      // 0, 0
inline constexpr UINT WM_DOWNLOAD_PROGRESS = 0x8121;  // wParam bytes written so far

// The main window posts this to itself as the last step of its set-up.
inline constexpr UINT WM_STARTUP_READY = 0x8122;
// The tray icon's callback: wParam the icon id, lParam the mouse message.
inline constexpr UINT WM_TRAY_NOTIFY = WM_USER + 0x38;
// The main window posts this to itself from its first paint, so that the automatic scan
// starts once the window is on the screen rather than inside the paint.
inline constexpr UINT WM_AUTO_SCAN_CHECK = 0x8140;
