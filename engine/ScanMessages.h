#pragma once
// Messages the scan worker posts to the window that follows the scan (absolute
// values; 0x8000 is WM_APP). WM_SCAN_ITEM carries a BSTR the receiver frees
// (TakeText in framework/Handles.h).

#include <windows.h>

// wParam section, lParam the problems found in that section so far (one message may
// stand for several problems).
inline constexpr UINT WM_SCAN_PROBLEM_FOUND = 0x810C;
inline constexpr UINT WM_SCAN_ITEM = 0x810D;             // wParam BSTR item text, lParam 0
// 0, 0; only after a scan that was not cancelled, and then always (posted again while
// the receiver's queue is full).
inline constexpr UINT WM_SCAN_FINISHED = 0x810F;
inline constexpr UINT WM_SCAN_SECTION_STARTED = 0x8110;  // wParam section, lParam ordinal
inline constexpr UINT WM_SCAN_SECTION_DONE = 0x8111;     // wParam section, lParam ordinal
