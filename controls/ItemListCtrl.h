#pragma once
// The startup manager's list: a report-style list view that tells a chosen window when
// the check box of one of its items is clicked (a click elsewhere on the item does not).
// Its focused row carries the program's focus mark. To assistive software it is a list
// with one item per row, named by the row's texts.

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "controls/Accessible.h"
#include "framework/Handles.h"
#include "framework/MessageReflection.h"
#include "framework/SubclassedWindow.h"

// Sent (not posted) to the notify window: wParam = the item's data (LVIF_PARAM), lParam 0.
inline constexpr UINT WM_LISTITEM_CHECK_CLICKED = 0x8112;

namespace handle_traits {
struct ImageList {
    using Handle = HIMAGELIST;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Release(Handle h) { ::ImageList_Destroy(h); }
};
}  // namespace handle_traits
using UniqueImageList = UniqueResource<handle_traits::ImageList>;

class CItemListCtrl : public CSubclassedWindow, private CReflectedMessageSink, private IAccessibleSource {
public:
    CItemListCtrl() = default;
    ~CItemListCtrl() override;

    // May be null: clicks are then not reported.
    void SetNotifyWindow(HWND window) { m_notifyWindow = window; }

    // Item check boxes drawn from the program's check-box strip (unchecked and checked
    // frames). False when the strip does not load; the list then keeps the system's boxes.
    // Both calls below make the list share its image lists (LVS_SHAREIMAGELISTS): image
    // lists its owner gives it afterwards stay the owner's to free.
    [[nodiscard]] bool UseSkinnedCheckBoxes();
    // Rows at least `pixels` high (a list view sizes its rows to its small images); replaces
    // the small image list.
    [[nodiscard]] bool SetMinimumRowHeight(int pixels);

protected:
    void OnAttached() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnClick(POINT point);
    [[nodiscard]] LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;
    void KeepImageListsOwnedHere();

    [[nodiscard]] long AccessibleRole(long child) const override;
    [[nodiscard]] std::wstring AccessibleName(long child) const override;
    [[nodiscard]] long AccessibleState(long child) const override;
    [[nodiscard]] long AccessibleChildCount() const override;
    [[nodiscard]] bool AccessibleChildBounds(long child, RECT& client) const override;
    [[nodiscard]] long AccessibleFocusedChild() const override;

    HWND m_notifyWindow = nullptr;
    UniqueImageList m_checkBoxImages;
    UniqueImageList m_rowHeightImages;
    CMessageReflector m_reflector;
    CAccessibleHost m_accessible{*this};
};
