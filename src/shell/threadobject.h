#pragma once
#include <windows.h>

#include "base/handle.h"

// A worker thread with a running signal and a stop signal. Subclasses put the
// work in Run; its result becomes the thread's exit code.
class CThreadObject {
public:
    CThreadObject();
    // Subclasses must call Stop in their own destructor: by the time this one
    // runs, their part of the object is gone while the thread may still use it.
    virtual ~CThreadObject();
    CThreadObject(const CThreadObject&) = delete;
    CThreadObject& operator=(const CThreadObject&) = delete;

    // False when already running or the thread cannot be created; otherwise
    // returns once the body has started (or already finished).
    bool Start();

    // Signals stop and waits up to timeoutMs for the thread; a thread that
    // outlives the wait is ended forcibly. Always true.
    bool Stop(DWORD timeoutMs = INFINITE);

    bool IsRunning() const;

protected:
    virtual DWORD Run() = 0;

    // Set by Stop; a body may test it to finish early.
    HANDLE StopSignal() const { return m_stop.Get(); }

private:
    static DWORD WINAPI Entry(LPVOID self);

    KernelHandle m_running;
    KernelHandle m_stop;
    KernelHandle m_thread;
};
