#include "controls/ItemListCtrl.h"

#include <algorithm>
#include <array>

#include "controls/CheckBox.h"
#include "controls/ControlResources.h"
#include "controls/DpiScale.h"
#include "controls/FocusMark.h"
#include "framework/Dialog.h"

void CItemListCtrl::OnAttached()
{
    static_cast<void>(m_reflector.Start(m_hWnd, *this));
}

void CItemListCtrl::KeepImageListsOwnedHere()
{
    // Without this style the list view would destroy this object's image lists a second time.
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) | LVS_SHAREIMAGELISTS);
}

bool CItemListCtrl::UseSkinnedCheckBoxes()
{
    if (!m_hWnd)
        return false;
    UniqueGdiObject<HBITMAP> strip(static_cast<HBITMAP>(::LoadImageW(
        CDialogBase::ResourceModule(), MAKEINTRESOURCEW(IDB_CHECKBOX_STRIP), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (!strip)
        return false;
    const int size = CDpiScale::OfWindow(m_hWnd).Px(CCheckBox::kBoxSize);
    UniqueImageList images(::ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 2, 0));
    if (!images)
        return false;
    // State image 1 is "unchecked" and 2 "checked": strip frames 1 and 0.
    const HDC screen = ::GetDC(nullptr);
    UniqueMemoryDc source(::CreateCompatibleDC(screen));
    UniqueMemoryDc target(::CreateCompatibleDC(screen));
    bool added = source && target;
    for (const int frame : {1, 0}) {
        if (!added)
            break;
        UniqueGdiObject<HBITMAP> image(::CreateCompatibleBitmap(screen, size, size));
        if (!image) {
            added = false;
            break;
        }
        {
            SelectObjectGuard fromStrip(source.get(), strip.get());
            SelectObjectGuard intoImage(target.get(), image.get());
            // Whole pixels, so that the magenta key stays exact for the mask.
            ::SetStretchBltMode(target.get(), COLORONCOLOR);
            ::StretchBlt(target.get(), 0, 0, size, size, source.get(), frame * CCheckBox::kBoxSize, 0,
                         CCheckBox::kBoxSize, CCheckBox::kBoxSize, SRCCOPY);
        }
        added = ::ImageList_AddMasked(images.get(), image.get(), CCheckBox::kStripTransparent) >= 0;
    }
    ::ReleaseDC(nullptr, screen);
    if (!added)
        return false;
    KeepImageListsOwnedHere();
    ListView_SetExtendedListViewStyleEx(m_hWnd, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    // The list made its own state images for LVS_EX_CHECKBOXES; they are handed back here.
    UniqueImageList systemBoxes(ListView_SetImageList(m_hWnd, images.get(), LVSIL_STATE));
    if (systemBoxes.get() == m_checkBoxImages.get())
        static_cast<void>(systemBoxes.release());
    m_checkBoxImages = std::move(images);
    return true;
}

CItemListCtrl::~CItemListCtrl()
{
    // The window may outlive this object; it must not keep drawing from freed image lists.
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        if (m_checkBoxImages)
            ListView_SetImageList(m_hWnd, nullptr, LVSIL_STATE);
        if (m_rowHeightImages)
            ListView_SetImageList(m_hWnd, nullptr, LVSIL_SMALL);
    }
}

bool CItemListCtrl::SetMinimumRowHeight(int pixels)
{
    if (!m_hWnd || pixels <= 0)
        return false;
    UniqueImageList images(::ImageList_Create(1, pixels, ILC_COLOR24, 1, 0));
    if (!images)
        return false;
    KeepImageListsOwnedHere();
    ListView_SetImageList(m_hWnd, images.get(), LVSIL_SMALL);
    m_rowHeightImages = std::move(images);
    return true;
}

void CItemListCtrl::OnClick(POINT point)
{
    LVHITTESTINFO hit{};
    hit.pt = point;
    const int item = ListView_HitTest(m_hWnd, &hit);
    if (item < 0 || (hit.flags & LVHT_ONITEM) != LVHT_ONITEMSTATEICON)
        return;
    ListView_RedrawItems(m_hWnd, item, item);
    LVITEMW data{};
    data.mask = LVIF_PARAM;
    data.iItem = item;
    if (!ListView_GetItem(m_hWnd, &data))
        return;
    if (data.lParam >= 0 && m_notifyWindow)
        ::SendMessageW(m_notifyWindow, WM_LISTITEM_CHECK_CLICKED, static_cast<WPARAM>(data.lParam), 0);
}

LRESULT CItemListCtrl::OnCustomDraw(NMLVCUSTOMDRAW& draw) const
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        // The list's own faint dotted mark gives way to the program's.
        draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_FOCUS);
        return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT: {
        const int item = static_cast<int>(draw.nmcd.dwItemSpec);
        RECT bounds{};
        if ((ListView_GetItemState(m_hWnd, item, LVIS_FOCUSED) & LVIS_FOCUSED) &&
            ListView_GetItemRect(m_hWnd, item, &bounds, LVIR_BOUNDS))
            DrawFocusMark(m_hWnd, ::GetFocus() == m_hWnd, draw.nmcd.hdc, bounds, 0);
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

bool CItemListCtrl::OnReflectedMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result)
{
    if (message != WM_NOTIFY)
        return false;
    if (reinterpret_cast<const NMHDR*>(lParam)->code == NM_CUSTOMDRAW) {
        result = OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        return true;
    }
    if (reinterpret_cast<const NMHDR*>(lParam)->code != NM_CLICK)
        return false;
    OnClick(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->ptAction);
    result = 0;
    return true;
}

long CItemListCtrl::AccessibleRole(long child) const
{
    return child == CHILDID_SELF ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM;
}

std::wstring CItemListCtrl::AccessibleName(long child) const
{
    if (child == CHILDID_SELF)
        return {};
    // The row's texts, column by column, as a reader goes along the row.
    const int columns = Header_GetItemCount(ListView_GetHeader(m_hWnd));
    std::wstring name;
    for (int column = 0; column < std::max(columns, 1); ++column) {
        std::array<wchar_t, 1024> text{};
        ListView_GetItemText(m_hWnd, static_cast<int>(child) - 1, column, text.data(), static_cast<int>(text.size()));
        if (text[0] == L'\0')
            continue;
        if (!name.empty())
            name += L", ";
        name += text.data();
    }
    return name;
}

long CItemListCtrl::AccessibleState(long child) const
{
    if (child == CHILDID_SELF)
        return STATE_SYSTEM_FOCUSABLE;
    const int item = static_cast<int>(child) - 1;
    long state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (ListView_GetItemState(m_hWnd, item, LVIS_SELECTED) & LVIS_SELECTED)
        state |= STATE_SYSTEM_SELECTED;
    if ((ListView_GetExtendedListViewStyle(m_hWnd) & LVS_EX_CHECKBOXES) && ListView_GetCheckState(m_hWnd, item))
        state |= STATE_SYSTEM_CHECKED;
    return state;
}

long CItemListCtrl::AccessibleChildCount() const { return ListView_GetItemCount(m_hWnd); }

bool CItemListCtrl::AccessibleChildBounds(long child, RECT& client) const
{
    return ListView_GetItemRect(m_hWnd, static_cast<int>(child) - 1, &client, LVIR_BOUNDS) != FALSE;
}

long CItemListCtrl::AccessibleFocusedChild() const { return ListView_GetNextItem(m_hWnd, -1, LVNI_FOCUSED) + 1; }

LRESULT CItemListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT answer = 0; m_accessible.OnMessage(m_hWnd, message, wParam, lParam, answer))
        return answer;
    if (message == WM_NCDESTROY)
        m_reflector.Stop();
    return DefaultProc(message, wParam, lParam);
}
