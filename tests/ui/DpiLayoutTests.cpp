// Every window of the program, in every state of the gallery's tour, laid out at 96 DPI
// and again after a move to a 120, 144 and 192-DPI monitor (the WM_DPICHANGED a window
// gets there):
// the text of each label and button fits its rectangle in the font it is painted in, no
// two texts overlap, and every text lies inside its window.

#include "controls/CheckBox.h"
#include "controls/DpiScale.h"
#include "tests/gallery/GalleryWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct TextControl {
    HWND window;
    RECT place;  // in the parent's client coordinates
    std::wstring text;
};

std::wstring ClassOf(HWND window)
{
    wchar_t name[32] = {};
    ::GetClassNameW(window, name, 32);
    return name;
}

HFONT FontOf(HWND control) { return reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)); }

bool IsButton(HWND control) { return lstrcmpiW(ClassOf(control).c_str(), L"Button") == 0; }

// A check box paints its text beside its box, in its own face.
bool IsCheckBox(HWND control)
{
    LOGFONTW font{};
    return IsButton(control) && ::GetObjectW(FontOf(control), sizeof(font), &font) == sizeof(font) &&
           lstrcmpiW(font.lfFaceName, CCheckBox::kTextFace) == 0;
}

// A label that ends a text too long for it in an ellipsis, by design.
bool EndsInEllipsis(HWND control)
{
    return !IsButton(control) && (::GetWindowLongPtrW(control, GWL_STYLE) & SS_ELLIPSISMASK) != 0;
}

// Labels and buttons that paint a text of their own. A skinned button whose caption is
// in its bitmap paints none: it answers with the window's font, where one that paints
// its caption or a check box's text answers with the font it paints in.
bool ShowsText(HWND control, HWND window)
{
    const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
    if (lstrcmpiW(ClassOf(control).c_str(), L"Static") == 0) {
        const LONG_PTR type = style & SS_TYPEMASK;
        return type != SS_BITMAP && type != SS_ICON;
    }
    if (!IsButton(control) || (style & BS_TYPEMASK) == BS_GROUPBOX)
        return false;
    return (style & BS_TYPEMASK) != BS_OWNERDRAW || FontOf(control) != FontOf(window);
}

std::vector<TextControl> TextControlsOf(HWND window)
{
    std::vector<TextControl> controls;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int length = ::GetWindowTextLengthW(child);
        if (!::IsWindowVisible(child) || length == 0 || !ShowsText(child, window))
            continue;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(::GetWindowTextW(child, text.data(), length + 1)));
        RECT place{};
        ::GetWindowRect(child, &place);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        controls.push_back({child, place, text});
    }
    return controls;
}

// The room the text needs in the control's own font: wrapped to the control's width for
// a label that wraps, on one line for the rest.
SIZE TextExtent(const TextControl& control)
{
    const bool wraps = !IsButton(control.window) &&
                       (::GetWindowLongPtrW(control.window, GWL_STYLE) & SS_CENTERIMAGE) == 0;
    RECT needed{0, 0, control.place.right - control.place.left, 0};
    const HDC dc = ::GetDC(control.window);
    const HFONT font = FontOf(control.window);
    const HGDIOBJ previous = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    ::DrawTextW(dc, control.text.c_str(), static_cast<int>(control.text.size()), &needed,
                DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(dc, previous);
    ::ReleaseDC(control.window, dc);
    return {needed.right, needed.bottom};
}

// Where the text shows inside the control: as wide and tall as it needs (at most the
// control), aligned as the control aligns it.
RECT TextArea(const TextControl& control, SIZE needed)
{
    const LONG_PTR style = ::GetWindowLongPtrW(control.window, GWL_STYLE);
    const bool button = IsButton(control.window);
    const LONG width = std::min<LONG>(needed.cx, control.place.right - control.place.left);
    const LONG height = std::min<LONG>(needed.cy, control.place.bottom - control.place.top);
    const LONG spareX = control.place.right - control.place.left - width;
    const LONG spareY = control.place.bottom - control.place.top - height;
    LONG left = control.place.left;
    if (button || (style & SS_TYPEMASK) == SS_CENTER)
        left += spareX / 2;
    else if ((style & SS_TYPEMASK) == SS_RIGHT)
        left += spareX;
    const LONG top = control.place.top + (button || (style & SS_CENTERIMAGE) ? spareY / 2 : 0);
    return {left, top, left + width, top + height};
}

void ExpectLaidOut(HWND window, const std::wstring& name)
{
    const CDpiScale scale = CDpiScale::OfWindow(window);
    const std::wstring where = name + L" at " + std::to_wstring(scale.Dpi()) + L" DPI: ";
    RECT client{};
    ::GetClientRect(window, &client);
    const std::vector<TextControl> controls = TextControlsOf(window);
    std::vector<RECT> areas;
    for (const TextControl& control : controls) {
        const std::wstring what = where + L"\"" + control.text + L"\"";
        const int room = control.place.right - control.place.left -
                         (IsCheckBox(control.window) ? scale.Px(CCheckBox::kBoxSize + 5) : 0);
        const SIZE needed = TextExtent(control);
        EXPECT_TRUE(needed.cx <= room || EndsInEllipsis(control.window)) << what << L" is cut at the side";
        EXPECT_LE(needed.cy, control.place.bottom - control.place.top) << what << L" is cut at the bottom";
        const RECT area = TextArea(control, needed);
        RECT inside{};
        EXPECT_TRUE(::IntersectRect(&inside, &area, &client) && ::EqualRect(&inside, &area))
            << what << L" reaches beyond the window";
        for (size_t other = 0; other < areas.size(); ++other) {
            RECT common{};
            EXPECT_FALSE(::IntersectRect(&common, &area, &areas[other]))
                << what << L" overlaps \"" << controls[other].text << L"\"";
        }
        areas.push_back(area);
    }
}

void MoveToDpi(HWND window, int dpi)
{
    const int from = CDpiScale::OfWindow(window).Dpi();
    RECT place{};
    ::GetWindowRect(window, &place);
    RECT suggested{place.left, place.top, place.left + ::MulDiv(place.right - place.left, dpi, from),
                   place.top + ::MulDiv(place.bottom - place.top, dpi, from)};
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// Looks at each window of the tour as it is, then on each other monitor and back.
class CLayoutInspector final : public IWindowCamera {
public:
    void Take(HWND window, const std::wstring& name) override
    {
        const int dpi = CDpiScale::OfWindow(window).Dpi();
        ExpectLaidOut(window, name);
        for (const int other : {120, 144, 192}) {
            MoveToDpi(window, other);
            ExpectLaidOut(window, name);
            MoveToDpi(window, dpi);
        }
        ++seen;
    }
    void TakeStates(HWND window, const std::wstring& name) override { Take(window, name); }
    void Missed(const std::wstring& name) override { ADD_FAILURE() << name << L" did not open"; }

    int seen = 0;
};

TEST(DpiLayout, EveryWindowFitsItsTextAtEveryScale)
{
    CLayoutInspector inspector;
    PhotographEveryWindow(inspector);
    EXPECT_GT(inspector.seen, 10);
}

}  // namespace
