#include "tests/e2e/Driver.h"

#include "framework/File.h"

#include <vector>

namespace e2e {

DriverSettings& Settings()
{
    static DriverSettings settings;
    return settings;
}

std::wstring ToWindowsPath(const std::wstring& path)
{
    if (path.empty() || path[0] != L'/')
        return path;
    std::wstring windows = L"Z:" + path;
    for (auto& c : windows)
        if (c == L'/')
            c = L'\\';
    return windows;
}

bool RunningProgram::Start(const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + Settings().program + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(Settings().program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    m_process.reset(process.hProcess);
    return true;
}

bool RunningProgram::WaitForExit(DWORD milliseconds, DWORD& exitCode)
{
    if (!m_process || ::WaitForSingleObject(m_process.get(), milliseconds) != WAIT_OBJECT_0)
        return false;
    return ::GetExitCodeProcess(m_process.get(), &exitCode) != 0;
}

RunningProgram::~RunningProgram()
{
    if (m_process && ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT)
        ::TerminateProcess(m_process.get(), 99);
}

HWND WaitForWindow(const wchar_t* title, DWORD milliseconds)
{
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    do {
        const HWND window = ::FindWindowW(nullptr, title);
        if (window && ::IsWindowVisible(window))
            return window;
        ::Sleep(100);
    } while (::GetTickCount64() < end);
    return nullptr;
}

void PressKey(HWND window, UINT virtualKey)
{
    // The dialog's own message loop turns the key into its command (Escape -> IDCANCEL).
    const HWND focus = ::GetWindow(window, GW_CHILD) ? ::GetWindow(window, GW_CHILD) : window;
    ::PostMessageW(focus, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageW(focus, WM_KEYUP, virtualKey, 0xC0000001);
}

bool SaveScreenshot(HWND window, const std::wstring& name)
{
    RECT bounds{};
    if (!::GetWindowRect(window, &bounds))
        return false;
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0)
        return false;

    const HDC screen = ::GetDC(nullptr);
    UniqueMemoryDc memory(::CreateCompatibleDC(screen));
    UniqueGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen, width, height));
    bool copied = false;
    if (memory && bitmap) {
        SelectObjectGuard select(memory.get(), bitmap.get());
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        copied = ::BitBlt(memory.get(), 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY) != 0;
    }
    ::ReleaseDC(nullptr, screen);
    if (!copied)
        return false;

    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const int stride = ((width * 3 + 3) / 4) * 4;
    std::vector<char> pixels(static_cast<size_t>(stride) * height);
    if (!::GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                     DIB_RGB_COLORS))
        return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(pixels.data(), pixels.size());
    return CFile::WriteAll(Settings().output + L"\\" + name + L".bmp", bytes);
}

}  // namespace e2e
