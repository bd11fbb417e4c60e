#pragma once
// Messages the update workers post to the main window (absolute values; 0x8000 is
// WM_APP). The main window keeps the five results and passes the download messages on to
// the download window.

#include <windows.h>

inline constexpr UINT WM_UPDATE_AVAILABLE = 0x811B;  // 0, 0
inline constexpr UINT WM_UPDATE_NONE = 0x811C;       // 0, 0
inline constexpr UINT WM_UPDATE_INSTALLED = 0x811D;  // 0, 0
inline constexpr UINT WM_UPDATE_FAILED = 0x811E;     // 0, 0
// The check worker: no answer from the update server (no connection, no server, a server
// that does not answer within its time-out). 0, 0.
inline constexpr UINT WM_UPDATE_UNREACHABLE = 0x8123;
inline constexpr UINT WM_DOWNLOAD_STARTED = 0x811F;   // wParam expected size in bytes
inline constexpr UINT WM_DOWNLOAD_DONE = 0x8120;      // 0, 0; also after a failed download, before WM_UPDATE_FAILED
inline constexpr UINT WM_DOWNLOAD_PROGRESS = 0x8121;  // wParam bytes written so far
