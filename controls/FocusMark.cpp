#include "controls/FocusMark.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "framework/Handles.h"

namespace {

double Linear(BYTE channel)
{
    const double value = channel / 255.0;
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(COLORREF color)
{
    return 0.2126 * Linear(GetRValue(color)) + 0.7152 * Linear(GetGValue(color)) +
           0.0722 * Linear(GetBValue(color));
}

// Black or white, whichever keeps the higher contrast against the least contrasting of
// the pixels the ring will cover.
COLORREF MarkColorOver(HDC dc, const RECT& ring)
{
    const int midX = (ring.left + ring.right) / 2;
    const int midY = (ring.top + ring.bottom) / 2;
    const std::array<POINT, 8> samples{{{ring.left, ring.top},
                                        {midX, ring.top},
                                        {ring.right - 1, ring.top},
                                        {ring.left, midY},
                                        {ring.right - 1, midY},
                                        {ring.left, ring.bottom - 1},
                                        {midX, ring.bottom - 1},
                                        {ring.right - 1, ring.bottom - 1}}};
    double worstForBlack = 21.0;
    double worstForWhite = 21.0;
    for (const POINT& sample : samples) {
        const COLORREF under = ::GetPixel(dc, sample.x, sample.y);
        if (under == CLR_INVALID)
            continue;
        worstForBlack = std::min(worstForBlack, ContrastRatio(RGB(0, 0, 0), under));
        worstForWhite = std::min(worstForWhite, ContrastRatio(RGB(255, 255, 255), under));
    }
    return worstForBlack >= worstForWhite ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

}  // namespace

double ContrastRatio(COLORREF first, COLORREF second)
{
    const double a = Luminance(first);
    const double b = Luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

void DrawFocusMark(HWND control, bool focused, HDC dc, const RECT& bounds, int inset)
{
    if (!focused || (::SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS))
        return;
    RECT mark = bounds;
    ::InflateRect(&mark, -inset, -inset);
    if (mark.right - mark.left <= 2 * kFocusMarkWidth || mark.bottom - mark.top <= 2 * kFocusMarkWidth)
        return;
    UniqueGdiObject<HBRUSH> brush(::CreateSolidBrush(MarkColorOver(dc, mark)));
    if (!brush)
        return;
    for (int ring = 0; ring < kFocusMarkWidth; ++ring) {
        ::FrameRect(dc, &mark, brush.get());
        ::InflateRect(&mark, -1, -1);
    }
}
