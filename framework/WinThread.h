#pragma once
// A worker thread object: the thread calls InitInstance and, when it succeeds, Run,
// whose result becomes the exit code. The owner of an object that is not
// auto-deleted waits on GetThreadHandle() and then destroys it; the destructor
// closes the handle but never waits (destroying a running thread object is a bug).

#include "framework/Handles.h"

class CWinThread {
public:
    CWinThread() = default;
    virtual ~CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Starts the thread. False when the OS refuses; an auto-delete object is then
    // still owned by the caller.
    [[nodiscard]] bool CreateThread(bool suspended = false);

    // Per-thread set-up; false ends the thread with exit code 1 without calling Run.
    virtual bool InitInstance() { return true; }
    // The thread body; its result is the thread's exit code.
    virtual int Run() = 0;

    [[nodiscard]] HANDLE GetThreadHandle() const { return m_thread.get(); }
    // Waits until the thread has ended (at once when it never started). Meanwhile the
    // calling thread's windows still paint and answer sent messages, so a window that
    // waits for its worker is drawn and never hangs; input and posted messages stay
    // queued until the wait is over, so nothing can start a second operation under it.
    void WaitForEnd() const;
    DWORD ResumeThread() { return ::ResumeThread(m_thread.get()); }

    // When true the object deletes itself after Run returns (it must then live on the heap).
    bool m_bAutoDelete = false;

private:
    static unsigned __stdcall ThreadMain(void* self);

    UniqueHandle m_thread;
};
