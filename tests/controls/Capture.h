#pragma once
// Reading back what windows and drawings show, and saving it as a picture: shared by
// the control tests and the gallery.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Paints every pending update of the window and its children now.
void PaintNow(HWND window);

struct Capture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // row by row, top-down
    [[nodiscard]] COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // How many pixels of `area` have exactly `color`.
    [[nodiscard]] int Count(COLORREF color, RECT area) const;
    [[nodiscard]] int Count(COLORREF color) const { return Count(color, RECT{0, 0, width, height}); }
};

// What the window's client area shows (read back from its device context).
Capture CaptureClient(HWND window);
// Draws with `paint` into a fresh memory bitmap filled with `fill` and reads it back.
Capture CaptureDrawing(int width, int height, COLORREF fill, const std::function<void(HDC)>& paint);
// The pixels of a bitmap.
Capture CaptureBitmap(HBITMAP bitmap);
// Writes a 24-bit BMP file.
bool SaveBmp(const Capture& capture, const std::wstring& path);

// A path of the Linux side as Wine opens it (absolute Linux paths go through drive Z:).
std::wstring HostPath(const char* path);
