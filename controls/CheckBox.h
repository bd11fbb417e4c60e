#pragma once
// Every check box of the program: drawn from an 8-frame bitmap strip (13 x 13 frames,
// magenta transparent) with its own text painting, hover and pressed frames. Each of the
// eight looks is rendered over the background behind the control when it is first shown
// and copied after that.
//
// Frames of the strip: 0 checked, 1 unchecked, 2 checked hovered, 3 unchecked hovered,
// 4 checked pressed, 5 unchecked pressed, 6 checked disabled, 7 unchecked disabled.

#include <string>

#include "controls/Accessible.h"
#include "framework/Handles.h"
#include "framework/SubclassedWindow.h"

// To assistive software it is a check box with its checked state, named by its own text
// or, when it has none, by the label beside it.
class CCheckBox : public CSubclassedWindow, private IAccessibleSource {
public:
    // At 96 DPI; the box grows with the window's DPI.
    static constexpr int kBoxSize = 13;
    static constexpr int kFrameCount = 8;
    static constexpr size_t kMaxTextLength = 64;
    static constexpr COLORREF kTextColor = 0x3F362D;
    static constexpr wchar_t kTextFace[] = L"Verdana";
    static constexpr COLORREF kStripTransparent = RGB(255, 0, 255);

    CCheckBox() = default;

    [[nodiscard]] bool IsChecked() const { return m_checked; }
    [[nodiscard]] int GetFrame() const { return m_frame; }
    [[nodiscard]] bool IsTextOnLeft() const { return m_textOnLeft; }
    [[nodiscard]] const std::wstring& GetText() const { return m_text; }
    // The label that names a box without text of its own.
    void SetLabel(HWND label) { m_label = label; }
    // Height of each rendered look: the larger of the box and the parent font's line + 1.
    // How many times the eight looks were rebuilt (only when needed).
    [[nodiscard]] unsigned GetRenderCount() const { return m_renderCount; }
    // Owned by the check box (for inspection; never free them).
    [[nodiscard]] HBITMAP GetStripBitmap() const { return m_strip.get(); }
    [[nodiscard]] HBITMAP GetImagesBitmap() const { return m_images.get(); }
    [[nodiscard]] HFONT GetTextFont() const { return m_textFont.get(); }

protected:
    void OnAttached() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum class Look { Normal = 0, Hover = 2, Pressed = 4, Disabled = 6 };
    [[nodiscard]] int FrameOf(Look look, bool checked) const;
    void SetFrame(int frame);
    [[nodiscard]] bool IsCursorInside(LPARAM clientPoint) const;
    [[nodiscard]] bool IsCursorInside() const;
    void ReadText();
    // Box, gaps and font follow the window to the DPI it now lays out for.
    void FollowDpi();
    void MeasureImageHeight();
    void RenderImages(HDC reference);
    void DrawFrame(HDC reference, int frame);
    void DrawBackgroundBehind(HDC dc, int frameTop) const;
    void DrawText(HDC dc, const RECT& area, int frame) const;
    void Paint();
    void OnLeftButtonUp(LPARAM lParam);
    void SetChecked(bool checked);

    [[nodiscard]] long AccessibleRole(long child) const override;
    [[nodiscard]] std::wstring AccessibleName(long child) const override;
    [[nodiscard]] long AccessibleState(long child) const override;
    [[nodiscard]] std::wstring AccessibleDefaultAction(long child) const override;
    void DoAccessibleDefaultAction(long child) override;

    bool m_checked = false;
    bool m_pressedByMouse = false;
    bool m_pressedBySpace = false;
    bool m_tracking = false;
    bool m_textOnLeft = false;
    int m_frame = 1;

    std::wstring m_text;
    HFONT m_parentFont = nullptr;  // the parent's: only its height is used, never freed here
    UniqueGdiObject<HFONT> m_textFont;
    UniqueGdiObject<HBITMAP> m_strip;
    UniqueGdiObject<HBITMAP> m_images;  // the eight looks stacked top to bottom
    SIZE m_imagesSize{};
    COLORREF m_imagesFace = 0;
    bool m_imagesValid = false;
    unsigned m_framesDrawn = 0;  // bit n: look n is drawn in m_images
    int m_imageHeight = kBoxSize;
    int m_dpi = 96;             // the DPI the box and the font are made for
    int m_boxSize = kBoxSize;   // the box at that DPI
    unsigned m_renderCount = 0;
    HWND m_label = nullptr;
    CAccessibleHost m_accessible{*this};
};
