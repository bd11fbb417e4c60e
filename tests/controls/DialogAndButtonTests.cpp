// The skinned dialog (background, labels, dragging) and the bitmap buttons (state
// bitmaps through the parent's owner drawing, captions, hover, Tab).

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "controls/BitmapButtonEx.h"
#include "controls/FocusMark.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/controls/Capture.h"
#include "tests/controls/ControlsTestSupport.h"

namespace {

constexpr COLORREF kNormal = RGB(10, 160, 10);
constexpr COLORREF kPressed = RGB(10, 10, 160);
constexpr COLORREF kHover = RGB(160, 160, 10);
constexpr COLORREF kDisabled = RGB(90, 90, 90);
constexpr COLORREF kKey = 255;  // pure red, as the windows pass it

// A 60 x 30 button on a skinned dialog at (100, 50).
struct ButtonOnSkin {
    CTestDialog dialog;
    HWND window = nullptr;
    CBitmapButtonEx button;
    RECT place{100, 50, 160, 80};

    bool Open(bool withPressed = true, bool withDisabled = true)
    {
        if (!dialog.SetSkinBitmap(IDB_SMALL_PANEL_BACKGROUND) || !dialog.Open(450, 393))
            return false;
        window = CreateChild(dialog.GetSafeHwnd(), L"BUTTON", L"", BS_PUSHBUTTON, place, 1001);
        // The normal face has a keyed (transparent) corner.
        UniqueGdiObject<HBITMAP> normal(CreateSolidBitmap(20, 10, kNormal));
        {
            UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
            SelectObjectGuard selected(dc.get(), normal.get());
            ::SetPixel(dc.get(), 0, 0, kKey);
        }
        return window && button.Attach(window) &&
               button.SetStateBitmaps(kKey, normal.release(),
                                      withPressed ? CreateSolidBitmap(20, 10, kPressed) : nullptr,
                                      CreateSolidBitmap(20, 10, kHover),
                                      withDisabled ? CreateSolidBitmap(20, 10, kDisabled) : nullptr);
    }

    // What the button draws for the owner-draw state bits, asked the way the system asks:
    // WM_DRAWITEM to the parent.
    Capture Draw(UINT state)
    {
        return CaptureDrawing(60, 30, RGB(1, 2, 3), [&](HDC dc) {
            DRAWITEMSTRUCT item{};
            item.CtlType = ODT_BUTTON;
            item.CtlID = 1001;
            item.itemAction = ODA_DRAWENTIRE;
            item.itemState = state;
            item.hwndItem = window;
            item.hDC = dc;
            item.rcItem = RECT{0, 0, 60, 30};
            ::SendMessageW(dialog.GetSafeHwnd(), WM_DRAWITEM, 1001, reinterpret_cast<LPARAM>(&item));
        });
    }

    COLORREF SkinBehind(int x, int y) const
    {
        return CaptureBitmap(dialog.GetSkinBitmap()).At(place.left + x, place.top + y);
    }
};

}  // namespace

