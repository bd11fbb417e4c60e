#include "tests/controls/Capture.h"

#include <algorithm>
#include <cstdint>

#include "framework/File.h"
#include "framework/Handles.h"

void PaintNow(HWND window)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::GdiFlush();
}

int Capture::Count(COLORREF color, RECT area) const
{
    int found = 0;
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, height); ++y) {
        for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, width); ++x)
            found += At(x, y) == color ? 1 : 0;
    }
    return found;
}

namespace {

Capture ReadDc(HDC source, int width, int height)
{
    Capture capture;
    if (width <= 0 || height <= 0)
        return capture;
    void* bits = nullptr;
    UniqueGdiObject<HBITMAP> target = CreateTopDownDib(nullptr, width, height, &bits);
    UniqueMemoryDc dc(::CreateCompatibleDC(source));
    if (!target || !dc)
        return capture;
    {
        SelectObjectGuard selected(dc.get(), target.get());
        ::BitBlt(dc.get(), 0, 0, width, height, source, 0, 0, SRCCOPY);
        ::GdiFlush();
    }
    capture.width = width;
    capture.height = height;
    capture.pixels.resize(static_cast<size_t>(width) * height);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (size_t i = 0; i < capture.pixels.size(); ++i) {
        const std::uint32_t p = pixels[i];
        capture.pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    return capture;
}

}  // namespace

Capture CaptureClient(HWND window)
{
    RECT client{};
    ::GetClientRect(window, &client);
    const HDC dc = ::GetDC(window);
    Capture capture = ReadDc(dc, client.right, client.bottom);
    ::ReleaseDC(window, dc);
    return capture;
}

Capture CaptureDrawing(int width, int height, COLORREF fill, const std::function<void(HDC)>& paint)
{
    const HDC screen = ::GetDC(nullptr);
    UniqueMemoryDc dc(::CreateCompatibleDC(screen));
    UniqueGdiObject<HBITMAP> target(::CreateCompatibleBitmap(screen, width, height));
    ::ReleaseDC(nullptr, screen);
    Capture capture;
    if (!dc || !target)
        return capture;
    SelectObjectGuard selected(dc.get(), target.get());
    UniqueGdiObject<HBRUSH> brush(::CreateSolidBrush(fill));
    const RECT all{0, 0, width, height};
    ::FillRect(dc.get(), &all, brush.get());
    paint(dc.get());
    ::GdiFlush();
    return ReadDc(dc.get(), width, height);
}

Capture CaptureBitmap(HBITMAP bitmap)
{
    BITMAP info{};
    if (::GetObjectW(bitmap, sizeof(info), &info) != sizeof(info))
        return {};
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectObjectGuard selected(dc.get(), bitmap);
    return ReadDc(dc.get(), info.bmWidth, info.bmHeight);
}

bool SaveBmp(const Capture& capture, const std::wstring& path)
{
    const int stride = (capture.width * 3 + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride) * capture.height;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = capture.width;
    header.biHeight = capture.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = imageSize;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    std::string row(static_cast<size_t>(stride), '\0');
    for (int y = capture.height - 1; y >= 0; --y) {
        for (int x = 0; x < capture.width; ++x) {
            const COLORREF color = capture.At(x, y);
            row[x * 3] = static_cast<char>(GetBValue(color));
            row[x * 3 + 1] = static_cast<char>(GetGValue(color));
            row[x * 3 + 2] = static_cast<char>(GetRValue(color));
        }
        bytes += row;
    }
    return CFile::WriteAll(path, bytes);
}

std::wstring HostPath(const char* path)
{
    std::wstring wide;
    for (const char* c = path; *c; ++c)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    if (!wide.empty() && wide[0] == L'/')
        wide = L"Z:" + wide;
    for (auto& c : wide)
        c = c == L'/' ? L'\\' : c;
    return wide;
}
