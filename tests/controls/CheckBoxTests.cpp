// The check box: its frame and check state for each event of its table, its clicks,
// its text and its looks.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/CheckBox.h"
#include "res/resource.h"
#include "tests/controls/ControlsTestSupport.h"

namespace {

enum Frame { Checked = 0, Unchecked, CheckedHover, UncheckedHover, CheckedPressed, UncheckedPressed,
             CheckedDisabled, UncheckedDisabled };

const LPARAM kInside = MAKELPARAM(5, 5);
const LPARAM kOutside = MAKELPARAM(static_cast<WORD>(-20), static_cast<WORD>(-20));

// A check box "Opzione" (120 x 20 at (40, 40)) on a skinned dialog. Every BN_CLICKED is
// recorded with the check state the parent reads at that moment.
struct BoxOnSkin {
    CTestDialog dialog;
    HWND window = nullptr;
    CCheckBox box;
    std::vector<LRESULT> clicksSeeing;

    bool Open(DWORD style = 0, const wchar_t* text = L"Opzione")
    {
        ::SetCursorPos(1200, 1000);  // far from the stage: hover comes only from the messages sent here
        if (!dialog.SetSkinBitmap(IDB_SMALL_PANEL_BACKGROUND) || !dialog.Open(450, 393))
            return false;
        window = CreateChild(dialog.GetSafeHwnd(), L"BUTTON", text, BS_CHECKBOX | style, RECT{40, 40, 160, 60}, 1027);
        dialog.onCommand = [this](WORD id, WORD code) {
            if (id == 1027 && code == BN_CLICKED)
                clicksSeeing.push_back(::SendMessageW(window, BM_GETCHECK, 0, 0));
        };
        return window && box.Attach(window);
    }

    void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { ::SendMessageW(window, message, wParam, lParam); }
};

}  // namespace

TEST(CheckBox, MouseEventsFollowTheFrameTableAndAClickToggles)
{
    BoxOnSkin host;
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(host.box.GetFrame(), Unchecked);
    host.Send(WM_MOUSEMOVE, 0, kInside);
    EXPECT_EQ(host.box.GetFrame(), UncheckedHover);
    host.Send(WM_MOUSEMOVE, 0, kOutside);
    EXPECT_EQ(host.box.GetFrame(), Unchecked);
    host.Send(WM_MOUSEMOVE, 0, kInside);
    host.Send(WM_MOUSELEAVE);
    EXPECT_EQ(host.box.GetFrame(), Unchecked);

    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    EXPECT_EQ(host.box.GetFrame(), UncheckedPressed);
    host.Send(WM_LBUTTONUP, 0, kInside);
    EXPECT_TRUE(host.box.IsChecked());
    EXPECT_EQ(host.box.GetFrame(), Checked);
    ASSERT_EQ(host.clicksSeeing.size(), 1u);
    EXPECT_EQ(host.clicksSeeing[0], BST_CHECKED);  // the parent already reads the new state

    // Released outside: no toggle, no click.
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    EXPECT_EQ(host.box.GetFrame(), CheckedPressed);
    host.Send(WM_LBUTTONUP, 0, kOutside);
    EXPECT_TRUE(host.box.IsChecked());
    EXPECT_EQ(host.box.GetFrame(), Checked);
    EXPECT_EQ(host.clicksSeeing.size(), 1u);

    // A double click is two clicks: two toggles, two notifications, state and parent in step.
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    host.Send(WM_LBUTTONUP, 0, kInside);
    host.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, kInside);
    host.Send(WM_LBUTTONUP, 0, kInside);
    EXPECT_TRUE(host.box.IsChecked());
    ASSERT_EQ(host.clicksSeeing.size(), 3u);
    EXPECT_EQ(host.clicksSeeing[1], BST_UNCHECKED);
    EXPECT_EQ(host.clicksSeeing[2], BST_CHECKED);
}

