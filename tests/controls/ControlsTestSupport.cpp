#include "tests/controls/ControlsTestSupport.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/File.h"
#include "framework/Handles.h"
#include "res/resource.h"

CTestDialog::CTestDialog() : CBitmapDialog(IDD_SCAN_DIALOG) {}

HWND TestStage()
{
    static HWND stage = [] {
        WNDCLASSW description{};
        description.lpfnWndProc = &::DefWindowProcW;
        description.hInstance = ::GetModuleHandleW(nullptr);
        description.lpszClassName = L"VelmoraTestStage";
        description.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
        ::RegisterClassW(&description);
        const HWND window = ::CreateWindowExW(0, L"VelmoraTestStage", L"Velmora controls", WS_POPUP | WS_VISIBLE, 0,
                                              0, 800, 600, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetForegroundWindow(window);
        return window;
    }();
    return stage;
}

bool CTestDialog::Open(int clientWidth, int clientHeight)
{
    if (!Create(TestStage()))
        return false;
    std::vector<HWND> children;
    ::EnumChildWindows(
        m_hWnd,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    for (const HWND child : children)
        ::DestroyWindow(child);
    // What the template's own controls sent while they existed is not the tests' business.
    commands.clear();
    ownerMessages.clear();
    notifyCodes.clear();
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, clientWidth, clientHeight, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (client.right != clientWidth || client.bottom != clientHeight || !(::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD))
        return false;
    PaintNow(m_hWnd);
    return true;
}

BOOL CTestDialog::OnInitDialog()
{
    // Made a child of the stage before the dialog is first shown: under a display without
    // a window manager, every top-level window that was shown costs seconds to take down
    // (Wine waits for its unmapping), and the tests create hundreds of dialogs.
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, WS_CHILD | WS_CLIPSIBLINGS | DS_SETFONT);
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, 0);
    ::SetParent(m_hWnd, TestStage());
    return TRUE;
}

bool CTestDialog::OnCommand(WORD id, WORD code, HWND)
{
    commands.emplace_back(id, code);
    if (onCommand)
        onCommand(id, code);
    return true;
}

bool CTestDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_DRAWITEM || message == WM_NOTIFY)
        ownerMessages.push_back(message);
    if (message == WM_NOTIFY)
        notifyCodes.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
    return CBitmapDialog::OnMessage(message, wParam, lParam, result);
}

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, RECT place, int id,
                 DWORD exStyle)
{
    const HWND child = ::CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, place.left,
                                         place.top, place.right - place.left, place.bottom - place.top, parent,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                                         nullptr);
    if (child)
        ::SendMessageW(child, WM_SETFONT, ::SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
    return child;
}

void PumpMessages()
{
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + limitMs;
    while (!done()) {
        if (::GetTickCount64() > deadline)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

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

std::wstring TestOutputFolder()
{
    std::wstring folder;
    if (const char* configured = std::getenv("VELMORA_TEST_OUTPUT"); configured && *configured) {
        folder = HostPath(configured);
    } else {
        wchar_t program[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, program, MAX_PATH);
        folder = program;
        folder = folder.substr(0, folder.find_last_of(L'\\')) + L"\\test-output";
    }
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return folder;
}

HBITMAP CreateSolidBitmap(int width, int height, COLORREF color)
{
    const HDC screen = ::GetDC(nullptr);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    UniqueMemoryDc dc(::CreateCompatibleDC(screen));
    ::ReleaseDC(nullptr, screen);
    if (bitmap && dc) {
        SelectObjectGuard selected(dc.get(), bitmap);
        UniqueGdiObject<HBRUSH> brush(::CreateSolidBrush(color));
        const RECT all{0, 0, width, height};
        ::FillRect(dc.get(), &all, brush.get());
    }
    return bitmap;
}
