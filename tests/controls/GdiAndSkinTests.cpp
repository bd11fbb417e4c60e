// Every GDI object of the controls is released, and the skin resources are what the
// controls and windows rely on (sizes, transparent colours, tray menu, icon sizes).

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <type_traits>
#include <set>
#include <string>
#include <vector>

#include "controls/BitmapButtonEx.h"
#include "controls/CheckBox.h"
#include "controls/ItemListCtrl.h"
#include "controls/PictureBoxEx.h"
#include "controls/XColorStatic.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/controls/ControlsTestSupport.h"

namespace {

std::vector<HGDIOBJ> OneWindowOfEveryControl()
{
    std::vector<HGDIOBJ> handles;
    CTestDialog dialog;
    if (!dialog.SetSkinBitmap(IDB_MAIN_BACKGROUND) || !dialog.Open(770, 571))
        return handles;
    handles.push_back(dialog.GetSkinBitmap());
    const HWND parent = dialog.GetSafeHwnd();

    CBitmapButtonEx button;
    static_cast<void>(button.Attach(CreateChild(parent, L"BUTTON", L"", 0, RECT{32, 92, 213, 142}, 1)));
    static_cast<void>(button.LoadStateBitmaps(255, IDB_SCAN_NORMAL, IDB_SCAN_ACTIVE));
    button.SetCaption(L"Scansione");
    button.SetCaptionFont(8, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    CCheckBox box;
    static_cast<void>(box.Attach(CreateChild(parent, L"BUTTON", L"Opzione", BS_CHECKBOX, RECT{280, 225, 400, 245}, 2)));

    CXColorStatic label;
    static_cast<void>(label.Attach(CreateChild(parent, L"STATIC", L"31 Errori", 0, RECT{257, 409, 457, 430}, 3)));
    label.SetTextFont(11, FW_BOLD);
    label.SetBackgroundColor(RGB(1, 2, 3));

    CPictureBoxEx picture;
    static_cast<void>(picture.Attach(CreateChild(parent, L"STATIC", L"", 0, RECT{300, 325, 500, 346}, 4)));
    if (picture.Load(HostPath(VELMORA_TEST_DATA "/../../res/Loading.gif")))
        picture.Draw();

    CItemListCtrl list;
    static_cast<void>(
        list.Attach(CreateChild(parent, WC_LISTVIEWW, L"", LVS_REPORT, RECT{300, 400, 500, 500}, 5)));
    static_cast<void>(list.UseSkinnedCheckBoxes());
    static_cast<void>(list.SetMinimumRowHeight(20));

    PaintNow(parent);
    ::SendMessageW(button.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    PaintNow(parent);
    for (const HGDIOBJ handle :
         {static_cast<HGDIOBJ>(button.GetStateBitmap(CBitmapButtonEx::State::Normal)),
          static_cast<HGDIOBJ>(button.GetStateBitmap(CBitmapButtonEx::State::Hover)),
          static_cast<HGDIOBJ>(button.GetCaptionFont()), static_cast<HGDIOBJ>(button.GetUnderlinedCaptionFont()),
          static_cast<HGDIOBJ>(box.GetStripBitmap()), static_cast<HGDIOBJ>(box.GetImagesBitmap()),
          static_cast<HGDIOBJ>(box.GetTextFont()), static_cast<HGDIOBJ>(label.GetTextFont()),
          static_cast<HGDIOBJ>(label.GetBackgroundBrush()), static_cast<HGDIOBJ>(picture.GetOffscreenBitmap())})
        handles.push_back(handle);
    // Leaves in the windows' usual order: the dialog's window goes first, its objects after.
    ::DestroyWindow(parent);
    return handles;
}

}  // namespace

TEST(GdiRelease, EveryControlReleasesEveryObjectWhenItsWindowGoes)
{
    for (int cycle = 0; cycle < 3; ++cycle) {
        const std::vector<HGDIOBJ> handles = OneWindowOfEveryControl();
        ASSERT_EQ(handles.size(), 11u);
        for (size_t i = 0; i < handles.size(); ++i) {
            EXPECT_NE(handles[i], nullptr) << i;
            EXPECT_FALSE(IsGdiObjectAlive(handles[i])) << "object " << i << " of cycle " << cycle;
        }
    }
}

TEST(GdiRelease, ObjectsReplacedDuringTheControlsLifeAreReleasedAtOnce)
{
    CTestDialog dialog;
    ASSERT_TRUE(dialog.SetSkinBitmap(IDB_PANEL_BACKGROUND));
    const HBITMAP firstSkin = dialog.GetSkinBitmap();
    ASSERT_TRUE(dialog.SetSkinBitmap(IDB_RESULTS_BACKGROUND));
    EXPECT_FALSE(IsGdiObjectAlive(firstSkin));
    ASSERT_TRUE(dialog.Open(528, 461));
    const HWND parent = dialog.GetSafeHwnd();

    CXColorStatic label;
    ASSERT_TRUE(label.Attach(CreateChild(parent, L"STATIC", L"x", 0, RECT{0, 0, 50, 20}, 1)));
    const HFONT copiedFont = label.GetTextFont();
    label.SetTextFont(10, FW_NORMAL);
    EXPECT_FALSE(IsGdiObjectAlive(copiedFont));
    const HBRUSH firstBrush = label.GetBackgroundBrush();
    label.SetBackgroundColor(RGB(9, 9, 9));
    EXPECT_FALSE(IsGdiObjectAlive(firstBrush));

    CBitmapButtonEx button;
    ASSERT_TRUE(button.Attach(CreateChild(parent, L"BUTTON", L"", 0, RECT{0, 30, 81, 51}, 2)));
    button.SetCaptionFont(8, DT_CENTER);
    const HFONT firstCaption = button.GetCaptionFont();
    const HFONT firstUnderlined = button.GetUnderlinedCaptionFont();
    button.SetCaptionFont(9, DT_CENTER);
    EXPECT_FALSE(IsGdiObjectAlive(firstCaption));
    EXPECT_FALSE(IsGdiObjectAlive(firstUnderlined));
    // One bitmap for three states is freed once; the bitmaps of a rejected set are freed too.
    const HBITMAP shared = CreateSolidBitmap(8, 8, RGB(1, 1, 1));
    const HBITMAP normal = CreateSolidBitmap(8, 8, RGB(2, 2, 2));
    ASSERT_TRUE(button.SetStateBitmaps(255, normal, shared, shared, shared));
    const HBITMAP rejected = CreateSolidBitmap(8, 8, RGB(3, 3, 3));
    EXPECT_FALSE(button.SetStateBitmaps(255, nullptr, rejected));
    EXPECT_FALSE(IsGdiObjectAlive(rejected));
    EXPECT_TRUE(IsGdiObjectAlive(shared));
    ASSERT_TRUE(button.SetStateBitmaps(255, normal, normal));  // handed over again: still owned once
    EXPECT_FALSE(IsGdiObjectAlive(shared));
    EXPECT_TRUE(IsGdiObjectAlive(normal));

    CCheckBox box;
    ASSERT_TRUE(box.Attach(CreateChild(parent, L"BUTTON", L"Opzione", BS_CHECKBOX, RECT{0, 60, 120, 80}, 3)));
    PaintNow(parent);
    const HBITMAP firstLooks = box.GetImagesBitmap();
    ::SetWindowTextW(box.GetSafeHwnd(), L"Altro testo");
    PaintNow(parent);
    EXPECT_FALSE(IsGdiObjectAlive(firstLooks));

    ::DestroyWindow(parent);
    EXPECT_TRUE(IsGdiObjectAlive(normal));  // the object, not the window, owns it
}

TEST(Skin, EveryBitmapHasTheSizeTheWindowsExpect)
{
    struct Expected {
        UINT id;
        int width;
        int height;
    };
    const std::vector<Expected> table = {
        {IDB_MAIN_BACKGROUND, 770, 571},    {IDB_PANEL_BACKGROUND, 528, 461},  {IDB_SMALL_PANEL_BACKGROUND, 450, 393},
        {IDB_SUMMARY_BACKGROUND, 570, 498}, {IDB_RESULTS_BACKGROUND, 528, 461}, {IDB_CLOSE_NORMAL, 24, 24},
        {IDB_CLOSE_ACTIVE, 24, 24},         {IDB_MINIMIZE_NORMAL, 24, 24},     {IDB_MINIMIZE_ACTIVE, 24, 24},
        {IDB_SCAN_NORMAL, 181, 50},         {IDB_SCAN_ACTIVE, 181, 50},        {IDB_SETTINGS_NORMAL, 181, 50},
        {IDB_SETTINGS_ACTIVE, 181, 50},     {IDB_BACKUP_NORMAL, 181, 50},      {IDB_BACKUP_ACTIVE, 181, 50},
        {IDB_STARTUP_NORMAL, 181, 50},      {IDB_STARTUP_ACTIVE, 181, 50},     {IDB_ADVANCED_REPAIR_NORMAL, 181, 50},
        {IDB_ADVANCED_REPAIR_ACTIVE, 181, 50}, {IDB_BUTTON, 81, 21},          {IDB_BUTTON_WIDE, 121, 21},
        {IDB_BUTTON_HEADER, 80, 31},        {IDB_NEW_SCAN_NORMAL, 113, 31},    {IDB_NEW_SCAN_ACTIVE, 113, 31},
        {IDB_BUTTON_LARGE, 113, 31},        {IDB_REPAIR_NORMAL, 113, 31},      {IDB_REPAIR_ACTIVE, 113, 31},
        {IDB_BUTTON_REPORTS, 180, 21},      {IDB_CHECKBOX_STRIP, 104, 13},     {IDB_DETAILS_ICON, 16, 16},
        {IDB_SEVERITY_1, 145, 33},          {IDB_SEVERITY_2, 145, 33},         {IDB_SEVERITY_3, 145, 33},
        {IDB_SEVERITY_4, 145, 33},          {IDB_SEVERITY_5, 145, 33},         {IDB_GAUGE_UNKNOWN, 210, 75},
        {IDB_GAUGE_STEP_1, 210, 75},        {IDB_GAUGE_STEP_2, 210, 75},       {IDB_GAUGE_STEP_3, 210, 75},
        {IDB_GAUGE_STEP_4, 210, 75},        {IDB_GAUGE_STEP_5, 210, 75},
    };
    for (const Expected& expected : table) {
        UniqueGdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(
            ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(expected.id), IMAGE_BITMAP, 0, 0, 0)));
        BITMAP info{};
        ASSERT_TRUE(bitmap) << expected.id;
        ASSERT_EQ(::GetObjectW(bitmap.get(), sizeof(info), &info), static_cast<int>(sizeof(info)));
        EXPECT_EQ(info.bmWidth, expected.width) << expected.id;
        EXPECT_EQ(info.bmHeight, expected.height) << expected.id;
        const Capture pixels = CaptureBitmap(bitmap.get());
        const bool background = expected.width >= 450;
        const bool button = expected.id != IDB_CHECKBOX_STRIP && expected.id != IDB_DETAILS_ICON &&
                            (expected.id < IDB_SEVERITY_1 || expected.id > IDB_SEVERITY_5) &&
                            expected.id != IDB_GAUGE_UNKNOWN && expected.id != IDB_GAUGE_STEP_1 &&
                            (expected.id < IDB_GAUGE_STEP_2 || expected.id > IDB_GAUGE_STEP_5) && !background;
        if (button) {
            // Keyed only outside the rounded shape: the corner is, the middle never is.
            EXPECT_EQ(pixels.At(0, 0), RGB(255, 0, 0)) << expected.id;
            EXPECT_NE(pixels.At(expected.width / 2, expected.height / 2), RGB(255, 0, 0)) << expected.id;
            EXPECT_LT(pixels.Count(RGB(255, 0, 0)), expected.width * expected.height / 10) << expected.id;
        } else {
            EXPECT_EQ(pixels.Count(RGB(255, 0, 0)), 0) << expected.id;
        }
        if (background && expected.id != IDB_MAIN_BACKGROUND) {
            // The last row is flat: these windows are taller than their bitmap and repeat it.
            EXPECT_EQ(pixels.Count(pixels.At(0, expected.height - 1),
                                   RECT{0, expected.height - 1, expected.width, expected.height}),
                      expected.width)
                << expected.id;
        }
    }
}

