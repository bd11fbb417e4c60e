#include "cli/EngineListener.h"

#include "engine/EngineMessages.h"
#include "engine/ScanMessages.h"
#include "framework/Handles.h"

namespace {

constexpr wchar_t kClassName[] = L"VelmoraCliEngineListener";
constexpr UINT kWakeUp = WM_APP + 1;  // posted by RequestStop so a waiting pump looks at the flag

}  // namespace

EngineListener::EngineListener()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = &EngineListener::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassW(&wc);  // already registered by an earlier listener: harmless
    m_window = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

EngineListener::~EngineListener()
{
    Drain();  // frees the texts of messages still queued
    ::DestroyWindow(m_window);
}

void EngineListener::RequestStop()
{
    m_stopRequested = true;
    ::PostMessageW(m_window, kWakeUp, 0, 0);
}

void EngineListener::Drain()
{
    MSG msg;
    while (::PeekMessageW(&msg, m_window, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
}

bool EngineListener::PumpUntilEnded(HANDLE thread)
{
    if (!thread)
        return true;
    for (;;) {
        const DWORD wait = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLPOSTMESSAGE);
        Drain();
        if (wait == WAIT_OBJECT_0)
            break;
        if (wait != WAIT_OBJECT_0 + 1 || m_stopRequested)
            return false;
    }
    Drain();
    return true;
}

LRESULT CALLBACK EngineListener::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<EngineListener*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_SCAN_ITEM:
    case WM_REPAIR_ITEM:
        (void)TakeText(wParam);
        return 0;
    case WM_BACKUP_FOUND: {
        std::wstring path = TakeText(wParam);
        if (self)
            self->m_backups.push_back(std::move(path));
        return 0;
    }
    case WM_SCAN_FINISHED:
        if (self)
            self->m_scanFinished = true;
        return 0;
    case WM_REPAIR_FINISHED:
        if (self)
            self->m_repairFinished = true;
        return 0;
    case WM_SCAN_PROBLEM_FOUND:
    case WM_SCAN_SECTION_STARTED:
    case WM_SCAN_SECTION_DONE:
    case WM_REPAIR_STARTED:
    case WM_REPAIR_PROGRESS:
    case kWakeUp:
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}
