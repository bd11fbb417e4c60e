// The coloured label (look, alignment, repainting what it covered) and the check list
// (which clicks it reports).

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <type_traits>
#include <vector>

#include "controls/ItemListCtrl.h"
#include "controls/XColorStatic.h"
#include "res/resource.h"
#include "tests/controls/ControlsTestSupport.h"

namespace {

constexpr COLORREF kInk = RGB(200, 0, 0);

struct LabelOnSkin {
    CTestDialog dialog;
    HWND window = nullptr;
    CXColorStatic label;

    bool Open(DWORD style, const wchar_t* text, RECT place = RECT{20, 20, 220, 80})
    {
        if (!dialog.SetSkinBitmap(IDB_SMALL_PANEL_BACKGROUND) || !dialog.Open(450, 393))
            return false;
        dialog.SetTransparentLabels(true);
        window = CreateChild(dialog.GetSafeHwnd(), L"STATIC", text, style, place, 1067);
        if (!window || !label.Attach(window))
            return false;
        label.SetTextColor(kInk);
        label.SetTextFont(16, FW_BOLD);
        return true;
    }

    // Bounds of the pixels drawn in the label's colour.
    RECT Ink()
    {
        PaintNow(dialog.GetSafeHwnd());
        const Capture shown = CaptureClient(window);
        RECT bounds{shown.width, shown.height, -1, -1};
        for (int y = 0; y < shown.height; ++y) {
            for (int x = 0; x < shown.width; ++x) {
                if (shown.At(x, y) == kInk) {
                    bounds.left = std::min<LONG>(bounds.left, x);
                    bounds.top = std::min<LONG>(bounds.top, y);
                    bounds.right = std::max<LONG>(bounds.right, x);
                    bounds.bottom = std::max<LONG>(bounds.bottom, y);
                }
            }
        }
        return bounds;
    }
};

// Clicks the list view at a client point as the mouse would (press, then release).
void Click(HWND list, POINT point)
{
    const LPARAM where = MAKELPARAM(point.x, point.y);
    ::PostMessageW(list, WM_LBUTTONUP, 0, where);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PumpMessages();
}

// A point of `item` whose hit test gives `part` (found by probing the row from the left).
POINT PointOn(HWND list, int item, UINT part)
{
    RECT row{};
    ListView_GetItemRect(list, item, &row, LVIR_BOUNDS);
    for (int x = row.left; x < row.right; ++x) {
        LVHITTESTINFO hit{};
        hit.pt = POINT{x, (row.top + row.bottom) / 2};
        if (ListView_HitTest(list, &hit) == item && (hit.flags & LVHT_ONITEM) == part)
            return hit.pt;
    }
    return POINT{-1, -1};
}

}  // namespace

TEST(XColorStatic, AttachingMakesItSeeThroughWithItsOwnCopyOfTheFont)
{
    CTestDialog dialog;
    ASSERT_TRUE(dialog.Open(300, 100));
    const HWND window = CreateChild(dialog.GetSafeHwnd(), L"STATIC", L"Testo", 0, RECT{10, 10, 110, 30}, 5);
    const auto original = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    CXColorStatic label;
    ASSERT_TRUE(label.Attach(window));
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_STYLE) & SS_NOTIFY);
    ASSERT_TRUE(label.GetTextFont());
    EXPECT_NE(label.GetTextFont(), original);
    LOGFONTW mine{};
    LOGFONTW theirs{};
    ::GetObjectW(label.GetTextFont(), sizeof(mine), &mine);
    ::GetObjectW(original, sizeof(theirs), &theirs);
    EXPECT_EQ(mine.lfHeight, theirs.lfHeight);
    EXPECT_EQ(label.GetDisplayedText(), L"Testo");
}

TEST(XColorStatic, AlignmentAndVerticalCentringFollowTheStyle)
{
    const auto ink = [](DWORD style) {
        LabelOnSkin host;
        return host.Open(style, L"Ab") ? host.Ink() : RECT{};
    };
    const RECT left = ink(SS_LEFT);
    const RECT centre = ink(SS_CENTER);
    const RECT right = ink(SS_RIGHT);
    const RECT middle = ink(SS_LEFT | SS_CENTERIMAGE);
    EXPECT_LE(left.left, 3);
    EXPECT_NEAR((centre.left + centre.right) / 2, 100, 4);
    EXPECT_GE(right.right, 195);
    EXPECT_LE(left.top, 8);
    EXPECT_NEAR((middle.top + middle.bottom) / 2, 30, 4);
}

