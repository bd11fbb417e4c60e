#pragma once
// The focus mark every skinned control draws over its own face while it has the keyboard
// focus, so a keyboard user sees where Tab went: a solid ring two pixels wide, black or
// white, whichever stands out more against what lies under it. The system hides the
// marks of a window until the keyboard is used in it (UISF_HIDEFOCUS); the mark follows
// that state.

#include <windows.h>

inline constexpr int kFocusMarkWidth = 2;

// Draws the mark `inset` pixels inside `bounds` when `focused` (the control's own view of
// its focus: it may be drawing while the focus moves) and its window shows focus marks.
void DrawFocusMark(HWND control, bool focused, HDC dc, const RECT& bounds, int inset);

// The contrast ratio of two colours as the accessibility guidelines define it (1 to 21).
[[nodiscard]] double ContrastRatio(COLORREF first, COLORREF second);
