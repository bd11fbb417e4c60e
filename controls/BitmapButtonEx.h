#pragma once
// Every push button of the program: drawn from up to four state bitmaps (normal,
// pressed, hover, disabled) with a colour-keyed transparent colour, and a caption
// painted over them that is underlined while the mouse is over the button.

#include <array>
#include <string>

#include "controls/CtrlButton.h"
#include "framework/Handles.h"
#include "framework/MessageReflection.h"

class CBitmapButtonEx : public CCtrlButton, private CReflectedMessageSink {
public:
    enum class State { Normal = 0, Pressed = 1, Hover = 2, Disabled = 3 };
    static constexpr UINT_PTR kHoverTimerId = 99;
    static constexpr UINT kHoverPollMs = 100;

    CBitmapButtonEx();

    // Takes ownership of the bitmaps; a handle passed for several states is owned once.
    // Normal is required: false (and nothing changed, the handles freed) without it.
    // A state without a bitmap draws nothing for that state.
    [[nodiscard]] bool SetStateBitmaps(COLORREF transparent, HBITMAP normal, HBITMAP pressed = nullptr,
                                       HBITMAP hover = nullptr, HBITMAP disabled = nullptr);
    // The windows' usual set-up: `normalId` for the normal state and `otherId` (or, when 0,
    // `normalId` again) for pressed, hover and disabled, loaded from the resource module.
    // False when a bitmap does not load; the button keeps what it had.
    [[nodiscard]] bool LoadStateBitmaps(COLORREF transparent, UINT normalId, UINT otherId = 0);
    // Resizes the button to its normal bitmap at the window's scale, keeping its place.
    void SizeToNormalBitmap();

    void SetCaption(std::wstring caption);
    // In client coordinates; until set, the whole client area.
    void SetCaptionRect(const RECT& rect);
    // Arial of `points` at the window's DPI, weight 400; `format` replaces the
    // DrawText format. Repaints.
    void SetCaptionFont(int points, UINT format);

    [[nodiscard]] bool IsHovered() const { return m_hovered; }
    // The state whose bitmap the next drawing uses for the given owner-draw state bits.
    [[nodiscard]] State ChooseState(UINT itemState) const;
    [[nodiscard]] HBITMAP GetStateBitmap(State state) const { return m_bitmaps[static_cast<size_t>(state)]; }
    // The caption colour the next drawing uses for the given owner-draw state bits.
    [[nodiscard]] COLORREF ChooseCaptionColor(UINT itemState) const;
    // Owned by the button (for inspection; never free them). Null until first needed.
    [[nodiscard]] HFONT GetCaptionFont() const { return m_font.get(); }
    [[nodiscard]] HFONT GetUnderlinedCaptionFont() const { return m_underlinedFont.get(); }

protected:
    void OnAttached() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DrawItem(const DRAWITEMSTRUCT& item);
    void EnsureFonts();
    // Caption place and font follow the window to the DPI it now lays out for.
    void FollowDpi();
    void Redraw();
    void CheckHoverEnded();
    void RedrawParentBehind();

    std::array<HBITMAP, 4> m_bitmaps{};  // views into m_owned
    std::array<UniqueGdiObject<HBITMAP>, 4> m_owned;
    COLORREF m_transparent = RGB(255, 0, 255);

    std::wstring m_caption;
    RECT m_captionRect{};
    bool m_captionRectSet = false;
    UINT m_format = DT_SINGLELINE | DT_VCENTER;
    static constexpr COLORREF kCaptionColor = RGB(255, 255, 255);
    UniqueGdiObject<HFONT> m_font;
    UniqueGdiObject<HFONT> m_underlinedFont;
    int m_captionPoints = 0;  // 0 until a caption font is chosen
    int m_dpi = 0;            // the DPI the caption rectangle and font are for

    bool m_hovered = false;
    HCURSOR m_handCursor = nullptr;   // system cursors: shared, never destroyed
    HCURSOR m_arrowCursor = nullptr;
    CMessageReflector m_reflector;
};
