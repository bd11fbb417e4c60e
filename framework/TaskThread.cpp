#include "framework/TaskThread.h"

#include <utility>

CTaskThread::CTaskThread(HWND notify, UINT doneMessage, Task task)
    : m_notify(notify), m_doneMessage(doneMessage), m_task(std::move(task))
{
}

void CTaskThread::AbandonAndWait()
{
    m_abandoned = true;
    WaitForEnd();
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

bool CWindowTask::Start(HWND notify, UINT doneMessage, CTaskThread::Task task)
{
    Abandon();
    m_thread = std::make_unique<CTaskThread>(notify, doneMessage, std::move(task));
    if (m_thread->Start())
        return true;
    m_thread.reset();
    return false;
}

void CWindowTask::Finish()
{
    if (!m_thread)
        return;
    m_thread->WaitForEnd();
    m_thread.reset();
}

void CWindowTask::Abandon()
{
    if (!m_thread)
        return;
    m_thread->AbandonAndWait();
    m_thread.reset();
}
