#pragma once
// What the two result lists (sections in the results window, problems in the per-section
// window) have in common: a child dialog that draws all its rows itself, scrolls
// vertically by pixels (scroll bar and mouse wheel), takes the focus when clicked so the
// wheel reaches it, and the small pictures both lists draw.
//
// Both are tab stops with a focused row: the arrows, Home, End, Page Up and Page Down
// move it, Space flips its check box, Enter (or the context-menu key) opens it where rows
// open. To assistive software a list is a list with one item per row, named by the row's
// text and checked as its box is.

#include "controls/Accessible.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"

#include <windows.h>

#include <array>

// The signed client coordinates a mouse message carries.
[[nodiscard]] int ClientX(LPARAM lParam);
[[nodiscard]] int ClientY(LPARAM lParam);

// Pixels one line step of the scroll bar or the wheel moves, in both lists.
inline constexpr int kResultLineStep = 60;

// The position a scroll position must lie in: 0 ... contentHeight - pageHeight, or 0
// when the content fits.
[[nodiscard]] int ClampScrollPosition(int position, int contentHeight, int pageHeight);
// The position after a scroll-bar request (SB_LINEUP ... SB_THUMBTRACK), clamped.
// trackPosition is the bar's position while dragging; other codes leave the position.
[[nodiscard]] int ScrollBarTarget(int code, int position, int trackPosition, int contentHeight, int pageHeight);
// The pixels a wheel turn moves (negative: up): max(1, (|delta| / 120) x lines / 3) line
// steps, up for delta > 0 and down otherwise; one page when lines is WHEEL_PAGESCROLL.
[[nodiscard]] int WheelScrollDistance(int wheelDelta, UINT linesSetting, int pageHeight);

// Arial of this logical height (the whole line, as the lists' sizes are meant) and weight.
[[nodiscard]] HFONT CreateListFont(int logicalHeight, int weight);

// The pictures of the lists, loaded from the resources on first use and kept until exit.
// A picture that does not load is not drawn.
class CResultPictures {
public:
    [[nodiscard]] static const CResultPictures& Get();

    // Image 0 (chosen) or 1 (not chosen) of the check-box strip, magenta transparent.
    void DrawCheckBox(HDC dc, int x, int y, bool chosen) const;
    void DrawDetailsIcon(HDC dc, int x, int y) const;
    // The severity bar with this resource id; 0 draws nothing.
    void DrawSeverityBar(HDC dc, int x, int y, UINT bitmapId) const;

    [[nodiscard]] bool IsLoaded() const;

private:
    CResultPictures();
    static void Draw(HDC dc, HBITMAP bitmap, int x, int y, int width, int height, int sourceX = 0);

    UniqueGdiObject<HBITMAP> m_strip;
    UniqueGdiObject<HBITMAP> m_details;
    std::array<UniqueGdiObject<HBITMAP>, 5> m_severity;
};

class CResultListBase : public CDialogBase, private IAccessibleSource {
public:
    explicit CResultListBase(UINT templateId, COLORREF background)
        : CDialogBase(templateId), m_background(background), m_accessible(*this)
    {
    }

    // Creates the list as a visible child of `parent` at `place` (client pixels at 96 DPI,
    // scaled to the window's), with
    // `id` as its control id so it can be found like a control. False on failure.
    [[nodiscard]] bool CreateIn(HWND parent, int id, const RECT& place);

    [[nodiscard]] int GetScrollPosition() const { return m_position; }
    [[nodiscard]] int GetContentHeight() const { return m_contentHeight; }
    [[nodiscard]] int GetPageHeight() const;
    // Scrolls to the position (clamped), moving what is on the screen and the bar.
    void ScrollTo(int position);
    // A mouse wheel turn, as WM_MOUSEWHEEL brings it (its parent passes those on).
    void Wheel(int wheelDelta);

    [[nodiscard]] virtual int RowCount() const = 0;
    // Flips the row's choice, as a click on its check box does.
    virtual void ToggleRow(int row) = 0;
    // Opens the row's details, where rows have them.
    virtual void OpenRow(int /*row*/) {}

    // The row the keys act on; -1 when the list is empty.
    [[nodiscard]] int GetFocusedRow() const { return m_focusedRow; }
    // Moves the focused row there (clamped) and scrolls it into view.
    void FocusRow(int row);

protected:
    [[nodiscard]] virtual int RowHeight() const = 0;
    [[nodiscard]] virtual bool IsRowChosen(int row) const = 0;
    // What assistive software hears for the list and for a row.
    [[nodiscard]] virtual std::wstring ListName() const = 0;
    [[nodiscard]] virtual std::wstring RowName(int row) const = 0;
    // Whether rows open (Enter then belongs to the list, not to the window).
    [[nodiscard]] virtual bool RowsOpen() const { return false; }
    // Tells assistive software that the row's check box changed.
    void NotifyRowChanged(int row) const;

    // Draws the rows that show in the client area, the scroll position already applied
    // by the caller through GetScrollPosition. The background is filled before. Rows,
    // clicks, heights and positions are in 96-DPI pixels; the drawing is scaled.
    virtual void DrawRows(HDC dc, int clientHeight) = 0;
    // A left click at a point of the content (client point plus scroll position).
    virtual void OnContentClick(POINT content) = 0;

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The client point a mouse message carries, in the rows' 96-DPI pixels.
    [[nodiscard]] POINT ListPoint(LPARAM lParam) const;

    // Empties the list for refilling: no painting or clicks until EndFill.
    void BeginFill();
    void EndFill(int contentHeight);
    [[nodiscard]] bool IsBusy() const { return m_busy; }
    // Repaints the band of content rows [top, top + height).
    void RedrawContent(int top, int height);

    // Enter and Escape belong to the window the list is in.
    void OnOK() override;
    void OnCancel() override;

private:
    void Paint();
    void UpdateScrollBar();
    void OnScrollBar(int code);
    [[nodiscard]] LRESULT DialogCode(const MSG* key) const;
    [[nodiscard]] bool OnKey(WPARAM key, LPARAM flags);
    void RedrawFocusedRow();

    [[nodiscard]] long AccessibleRole(long child) const override;
    [[nodiscard]] std::wstring AccessibleName(long child) const override;
    [[nodiscard]] long AccessibleState(long child) const override;
    [[nodiscard]] long AccessibleChildCount() const override;
    [[nodiscard]] bool AccessibleChildBounds(long child, RECT& client) const override;
    [[nodiscard]] long AccessibleFocusedChild() const override;
    [[nodiscard]] std::wstring AccessibleDefaultAction(long child) const override;
    void DoAccessibleDefaultAction(long child) override;

    COLORREF m_background;
    int m_dpi = 96;  // the DPI the rows are drawn at
    int m_position = 0;
    int m_contentHeight = 0;
    int m_focusedRow = -1;
    bool m_busy = false;
    CAccessibleHost m_accessible;
};