TEST(CheckBox, SpacePressesAndTogglesAndAnotherKeyOrLosingTheFocusCancels)
{
    BoxOnSkin host;
    ASSERT_TRUE(host.Open());
    ::SetFocus(host.window);
    host.Send(WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(host.box.GetFrame(), UncheckedPressed);
    host.Send(WM_KEYUP, VK_SPACE);
    EXPECT_TRUE(host.box.IsChecked());
    EXPECT_EQ(host.box.GetFrame(), Checked);
    EXPECT_EQ(host.clicksSeeing, std::vector<LRESULT>{BST_CHECKED});

    host.Send(WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(host.box.GetFrame(), CheckedPressed);
    host.Send(WM_KEYDOWN, 'A');
    EXPECT_EQ(host.box.GetFrame(), Checked);
    host.Send(WM_KEYUP, VK_SPACE);
    EXPECT_TRUE(host.box.IsChecked());
    EXPECT_EQ(host.clicksSeeing.size(), 1u);  // the cancelled press does not click either

    host.Send(WM_KEYDOWN, VK_SPACE);
    ::SetFocus(TestStage());
    EXPECT_EQ(host.box.GetFrame(), Checked);
    host.Send(WM_KEYUP, VK_SPACE);
    EXPECT_TRUE(host.box.IsChecked());
    EXPECT_EQ(host.clicksSeeing.size(), 1u);

    // Mouse released while Space is held: pressed frame of the resulting state.
    ::SetFocus(host.window);
    host.Send(WM_KEYDOWN, VK_SPACE);
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    host.Send(WM_LBUTTONUP, 0, kInside);
    EXPECT_FALSE(host.box.IsChecked());
    EXPECT_EQ(host.box.GetFrame(), UncheckedPressed);
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    host.Send(WM_LBUTTONUP, 0, kOutside);
    EXPECT_FALSE(host.box.IsChecked());
    EXPECT_EQ(host.box.GetFrame(), UncheckedPressed);
}

TEST(CheckBox, EnablingAndSetCheckChooseTheFrameByPrecedenceAndRepaintOnlyOnChange)
{
    BoxOnSkin host;
    ASSERT_TRUE(host.Open());
    ::EnableWindow(host.window, FALSE);
    EXPECT_EQ(host.box.GetFrame(), UncheckedDisabled);
    host.Send(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(host.box.GetFrame(), CheckedDisabled);
    ::EnableWindow(host.window, TRUE);
    EXPECT_EQ(host.box.GetFrame(), Checked);
    EXPECT_EQ(::SendMessageW(host.window, BM_GETCHECK, 0, 0), BST_CHECKED);
    host.Send(BM_SETCHECK, BST_INDETERMINATE);  // anything but 1 unchecks
    EXPECT_EQ(host.box.GetFrame(), Unchecked);
    EXPECT_EQ(::SendMessageW(host.window, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // Pressed by the mouse, the cursor elsewhere: the pressed frame of the new state.
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    host.Send(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(host.box.GetFrame(), CheckedPressed);
    host.Send(WM_LBUTTONUP, 0, kOutside);

    // The cursor really over it: hovered wins over pressed.
    RECT place{};
    ::GetWindowRect(host.window, &place);
    ::SetCursorPos(place.left + 5, place.top + 5);
    host.Send(WM_MOUSEMOVE, 0, kInside);
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    host.Send(BM_SETCHECK, BST_UNCHECKED);
    EXPECT_EQ(host.box.GetFrame(), UncheckedHover);
    host.Send(WM_LBUTTONUP, 0, kOutside);
    ::SetCursorPos(1200, 1000);

    PaintNow(host.window);
    host.Send(BM_SETCHECK, host.box.IsChecked() ? BST_CHECKED : BST_UNCHECKED);
    EXPECT_FALSE(::GetUpdateRect(host.window, nullptr, FALSE));
    host.Send(BM_SETCHECK, host.box.IsChecked() ? BST_UNCHECKED : BST_CHECKED);
    EXPECT_TRUE(::GetUpdateRect(host.window, nullptr, FALSE));
}

TEST(CheckBox, TextOnTheLeftPutsTheBoxAtTheRightEdgeAndRightAlignsTheText)
{
    for (const bool left : {false, true}) {
        BoxOnSkin host;
        ASSERT_TRUE(host.Open(left ? BS_LEFTTEXT : 0, L"Testo"));
        EXPECT_EQ(host.box.IsTextOnLeft(), left);
        PaintNow(host.dialog.GetSafeHwnd());
        const Capture shown = CaptureClient(host.window);
        const Capture frames = CaptureBitmap(host.box.GetStripBitmap());
        const COLORREF border = frames.At(13 + 6, 0);  // top edge of the unchecked frame
        const int width = shown.width;
        const int top = (shown.height - 13) / 2;
        const RECT leftBox{0, top, 13, top + 13};
        const RECT rightBox{width - 13, top, width, top + 13};
        EXPECT_GT(shown.Count(border, left ? rightBox : leftBox), 5);
        EXPECT_EQ(shown.Count(border, left ? leftBox : rightBox), 0);
        // The text ends 6 pixels before the box, or starts 5 pixels after it.
        int firstText = width;
        int lastText = -1;
        for (int y = 0; y < shown.height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (shown.At(x, y) == CCheckBox::kTextColor) {
                    firstText = std::min(firstText, x);
                    lastText = std::max(lastText, x);
                }
            }
        }
        ASSERT_GE(lastText, 0);
        if (left) {
            EXPECT_LE(lastText, width - 13 - 6);
            EXPECT_GE(lastText, width - 13 - 6 - 3);
        } else {
            EXPECT_GE(firstText, 13 + 5);
            EXPECT_LE(firstText, 13 + 5 + 3);
        }
    }
    BoxOnSkin exRight;
    ASSERT_TRUE(exRight.dialog.Open(200, 100));
    const HWND window = CreateChild(exRight.dialog.GetSafeHwnd(), L"BUTTON", L"x", BS_CHECKBOX, RECT{0, 0, 80, 20},
                                    7, WS_EX_RIGHT);
    ASSERT_TRUE(exRight.box.Attach(window));
    EXPECT_TRUE(exRight.box.IsTextOnLeft());
}

TEST(CheckBox, LooksAreRebuiltOnlyWhenTheButtonFaceColourOrTheTextChanges)
{
    BoxOnSkin host;
    ASSERT_TRUE(host.Open());
    PaintNow(host.window);
    const unsigned first = host.box.GetRenderCount();
    EXPECT_GE(first, 1u);
    host.Send(BM_SETCHECK, BST_CHECKED);
    PaintNow(host.window);
    EXPECT_EQ(host.box.GetRenderCount(), first);

    const int element = COLOR_BTNFACE;
    const COLORREF original = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF changed = RGB(GetRValue(original) ^ 0x20, GetGValue(original), GetBValue(original));
    ASSERT_TRUE(::SetSysColors(1, &element, &changed));
    PaintNow(host.window);
    EXPECT_EQ(host.box.GetRenderCount(), first + 1);
    ::SetSysColors(1, &element, &original);

    EXPECT_EQ(host.box.GetText(), L"Opzione");
    ::SetWindowTextW(host.window, std::wstring(80, L'x').c_str());
    EXPECT_EQ(host.box.GetText(), std::wstring(CCheckBox::kMaxTextLength, L'x'));
    PaintNow(host.window);
    EXPECT_GT(host.box.GetRenderCount(), first + 1);
}