TEST(BitmapDialog, PaintsItsBitmapOneToOneAndRepeatsItsEdgesBeyondIt)
{
    CTestDialog dialog;
    ASSERT_TRUE(dialog.SetSkinBitmap(IDB_SMALL_PANEL_BACKGROUND));
    EXPECT_EQ(dialog.GetSkinSize().cx, 450);
    EXPECT_EQ(dialog.GetSkinSize().cy, 393);
    ASSERT_TRUE(dialog.Open(470, 413));  // like the windows that are 20 pixels taller than their bitmap
    const Capture skin = CaptureBitmap(dialog.GetSkinBitmap());
    const Capture shown = CaptureDrawing(470, 413, RGB(1, 2, 3), [&](HDC dc) {
        ::SendMessageW(dialog.GetSafeHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    });
    for (const POINT p : {POINT{0, 0}, POINT{449, 0}, POINT{120, 200}, POINT{449, 392}})
        EXPECT_EQ(shown.At(p.x, p.y), skin.At(p.x, p.y)) << p.x << "," << p.y;
    for (const int x : {0, 200, 449})
        EXPECT_EQ(shown.At(x, 405), skin.At(x, 392)) << x;
    for (const int y : {10, 200})
        EXPECT_EQ(shown.At(460, y), skin.At(449, y)) << y;
    EXPECT_EQ(shown.At(465, 410), skin.At(449, 392));
}

TEST(BitmapDialog, ABitmapThatDoesNotLoadLeavesTheDefaultBackgroundAndFreesTheOldOne)
{
    CTestDialog dialog;
    ASSERT_TRUE(dialog.SetSkinBitmap(IDB_PANEL_BACKGROUND));
    const HBITMAP first = dialog.GetSkinBitmap();
    EXPECT_FALSE(dialog.SetSkinBitmap(9999));
    EXPECT_FALSE(dialog.HasSkinBitmap());
    EXPECT_FALSE(IsGdiObjectAlive(first));
    ASSERT_TRUE(dialog.Open(100, 100));
    const Capture shown = CaptureDrawing(100, 100, RGB(1, 2, 3), [&](HDC dc) {
        ::SendMessageW(dialog.GetSafeHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    });
    EXPECT_EQ(shown.At(50, 50), ::GetSysColor(COLOR_BTNFACE));
}

TEST(BitmapDialog, OnlyLabelsBecomeTransparentAndOnlyWhenAsked)
{
    CTestDialog dialog;
    ASSERT_TRUE(dialog.Open(300, 200));
    const HWND label = CreateChild(dialog.GetSafeHwnd(), L"STATIC", L"Etichetta", 0, RECT{10, 10, 110, 30}, 10);
    const HWND readOnly =
        CreateChild(dialog.GetSafeHwnd(), L"EDIT", L"sola lettura", ES_READONLY, RECT{10, 40, 110, 60}, 11);
    const auto colour = [&](HWND control, HDC dc) {
        return reinterpret_cast<HGDIOBJ>(::SendMessageW(dialog.GetSafeHwnd(), WM_CTLCOLORSTATIC,
                                                        reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    };
    const HGDIOBJ hollow = ::GetStockObject(NULL_BRUSH);
    const HDC dc = ::GetDC(label);
    EXPECT_NE(colour(label, dc), hollow);
    dialog.SetTransparentLabels(true);
    ::SetBkMode(dc, OPAQUE);
    EXPECT_EQ(colour(label, dc), hollow);
    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
    // A read-only edit box keeps an opaque brush, or its old text would stay on screen.
    EXPECT_NE(colour(readOnly, dc), hollow);
    ::ReleaseDC(label, dc);
}

TEST(BitmapDialog, AClickOnTheBackgroundMovesTheWindowOnlyWithDraggingOn)
{
    CTestDialog dialog;
    ASSERT_TRUE(dialog.Open(300, 200));
    const HWND window = dialog.GetSafeHwnd();
    PumpMessages();
    MSG move{};
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 40));
    EXPECT_FALSE(::PeekMessageW(&move, window, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));

    dialog.SetDragEnabled(true);
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 40));
    ASSERT_TRUE(::PeekMessageW(&move, window, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(move.wParam, static_cast<WPARAM>(HTCAPTION));
    POINT expected{30, 40};
    ::ClientToScreen(window, &expected);
    EXPECT_EQ(static_cast<short>(LOWORD(move.lParam)), expected.x);
    EXPECT_EQ(static_cast<short>(HIWORD(move.lParam)), expected.y);
}

TEST(BitmapButtonEx, DrawsTheBitmapOfEachStateWhenItsParentIsAskedToDrawIt)
{
    ButtonOnSkin host;
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(host.Draw(0).At(30, 15), kNormal);
    EXPECT_EQ(host.Draw(ODS_SELECTED).At(30, 15), kPressed);
    EXPECT_EQ(host.Draw(ODS_DISABLED).At(30, 15), kDisabled);
    // The parent never saw the drawing requests: the button answered them itself.
    EXPECT_EQ(std::count(host.dialog.ownerMessages.begin(), host.dialog.ownerMessages.end(), WM_DRAWITEM), 0);
    // Stretched over the whole button; the keyed corner shows the window behind it.
    const Capture normal = host.Draw(0);
    EXPECT_EQ(normal.At(59, 29), kNormal);
    EXPECT_EQ(normal.At(0, 0), host.SkinBehind(0, 0));

    ::SendMessageW(host.window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(host.button.IsHovered());
    EXPECT_EQ(host.Draw(0).At(30, 15), kHover);
    EXPECT_EQ(host.Draw(ODS_DISABLED).At(30, 15), kHover);
    EXPECT_EQ(host.Draw(ODS_SELECTED).At(30, 15), kPressed);
}

TEST(BitmapButtonEx, PressedWithoutAPressedBitmapFallsThroughToTheNextState)
{
    ButtonOnSkin host;
    ASSERT_TRUE(host.Open(false, true));
    EXPECT_EQ(host.Draw(ODS_SELECTED).At(30, 15), kNormal);
    EXPECT_EQ(host.Draw(ODS_SELECTED | ODS_DISABLED).At(30, 15), kDisabled);
}

TEST(BitmapButtonEx, DisabledCaptionIsGreyOnlyWithADisabledBitmapAndWithoutOneNothingIsDrawn)
{
    const COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT);
    const COLORREF caption = RGB(255, 255, 255);
    {
        ButtonOnSkin host;
        ASSERT_TRUE(host.Open(true, true));
        host.button.SetCaption(L"MWM");
        host.button.SetCaptionFont(16, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        const Capture enabled = host.Draw(0);
        EXPECT_GT(enabled.Count(caption), 0);
        EXPECT_EQ(enabled.Count(grey), 0);
        const Capture disabled = host.Draw(ODS_DISABLED);
        EXPECT_GT(disabled.Count(grey), 0);
        EXPECT_EQ(disabled.Count(caption), 0);
    }
    {
        ButtonOnSkin host;
        ASSERT_TRUE(host.Open(true, false));
        host.button.SetCaption(L"MWM");
        host.button.SetCaptionFont(16, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        const Capture disabled = host.Draw(ODS_DISABLED);
        EXPECT_GT(disabled.Count(caption), 0);
        EXPECT_EQ(disabled.Count(kNormal), 0);
        EXPECT_EQ(disabled.At(2, 2), host.SkinBehind(2, 2));
    }
}

TEST(BitmapButtonEx, HoverUnderlinesTheCaptionAndEndsOnceTheCursorIsElsewhere)
{
    ButtonOnSkin host;
    ASSERT_TRUE(host.Open());
    host.button.SetCaption(L"MWM");
    host.button.SetCaptionFont(16, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const int plain = host.Draw(0).Count(RGB(255, 255, 255));

    ::SetCursorPos(1200, 1000);  // far from the stage
    ::SendMessageW(host.window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(host.button.IsHovered());
    EXPECT_GT(host.Draw(0).Count(RGB(255, 255, 255)), plain);
    // The 100 ms poll sees the cursor outside and ends the hover.
    EXPECT_TRUE(PumpUntil([&] { return !host.button.IsHovered(); }));
    EXPECT_EQ(host.Draw(0).Count(RGB(255, 255, 255)), plain);
    EXPECT_EQ(host.Draw(0).At(30, 5), kNormal);
}

TEST(BitmapButtonEx, EnablingOrDisablingRepaintsTheWindowBehindTheButton)
{
    ButtonOnSkin host;
    ASSERT_TRUE(host.Open());
    PaintNow(host.dialog.GetSafeHwnd());
    ::ValidateRect(host.dialog.GetSafeHwnd(), nullptr);
    ::EnableWindow(host.window, FALSE);
    RECT update{};
    ASSERT_TRUE(::GetUpdateRect(host.dialog.GetSafeHwnd(), &update, FALSE));
    RECT covered{};
    EXPECT_TRUE(::IntersectRect(&covered, &update, &host.place));
    EXPECT_TRUE(::EqualRect(&covered, &host.place));
}

TEST(BitmapButtonEx, StaysOwnerDrawnWhenTheDialogManagerChangesItsDefaultStyle)
{
    ButtonOnSkin host;
    ASSERT_TRUE(host.Open());
    ::SendMessageW(host.window, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(::GetWindowLongPtrW(host.window, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST(CtrlButton, TabAndShiftTabMoveTheFocusInDialogsAndOtherWindows)
{
    CTestDialog dialog;
    ASSERT_TRUE(dialog.Open(300, 200));
    // Once inside the dialog, once inside a plain child window.
    const HWND plain = CreateChild(dialog.GetSafeHwnd(), L"VelmoraTestStage", L"", WS_CLIPCHILDREN,
                                   RECT{0, 100, 300, 200}, 50);
    for (const HWND parent : {dialog.GetSafeHwnd(), plain}) {
        const HWND first = CreateChild(parent, L"BUTTON", L"1", WS_TABSTOP, RECT{10, 10, 60, 30}, 1);
        const HWND middle = CreateChild(parent, L"BUTTON", L"2", 0, RECT{70, 10, 120, 30}, 2);
        const HWND last = CreateChild(parent, L"BUTTON", L"3", WS_TABSTOP, RECT{130, 10, 180, 30}, 3);
        CBitmapButtonEx button;
        ASSERT_TRUE(button.Attach(middle));
        EXPECT_TRUE(::GetWindowLongPtrW(middle, GWL_STYLE) & WS_TABSTOP);
        EXPECT_TRUE(::SendMessageW(middle, WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);

        ::SetFocus(middle);
        ::SendMessageW(middle, WM_KEYDOWN, VK_TAB, 0);
        EXPECT_EQ(::GetFocus(), last);

        BYTE keys[256] = {};
        ASSERT_TRUE(::GetKeyboardState(keys));
        BYTE shifted[256];
        std::copy(std::begin(keys), std::end(keys), std::begin(shifted));
        shifted[VK_SHIFT] = 0x80;
        ::SetKeyboardState(shifted);
        ::SetFocus(middle);
        ::SendMessageW(middle, WM_KEYDOWN, VK_TAB, 0);
        ::SetKeyboardState(keys);
        EXPECT_EQ(::GetFocus(), first);
    }
}

TEST(FocusMark, IsTwoPixelsWideAndStandsOutOnEveryFace)
{
    const HWND control = CreateChild(TestStage(), L"BUTTON", L"", 0, RECT{0, 0, 40, 20}, 7);
    const RECT bounds{0, 0, 40, 20};
    const auto draw = [&](COLORREF face) {
        return CaptureDrawing(40, 20, face, [&](HDC dc) { DrawFocusMark(control, true, dc, bounds, 3); });
    };
    ::SendMessageW(control, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    // The faces of the skin: white, the blue and green buttons, a grey, a checked box.
    for (const COLORREF face : {RGB(255, 255, 255), RGB(13, 91, 153), RGB(46, 160, 67), RGB(128, 128, 128),
                                RGB(45, 54, 63)}) {
        const Capture picture = draw(face);
        const COLORREF mark = picture.At(3, 10);
        EXPECT_EQ(picture.At(4, 10), mark) << std::hex << face;
        EXPECT_EQ(picture.At(5, 10), face) << std::hex << face;
        EXPECT_EQ(picture.At(20, 3), mark) << std::hex << face;
        EXPECT_GE(ContrastRatio(mark, face), 3.0) << std::hex << face;
    }
    ::DestroyWindow(control);
}
