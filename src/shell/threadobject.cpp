#include "threadobject.h"

CThreadObject::CThreadObject()
    : m_running(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{}

CThreadObject::~CThreadObject()
{
    Stop(1000);
}

bool CThreadObject::IsRunning() const
{
    return WaitForSingleObject(m_running.Get(), 0) == WAIT_OBJECT_0;
}

DWORD WINAPI CThreadObject::Entry(LPVOID param)
{
    auto* self = static_cast<CThreadObject*>(param);
    // Stop first: cleared after the running signal, a Stop that follows Start at
    // once could be wiped out.
    ResetEvent(self->m_stop.Get());
    SetEvent(self->m_running.Get());
    DWORD result = self->Run();
    ResetEvent(self->m_running.Get());
    return result;
}

bool CThreadObject::Start()
{
    if (IsRunning() || !m_running || !m_stop)
        return false;
    // An earlier run's body has returned; its thread is at most a few instructions
    // from its end.
    if (m_thread) {
        WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Reset();
    }
    m_thread.Reset(CreateThread(nullptr, 0, &CThreadObject::Entry, this, 0, nullptr));
    if (!m_thread)
        return false;
    // Waiting on the thread too: a body that returns at once clears the running
    // signal again before we look, and the wait would never end.
    HANDLE waits[] = {m_running.Get(), m_thread.Get()};
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    return true;
}

bool CThreadObject::Stop(DWORD timeoutMs)
{
    if (!m_thread)
        return true;
    SetEvent(m_stop.Get());
    if (WaitForSingleObject(m_thread.Get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateThread(m_thread.Get(), static_cast<DWORD>(-1));
        WaitForSingleObject(m_thread.Get(), INFINITE);
        ResetEvent(m_running.Get());
    }
    m_thread.Reset();
    return true;
}
