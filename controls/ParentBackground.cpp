#include "controls/ParentBackground.h"

bool PaintParentBackground(HWND control, HDC dc, const RECT& area, POINT origin)
{
    RECT target = area;
    ::OffsetRect(&target, origin.x, origin.y);
    const HWND parent = ::GetParent(control);
    bool painted = false;
    if (parent) {
        POINT position{0, 0};
        ::MapWindowPoints(control, parent, &position, 1);
        // The parent paints its whole client area: clip it to the target, shift it so the
        // part behind the control lands there, and restore the DC afterwards.
        const int saved = ::SaveDC(dc);
        ::IntersectClipRect(dc, target.left, target.top, target.right, target.bottom);
        POINT viewport{};
        ::GetViewportOrgEx(dc, &viewport);
        ::SetViewportOrgEx(dc, viewport.x + origin.x - position.x, viewport.y + origin.y - position.y, nullptr);
        painted = ::SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
        ::RestoreDC(dc, saved);
    }
    if (!painted)
        ::FillRect(dc, &target, ::GetSysColorBrush(COLOR_BTNFACE));
    return painted;
}
