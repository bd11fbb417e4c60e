#pragma once
// Messages the repair worker and the backup listing post to the window that shows
// that work (absolute values; 0x8000 is WM_APP). Text travels as a BSTR the receiver
// frees (TakeText in framework/Handles.h).

#include "engine/ScanMessages.h"

#include <windows.h>

inline constexpr UINT WM_REPAIR_STARTED = 0x8113;   // wParam number of problems to repair, lParam 0
inline constexpr UINT WM_REPAIR_PROGRESS = 0x8114;  // wParam problems handled so far (1 for the first)
inline constexpr UINT WM_REPAIR_ITEM = 0x8115;      // wParam BSTR: where the problem is
// 0, 0; also after a stop. Posted again while the receiver's queue is full, unless a
// stop was asked for (its owner then waits for the thread instead).
inline constexpr UINT WM_REPAIR_FINISHED = 0x8116;
inline constexpr UINT WM_BACKUP_FOUND = 0x8118;     // wParam BSTR: full path of one backup file

// Whether a scan, repair or backup message carries a BSTR in wParam.
[[nodiscard]] inline bool CarriesText(UINT message)
{
    return message == WM_SCAN_ITEM || message == WM_REPAIR_ITEM || message == WM_BACKUP_FOUND;
}
