#include "framework/TaskThread.h"

#include <utility>

CTaskThread::CTaskThread(HWND notify, UINT doneMessage, Task task)
    : m_notify(notify), m_doneMessage(doneMessage), m_task(std::move(task))
{
}

int CTaskThread::Run()
{
    m_task(m_abandoned);
    // The owner waits for the thread before its window goes, so an abandoned task never
    // posts to a window that is gone.
    if (!m_abandoned)
        ::PostMessageW(m_notify, m_doneMessage, 0, 0);
    return 0;
}
