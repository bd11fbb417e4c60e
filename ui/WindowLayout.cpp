#include "ui/WindowLayout.h"

void PlaceControl(HWND dialog, int id, const ControlPlace& place)
{
    if (const HWND control = ::GetDlgItem(dialog, id))
        ::SetWindowPos(control, nullptr, place.x, place.y, place.width, place.height, SWP_NOZORDER | SWP_NOACTIVATE);
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
    button.SetCaptionRect(RECT{0, 0, place.width, place.height});
    button.SetCaptionFont(8, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SetWindowTextW(button.GetSafeHwnd(), caption.c_str());
}
