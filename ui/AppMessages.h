#pragma once
// Window messages of the user interface that no worker header defines (absolute values;
// 0x8000 is WM_APP). The scan, repair, backup and update messages live with their workers
// in engine/ScanMessages.h, engine/EngineMessages.h and online/UpdateMessages.h.

#include "online/UpdateMessages.h"

#include <windows.h>

// The main window posts this to itself as the last step of its set-up.
inline constexpr UINT WM_STARTUP_READY = 0x8122;
// The tray icon's callback: wParam the icon id, lParam the mouse message.
inline constexpr UINT WM_TRAY_NOTIFY = WM_USER + 0x38;
// The main window posts this to itself from its first paint, so that what waits for the
// window to be on the screen (the automatic scan among it) runs after the paint, not in it.
inline constexpr UINT WM_FIRST_PAINTED = 0x8140;
// The advanced-repair windows' workers: the log was sent, the solution fetched, the
// solution's actions carried out (0, 0; the window reads the result from its worker).
inline constexpr UINT WM_SEND_LOG_DONE = 0x8141;
inline constexpr UINT WM_SOLUTION_FETCHED = 0x8142;
inline constexpr UINT WM_SOLUTION_RUN_DONE = 0x8143;
// The solution's worker after each action: wParam the actions done, lParam of how many.
inline constexpr UINT WM_SOLUTION_PROGRESS = 0x8144;
