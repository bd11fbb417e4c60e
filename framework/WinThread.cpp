#include "framework/WinThread.h"

#include <process.h>

bool CWinThread::CreateThread(bool suspended)
{
    // Always start suspended so the handle is stored before the body can run (and
    // an auto-delete object can delete itself).
    const auto handle = ::_beginthreadex(nullptr, 0, &CWinThread::ThreadMain, this, CREATE_SUSPENDED, nullptr);
    if (handle == 0)
        return false;
    m_thread.reset(reinterpret_cast<HANDLE>(handle));
    if (!suspended)
        ::ResumeThread(m_thread.get());
    return true;
}

unsigned __stdcall CWinThread::ThreadMain(void* self)
{
    auto* thread = static_cast<CWinThread*>(self);
    int exitCode = 1;
    if (thread->InitInstance())
        exitCode = thread->Run();
    if (thread->m_bAutoDelete)
        delete thread;  // the framework owns auto-delete objects from here on
    return static_cast<unsigned>(exitCode);
}

void CWinThread::WaitForEnd() const
{
    const HANDLE thread = m_thread.get();
    if (!thread)
        return;
    // A window that never validates its paint would keep a loop of WM_PAINT going; a
    // bounded batch lets the wait resume instead.
    constexpr int kPaintBatch = 64;
    while (::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        for (int painted = 0;
             painted < kPaintBatch && ::PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++painted)
            ::DispatchMessageW(&message);
    }
}
