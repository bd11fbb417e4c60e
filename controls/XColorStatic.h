#pragma once
// Every label of the program: a static control painted in its own font, text colour and
// background colour (or see-through), aligned as its style says, optionally showing an
// icon instead of text. To assistive software it is static text named by what it shows.

#include <string>

#include "controls/Accessible.h"
#include "framework/Handles.h"
#include "framework/SubclassedWindow.h"

class CXColorStatic : public CSubclassedWindow, private IAccessibleSource {
public:
    CXColorStatic();

    // Arial of `points` at the window's DPI and `weight` (400 or 700); repaints.
    void SetTextFont(int points, int weight);
    // Shows `text` instead of the window text from now on; repaints.
    void SetStaticText(std::wstring text);
    void SetTextColor(COLORREF color);
    // Also rebuilds the background brush; repaints.
    void SetBackgroundColor(COLORREF color);
    // The caption the window's background paints beside the label (a column heading, a
    // "Versione" before the number): assistive software hears it before the label's text.
    void SetAccessibleCaption(std::wstring caption);
    // The label names `control` (a check box beside it): a click on the label clicks it.
    void SetLabelFor(HWND control) { m_labelFor = control; }
    // What assistive software hears: the caption, then the text shown.
    [[nodiscard]] std::wstring GetAccessibleName() const;

    [[nodiscard]] COLORREF GetTextColor() const { return m_textColor; }
    // Owned by the label (for inspection; never free them).
    [[nodiscard]] HFONT GetTextFont() const { return m_font.get(); }
    [[nodiscard]] HBRUSH GetBackgroundBrush() const { return m_backgroundBrush.get(); }
    // The text the next painting draws: the stored text once set, else the window text.
    [[nodiscard]] std::wstring GetDisplayedText() const;
    // The DrawText format the style asks for.
    [[nodiscard]] UINT GetDrawFormat() const;

protected:
    void OnAttached() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    [[nodiscard]] bool IsTransparent() const;
    // A see-through label cannot erase its old text itself: the parent repaints the
    // background under it, and the label is painted again on top.
    void Redraw();
    // The font follows the window to the DPI it now lays out for.
    void FollowDpi();

    void ClickLabelledControl(LPARAM point);

    [[nodiscard]] long AccessibleRole(long child) const override;
    [[nodiscard]] std::wstring AccessibleName(long child) const override;
    [[nodiscard]] long AccessibleState(long child) const override;

    COLORREF m_textColor;
    COLORREF m_backgroundColor;
    UniqueGdiObject<HBRUSH> m_backgroundBrush;
    UniqueGdiObject<HFONT> m_font;
    int m_fontDpi = 0;  // the DPI m_font is made for
    std::wstring m_windowText;
    std::wstring m_storedText;
    bool m_useStoredText = false;
    std::wstring m_caption;
    HWND m_labelFor = nullptr;
    CAccessibleHost m_accessible{*this};
};
