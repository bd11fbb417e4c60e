#include "controls/FocusMark.h"

void DrawFocusMark(HWND control, bool focused, HDC dc, const RECT& bounds, int inset)
{
    if (!focused || (::SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS))
        return;
    RECT mark = bounds;
    ::InflateRect(&mark, -inset, -inset);
    if (mark.right <= mark.left || mark.bottom <= mark.top)
        return;
    // The dotted pattern inverts what is below it, so it shows on any face.
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &mark);
    ::SetBkColor(dc, oldBack);
    ::SetTextColor(dc, oldText);
}
