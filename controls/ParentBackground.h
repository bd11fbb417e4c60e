#pragma once
// Skinned controls look transparent by having their parent paint its own background
// into their drawing first (the parent's WM_ERASEBKGND, so a skinned dialog paints its
// bitmap and any other window its brush), clipped to the part behind the control.

#include <windows.h>

// Paints what the parent shows behind `control`'s client rectangle `area` into `dc`, where
// the control's client point (0, 0) lies at `origin` of the DC. False when the parent does
// not paint a background; `area` is then filled with the button-face colour.
[[nodiscard]] bool PaintParentBackground(HWND control, HDC dc, const RECT& area, POINT origin = {0, 0});
