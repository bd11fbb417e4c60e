#include "controls/DpiScale.h"

#include "framework/Dialog.h"

namespace {

// Where a skinned window keeps the DPI it lays out for, so that its controls find it.
constexpr wchar_t kLayoutDpiProperty[] = L"Velmora.LayoutDpi";

// GetDpiForWindow exists from Windows 10 1607 on; before, every window has the system DPI.
int SystemDpiOf(HWND window)
{
    using DpiForWindow = UINT(WINAPI*)(HWND);
    if (const HMODULE user = ::GetModuleHandleW(L"user32.dll")) {
        const auto dpiForWindow =
            reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(::GetProcAddress(user, "GetDpiForWindow")));
        if (dpiForWindow && window)
            if (const UINT dpi = dpiForWindow(window))
                return static_cast<int>(dpi);
    }
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : CDpiScale::kBaseDpi;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace

CDpiScale CDpiScale::OfWindow(HWND window)
{
    for (HWND level = window; level; level = ::GetParent(level))
        if (const HANDLE dpi = ::GetPropW(level, kLayoutDpiProperty))
            return CDpiScale(static_cast<int>(reinterpret_cast<INT_PTR>(dpi)));
    return CDpiScale(SystemDpiOf(window));
}

void CDpiScale::Adopt(HWND window, CDpiScale scale)
{
    ::SetPropW(window, kLayoutDpiProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(scale.Dpi())));
}

void CDpiScale::Forget(HWND window) { ::RemovePropW(window, kLayoutDpiProperty); }

UniqueGdiObject<HFONT> RescaleFont(HFONT font, int fromDpi, int toDpi)
{
    LOGFONTW description{};
    if (!font || ::GetObjectW(font, sizeof(description), &description) != sizeof(description))
        return UniqueGdiObject<HFONT>();
    description.lfHeight = ::MulDiv(description.lfHeight, toDpi, fromDpi);
    description.lfWidth = ::MulDiv(description.lfWidth, toDpi, fromDpi);
    return UniqueGdiObject<HFONT>(::CreateFontIndirectW(&description));
}

UniqueGdiObject<HFONT> CreateArial(int points, int weight, bool underline, CDpiScale scale)
{
    return UniqueGdiObject<HFONT>(::CreateFontW(scale.FontHeight(points), 0, 0, 0, weight, FALSE,
                                                underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                                CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                                L"Arial"));
}

UniqueGdiObject<HBITMAP> LoadScaledBitmap(UINT id, CDpiScale scale)
{
    UniqueGdiObject<HBITMAP> original(static_cast<HBITMAP>(
        ::LoadImageW(CDialogBase::ResourceModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    BITMAP info{};
    if (!original || scale.IsBase() || ::GetObjectW(original.get(), sizeof(info), &info) != sizeof(info))
        return original;
    const HDC screen = ::GetDC(nullptr);
    if (!screen)
        return original;
    const int width = scale.Px(info.bmWidth);
    const int height = scale.Px(info.bmHeight);
    UniqueGdiObject<HBITMAP> scaled(::CreateCompatibleBitmap(screen, width, height));
    UniqueMemoryDc source(::CreateCompatibleDC(screen));
    UniqueMemoryDc target(::CreateCompatibleDC(screen));
    ::ReleaseDC(nullptr, screen);
    if (!scaled || !source || !target)
        return original;
    {
        SelectObjectGuard selectedSource(source.get(), original.get());
        SelectObjectGuard selectedTarget(target.get(), scaled.get());
        // HALFTONE averages the source pixels each target pixel covers: no jagged edges
        // on the painted captions, at the cost of a moment once per window.
        ::SetStretchBltMode(target.get(), HALFTONE);
        ::SetBrushOrgEx(target.get(), 0, 0, nullptr);
        ::StretchBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    return scaled;
}
