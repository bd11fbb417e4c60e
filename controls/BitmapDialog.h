#pragma once
// Base of every program window: a dialog painted from one bitmap, dragged by any point
// of its background, whose static labels are see-through so they sit on the bitmap.

#include "controls/DpiScale.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"

class CBitmapDialog : public CDialogBase {
public:
    explicit CBitmapDialog(UINT templateId) : CDialogBase(templateId) {}

    // Frees any previous background and loads bitmap `resourceId` from the resource module,
    // at the window's scale. False when it does not load; the window then paints the
    // default dialog background.
    [[nodiscard]] bool SetSkinBitmap(UINT resourceId);
    [[nodiscard]] bool HasSkinBitmap() const { return static_cast<bool>(m_skin); }
    // Size of the loaded background at the window's scale; 0 x 0 without one.
    [[nodiscard]] SIZE GetSkinSize() const { return m_skinSize; }
    // Owned by the dialog (for inspection; never free it).
    [[nodiscard]] HBITMAP GetSkinBitmap() const { return m_skin.get(); }

    // Static controls get the transparent background mode and the hollow brush.
    void SetTransparentLabels(bool on) { m_transparentLabels = on; }
    // A left click on the background moves the window.
    void SetDragEnabled(bool on) { m_dragEnabled = on; }
    // Kept for the windows; the background is drawn opaque, so drawing never uses it.
    void SetTransparentColor(COLORREF color) { m_transparentColor = color; }

    // The set-up every program window shares: background bitmap (a missing one leaves
    // the default background, the window still works), magenta as transparent colour,
    // see-through labels, dragging, and the window sized width x height (96-DPI pixels,
    // scaled) and centred on the full-screen area as if it were centringHeight tall (the
    // skin's own height).
    void SetUpSkinnedWindow(UINT bitmapId, int width, int height, int centringHeight);

    // The scale the window lays out for: the DPI of its monitor, followed on WM_DPICHANGED.
    [[nodiscard]] CDpiScale Scale() const { return CDpiScale::OfWindow(m_hWnd); }

protected:
    // Called after the window and its controls were laid out again for a new DPI: the
    // place for what the window draws itself from bitmaps of its own.
    virtual void OnDpiChanged() {}

    // Derived windows must pass every message they do not handle on to this one.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void PaintBackground(HDC dc) const;
    // Moves and sizes every control, the fonts of the template's controls, the background
    // and the window itself from the old DPI to `dpi`.
    void LayOutFor(int dpi, const RECT* suggested);

    UINT m_skinId = 0;
    UniqueGdiObject<HBITMAP> m_skin;
    // The template's font made for a DPI the window moved to; the dialog manager owns the first.
    UniqueGdiObject<HFONT> m_rescaledFont;
    SIZE m_skinSize{};
    bool m_transparentLabels = false;
    bool m_dragEnabled = false;
    COLORREF m_transparentColor = RGB(255, 0, 255);
};
