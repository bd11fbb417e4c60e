#pragma once
// The scale a window lays out for. Every size and place of the skins is drawn for 96 DPI;
// a window shows them at the DPI of its monitor, so each is scaled from 96 here, in one
// place, and fonts are made for that DPI.

#include <windows.h>

#include "framework/Handles.h"

// WM_DPICHANGED_AFTERPARENT, which the headers declare only for Windows 10 targets: what a
// control gets once its window has laid out for a new DPI (from Windows, and from
// CBitmapDialog where Windows sends none).
inline constexpr UINT kDpiChangedAfterParent = 0x02E3;

class CDpiScale {
public:
    static constexpr int kBaseDpi = USER_DEFAULT_SCREEN_DPI;

    constexpr CDpiScale() = default;
    explicit constexpr CDpiScale(int dpi) : m_dpi(dpi > 0 ? dpi : kBaseDpi) {}

    // The DPI `window` lays out for: the one its top skinned window last laid out for (it
    // follows WM_DPICHANGED), else the one the system gives the window.
    [[nodiscard]] static CDpiScale OfWindow(HWND window);
    // Makes `window` and its controls lay out for `scale` from now on (see OfWindow).
    static void Adopt(HWND window, CDpiScale scale);
    static void Forget(HWND window);

    [[nodiscard]] constexpr int Dpi() const { return m_dpi; }
    [[nodiscard]] constexpr bool IsBase() const { return m_dpi == kBaseDpi; }
    // 96-DPI pixels at this scale, and back.
    [[nodiscard]] int Px(int basePixels) const { return ::MulDiv(basePixels, m_dpi, kBaseDpi); }
    [[nodiscard]] int ToBase(int pixels) const { return ::MulDiv(pixels, kBaseDpi, m_dpi); }
    [[nodiscard]] RECT Rect(const RECT& base) const
    {
        return {Px(base.left), Px(base.top), Px(base.right), Px(base.bottom)};
    }
    // The logical height of a font of `points` at this DPI.
    [[nodiscard]] int FontHeight(int points) const { return -::MulDiv(points, m_dpi, 72); }

private:
    int m_dpi = kBaseDpi;
};

// A copy of `font` grown or shrunk from `fromDpi` to `toDpi`; null when it cannot be made.
[[nodiscard]] UniqueGdiObject<HFONT> RescaleFont(HFONT font, int fromDpi, int toDpi);
// The skin's text face: Arial of `points` at `scale`, smoothed; null when it cannot be made.
[[nodiscard]] UniqueGdiObject<HFONT> CreateArial(int points, int weight, bool underline, CDpiScale scale);

// Bitmap resource `id` at `scale`, resampled with a smoothing filter from its 96-DPI
// pixels (the bitmap itself at 96 DPI); null when it does not load.
[[nodiscard]] UniqueGdiObject<HBITMAP> LoadScaledBitmap(UINT id, CDpiScale scale);