TEST(XColorStatic, AmpersandsAreShownAsTheyAre)
{
    const auto width = [](const wchar_t* text) {
        LabelOnSkin host;
        return host.Open(SS_LEFT, text) ? host.Ink().right : -1;
    };
    EXPECT_GT(width(L"R&D"), width(L"RD") + 5);
}

TEST(XColorStatic, ChangedTextRepaintsTheBackgroundSoNoOldTextRemains)
{
    LabelOnSkin host;
    ASSERT_TRUE(host.Open(SS_LEFT, L"MMMMMM"));
    ASSERT_GE(host.Ink().right, 0);
    host.label.SetStaticText(L"");
    EXPECT_LT(host.Ink().right, 0);
    EXPECT_EQ(host.label.GetDisplayedText(), L"");

    // Stored text wins over later window text; without it the window text is shown.
    ::SetWindowTextW(host.window, L"finestra");
    EXPECT_EQ(host.label.GetDisplayedText(), L"");
    LabelOnSkin plain;
    ASSERT_TRUE(plain.Open(SS_LEFT, L"MMMMMM"));
    ::SetWindowTextW(plain.window, L"i");
    EXPECT_EQ(plain.label.GetDisplayedText(), L"i");
    EXPECT_LT(plain.Ink().right, 20);
}

TEST(XColorStatic, AnOpaqueLabelFillsItsBackgroundColour)
{
    LabelOnSkin host;
    ASSERT_TRUE(host.Open(SS_LEFT, L""));
    ::SetWindowLongPtrW(host.window, GWL_EXSTYLE, ::GetWindowLongPtrW(host.window, GWL_EXSTYLE) & ~WS_EX_TRANSPARENT);
    host.label.SetBackgroundColor(RGB(10, 20, 30));
    PaintNow(host.dialog.GetSafeHwnd());
    EXPECT_EQ(CaptureClient(host.window).At(100, 30), RGB(10, 20, 30));
}

TEST(ItemListCtrl, OnlyAClickOnAnItemsCheckBoxIsReportedWithTheItemsData)
{
    CTestDialog dialog;
    ASSERT_TRUE(dialog.Open(450, 300));
    const HWND list = CreateChild(dialog.GetSafeHwnd(), WC_LISTVIEWW, L"", LVS_REPORT | LVS_SINGLESEL,
                                  RECT{10, 10, 410, 200}, 1024);
    CItemListCtrl control;
    ASSERT_TRUE(control.Attach(list));
    ASSERT_TRUE(control.UseSkinnedCheckBoxes());
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 300;
    ListView_InsertColumn(list, 0, &column);
    const LPARAM data[] = {7, 9, -1};
    for (int row = 0; row < 3; ++row) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row;
        item.lParam = data[row];
        item.pszText = const_cast<wchar_t*>(L"Programma");
        ListView_InsertItem(list, &item);
    }
    static std::vector<WPARAM> reported;
    reported.clear();
    const std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&::DestroyWindow)> window(
        ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr), &::DestroyWindow);
    const HWND listener = window.get();
    ::SetWindowLongPtrW(listener, GWLP_WNDPROC,
                        reinterpret_cast<LONG_PTR>(+[](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
                            if (message == WM_LISTITEM_CHECK_CLICKED)
                                reported.push_back(wParam);
                            return ::DefWindowProcW(window, message, wParam, lParam);
                        }));
    control.SetNotifyWindow(listener);

    const POINT box = PointOn(list, 1, LVHT_ONITEMSTATEICON);
    const POINT label = PointOn(list, 0, LVHT_ONITEMLABEL);
    ASSERT_GE(box.x, 0);
    ASSERT_GE(label.x, 0);
    const BOOL before = ListView_GetCheckState(list, 1);
    Click(list, box);
    EXPECT_EQ(reported, std::vector<WPARAM>{9});
    EXPECT_NE(ListView_GetCheckState(list, 1), before);  // the list itself toggles the box
    Click(list, label);
    EXPECT_EQ(reported.size(), 1u);
    Click(list, PointOn(list, 2, LVHT_ONITEMSTATEICON));  // negative item data: not reported
    EXPECT_EQ(reported.size(), 1u);
    control.SetNotifyWindow(nullptr);
    Click(list, box);
    EXPECT_EQ(reported.size(), 1u);
    // The click notifications were consumed by the list, never seen by the dialog.
    EXPECT_EQ(std::count(dialog.notifyCodes.begin(), dialog.notifyCodes.end(), static_cast<UINT>(NM_CLICK)), 0);
}
