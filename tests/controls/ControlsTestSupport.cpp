#include "tests/controls/ControlsTestSupport.h"

#include <vector>

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