TEST(Skin, CheckBoxStripHasEightDistinctFramesWithMagentaCorners)
{
    UniqueGdiObject<HBITMAP> strip(static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_CHECKBOX_STRIP), IMAGE_BITMAP, 0, 0, 0)));
    const Capture pixels = CaptureBitmap(strip.get());
    std::set<std::vector<COLORREF>> looks;
    for (int frame = 0; frame < 8; ++frame) {
        const int left = frame * 13;
        for (const POINT corner : {POINT{0, 0}, POINT{12, 0}, POINT{0, 12}, POINT{12, 12}})
            EXPECT_EQ(pixels.At(left + corner.x, corner.y), RGB(255, 0, 255)) << frame;
        EXPECT_EQ(pixels.Count(RGB(255, 0, 255), RECT{left + 2, 2, left + 11, 11}), 0) << frame;
        std::vector<COLORREF> look;
        for (int y = 0; y < 13; ++y) {
            for (int x = 0; x < 13; ++x)
                look.push_back(pixels.At(left + x, y));
        }
        looks.insert(look);
    }
    EXPECT_EQ(looks.size(), 8u);
}

TEST(Skin, TrayMenuHoldsTheCommandsInOrder)
{
    const std::unique_ptr<std::remove_pointer_t<HMENU>, decltype(&::DestroyMenu)> menu(
        ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_TRAY_MENU)), &::DestroyMenu);
    ASSERT_TRUE(menu);
    const HMENU tray = ::GetSubMenu(menu.get(), 0);
    ASSERT_TRUE(tray);
    const auto text = [](HMENU owner, UINT position) {
        wchar_t buffer[128] = {};
        ::GetMenuStringW(owner, position, buffer, 128, MF_BYPOSITION);
        return std::wstring(buffer);
    };
    const auto checked = [](HMENU owner, UINT position) {
        return (::GetMenuState(owner, position, MF_BYPOSITION) & MF_CHECKED) != 0;
    };
    ASSERT_EQ(::GetMenuItemCount(tray), 8);
    EXPECT_EQ(text(tray, 0), L"Apri Velmora");
    EXPECT_EQ(::GetMenuItemID(tray, 0), static_cast<UINT>(ID_TRAY_OPEN));
    EXPECT_EQ(text(tray, 1), L"Scansiona ora");
    EXPECT_EQ(::GetMenuItemID(tray, 1), static_cast<UINT>(ID_TRAY_SCAN_NOW));
    EXPECT_TRUE(::GetMenuState(tray, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(text(tray, 3), L"Controlla aggiornamenti");
    EXPECT_EQ(::GetMenuItemID(tray, 3), static_cast<UINT>(ID_TRAY_CHECK_UPDATES));
    EXPECT_EQ(text(tray, 4), L"Lingue");
    const HMENU languages = ::GetSubMenu(tray, 4);
    ASSERT_TRUE(languages);
    EXPECT_EQ(text(languages, 0), L"Italiano");
    EXPECT_EQ(::GetMenuItemID(languages, 0), static_cast<UINT>(ID_TRAY_LANGUAGE_ITALIAN));
    EXPECT_TRUE(checked(languages, 0));
    EXPECT_EQ(text(tray, 5), L"Esecuzione all\u2019avvio di Windows");
    const HMENU start = ::GetSubMenu(tray, 5);
    ASSERT_TRUE(start);
    EXPECT_EQ(text(start, 0), L"Si");
    EXPECT_EQ(::GetMenuItemID(start, 0), static_cast<UINT>(ID_TRAY_START_WITH_WINDOWS_YES));
    EXPECT_TRUE(checked(start, 0));
    EXPECT_EQ(text(start, 1), L"No");
    EXPECT_EQ(::GetMenuItemID(start, 1), static_cast<UINT>(ID_TRAY_START_WITH_WINDOWS_NO));
    EXPECT_FALSE(checked(start, 1));
    EXPECT_TRUE(::GetMenuState(tray, 6, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(text(tray, 7), L"Esci");
    EXPECT_EQ(::GetMenuItemID(tray, 7), static_cast<UINT>(ID_TRAY_EXIT));
}

TEST(Skin, ApplicationIconHasTheUsualSizes)
{
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC group = ::FindResourceW(module, MAKEINTRESOURCEW(IDI_VELMORA), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_TRUE(group);
    const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(module, group)));
    ASSERT_TRUE(bytes);
    const int count = bytes[4] | (bytes[5] << 8);
    std::set<int> sizes;
    for (int entry = 0; entry < count; ++entry) {
        const BYTE width = bytes[6 + 14 * entry];
        sizes.insert(width == 0 ? 256 : width);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48, 256}));
    for (const int size : {16, 32, 48}) {
        const std::unique_ptr<std::remove_pointer_t<HICON>, decltype(&::DestroyIcon)> icon(
            static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(IDI_VELMORA), IMAGE_ICON, size, size, 0)),
            &::DestroyIcon);
        ASSERT_TRUE(icon) << size;
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon.get(), &info));
        const UniqueGdiObject<HBITMAP> colourBits(info.hbmColor);
        const UniqueGdiObject<HBITMAP> maskBits(info.hbmMask);
        BITMAP colour{};
        ::GetObjectW(colourBits.get(), sizeof(colour), &colour);
        EXPECT_EQ(colour.bmWidth, size);
    }
}
