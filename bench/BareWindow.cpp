// The start benchmark's baseline: a program with the main program's manifest, resources
// and libraries that shows one window of the main window's size, paints it once and then
// says so as the main program does. What it costs is what Wine costs any such program.
//
//   velmora-bare-window     (runs until it is ended)

#include "framework/FirstPaintSignal.h"

#include <windows.h>
#include <bcrypt.h>
#include <commctrl.h>
#include <shellapi.h>
#include <userenv.h>
#include <wininet.h>
#include <winsock2.h>
#include <winternl.h>

namespace {

// One function of every library the program imports, so that this program imports them
// too and Wine loads them for both alike (a library none of whose functions is used is
// dropped by the linker). Kept beside the program's list of imports ("objdump -p").
const void* const kProgramImports[] = {
    reinterpret_cast<const void*>(&::RegCloseKey),          reinterpret_cast<const void*>(&::BCryptGenRandom),
    reinterpret_cast<const void*>(&::InitCommonControlsEx), reinterpret_cast<const void*>(&::BitBlt),
    reinterpret_cast<const void*>(&::TransparentBlt),       reinterpret_cast<const void*>(&::CoInitializeEx),
    reinterpret_cast<const void*>(&::SysFreeString),        reinterpret_cast<const void*>(&::Shell_NotifyIconW),
    reinterpret_cast<const void*>(&::GetProfileType),       reinterpret_cast<const void*>(&::GetFileVersionInfoSizeW),
    reinterpret_cast<const void*>(&::InternetGetConnectedState), reinterpret_cast<const void*>(&::WSAStartup),
    reinterpret_cast<const void*>(&::RtlNtStatusToDosError),
};

constexpr wchar_t kClassName[] = L"VelmoraBareWindow";
// The main window's size and place.
constexpr int kWidth = 770;
constexpr int kHeight = 571;
// Not the main window's title: a starting program looks for its running copy by it.
constexpr wchar_t kTitle[] = L"Velmora bare window";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static bool painted = false;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        const HDC dc = ::BeginPaint(window, &paint);
        ::FillRect(dc, &paint.rcPaint, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        ::EndPaint(window, &paint);
        if (!painted) {
            painted = true;
            SignalFirstPaint();
        }
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    for (const void* import : kProgramImports)
        if (!import)
            return 1;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassExW(&windowClass))
        return 1;
    const int x = (::GetSystemMetrics(SM_CXFULLSCREEN) - kWidth) / 2;
    const int y = (::GetSystemMetrics(SM_CYFULLSCREEN) - kHeight) / 2 - 20;
    const HWND window = ::CreateWindowExW(0, kClassName, kTitle, WS_POPUP | WS_VISIBLE, x, y,
                                          kWidth, kHeight, nullptr, nullptr, instance,
                                          nullptr);
    if (!window)
        return 1;
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
