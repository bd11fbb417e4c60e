#include "framework/Handles.h"

namespace handle_traits {

bool IsPredefinedKey(HKEY key)
{
    const auto value = reinterpret_cast<ULONG_PTR>(key);
    const auto low = static_cast<std::uint32_t>(value);
    // Predefined keys are 0x80000000..0x80000006, sign-extended on x64.
    return (low & 0xFFFFFFF0u) == 0x80000000u && (value >> 32 == 0 || value >> 32 == 0xFFFFFFFFu);
}

}  // namespace handle_traits

HKEY RootToHKey(std::uint32_t root)
{
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

bool PostText(const CNotifyTarget& target, UINT message, std::wstring_view text, LPARAM lParam)
{
    UniqueBstr text_bstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    if (!text_bstr)
        return false;
    if (!target.Post(message, reinterpret_cast<WPARAM>(text_bstr.get()), lParam))
        return false;
    static_cast<void>(text_bstr.release());
    return true;
}

std::wstring TakeText(WPARAM wParam)
{
    UniqueBstr text_bstr(reinterpret_cast<BSTR>(wParam));
    if (!text_bstr)
        return {};
    return std::wstring(text_bstr.get(), ::SysStringLen(text_bstr.get()));
}

UniqueGdiObject<HBITMAP> CreateTopDownDib(HDC dc, int width, int height, void** bits)
{
    *bits = nullptr;
    if (width <= 0 || height <= 0)
        return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    UniqueGdiObject<HBITMAP> bitmap(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0));
    if (!bitmap)
        *bits = nullptr;
    return bitmap;
}
