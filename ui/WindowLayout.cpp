#include "ui/WindowLayout.h"

#include "framework/Dialog.h"

#include <commctrl.h>

void SetUpSkinnedPanel(CBitmapDialog& window, const WindowSkin& skin, const std::wstring& title)
{
    window.SetUpSkinnedWindow(skin.bitmap, skin.width, skin.height, skin.skinHeight);
    ::SetWindowTextW(window.GetSafeHwnd(), title.c_str());
}

void PlaceControl(HWND dialog, int id, const ControlPlace& place)
{
    const HWND control = ::GetDlgItem(dialog, id);
    if (!control)
        return;
    // Edges are scaled rather than sizes, so controls that touch at 96 DPI still touch.
    const CDpiScale scale = CDpiScale::OfWindow(dialog);
    const RECT edges = scale.Rect(RECT{place.x, place.y, place.x + place.width, place.y + place.height});
    ::SetWindowPos(control, nullptr, edges.left, edges.top, edges.right - edges.left, edges.bottom - edges.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetUpLabel(CXColorStatic& label, HWND dialog, int id, const LabelLook& look, const std::wstring& text,
                const ControlPlace* place)
{
    if (!label.GetSafeHwnd() && !label.SubclassDlgItem(id, dialog))
        return;
    label.SetTextFont(look.points, look.weight);
    label.SetTextColor(look.color);
    if (place)
        PlaceControl(dialog, id, *place);
    ::SetWindowTextW(label.GetSafeHwnd(), text.c_str());
}

void SetUpImageButton(CBitmapButtonEx& button, HWND dialog, int id, UINT normalId, UINT activeId,
                      const ControlPlace& place)
{
    if (!button.GetSafeHwnd() && !button.SubclassDlgItem(id, dialog))
        return;
    // A face that does not load leaves the button invisible but still usable by keyboard.
    if (button.LoadStateBitmaps(kButtonTransparent, normalId, activeId))
        button.SizeToNormalBitmap();
    PlaceControl(dialog, id, place);
}

void SetUpCaptionButton(CBitmapButtonEx& button, HWND dialog, int id, UINT faceId, const std::wstring& caption,
                        const ControlPlace& place)
{
    SetUpImageButton(button, dialog, id, faceId, 0, place);
    if (!button.GetSafeHwnd())
        return;
    button.SetCaption(caption);
    button.SetCaptionRect(CDpiScale::OfWindow(dialog).Rect(RECT{0, 0, place.width, place.height}));
    button.SetCaptionFont(8, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SetWindowTextW(button.GetSafeHwnd(), caption.c_str());
}

void SetUpAnnotation(CAccessibleAnnotation& control, HWND dialog, int id, std::wstring name)
{
    if (control.GetSafeHwnd() || control.SubclassDlgItem(id, dialog))
        control.SetAccessibleName(std::move(name));
}

void PairBoxWithLabel(CCheckBox& box, CXColorStatic& label)
{
    box.SetLabel(label.GetSafeHwnd());
    label.SetLabelFor(box.GetSafeHwnd());
}

void SetTabOrder(HWND dialog, const std::vector<int>& ids)
{
    HWND previous = HWND_TOP;
    for (const int id : ids) {
        const HWND control = ::GetDlgItem(dialog, id);
        if (!control)
            continue;
        ::SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = control;
    }
}

void FocusControl(HWND dialog, int id)
{
    if (const HWND control = ::GetDlgItem(dialog, id))
        ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

HWND CreateControlTooltips(HWND dialog)
{
    const HWND tooltips =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                          CDialogBase::ResourceModule(), nullptr);
    if (!tooltips)
        return nullptr;
    ::SendMessageW(tooltips, TTM_SETMAXTIPWIDTH, 0, CDpiScale::OfWindow(dialog).Px(400));
    ::SendMessageW(tooltips, TTM_SETDELAYTIME, TTDT_AUTOPOP, 4000);
    ::SendMessageW(tooltips, TTM_SETDELAYTIME, TTDT_INITIAL, 350);
    ::SendMessageW(tooltips, TTM_SETDELAYTIME, TTDT_RESHOW, 350);
    ::SendMessageW(tooltips, TTM_SETTIPBKCOLOR, RGB(255, 255, 255), 0);
    ::SendMessageW(tooltips, TTM_ACTIVATE, TRUE, 0);
    return tooltips;
}

void AddControlTooltip(HWND tooltips, HWND dialog, int id, const std::wstring& text)
{
    const HWND control = ::GetDlgItem(dialog, id);
    if (!control)
        return;
    TTTOOLINFOW tool{};
    // The version-2 layout: every common-controls version accepts it.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    // The tooltip watches the control's mouse messages itself (TTF_SUBCLASS), so no
    // message has to be relayed to it by hand.
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}
