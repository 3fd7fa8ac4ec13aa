#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>

class CHttpTransport;

// One worker thread with a transport of its own that runs the jobs handed to it one after
// the other, in order; the thread starts with the first job and ends after a while idle. The UI thread hands jobs in and never waits for them; a job sends
// its result back through the UI dispatcher it captured. Every service call of the windows
// runs on one of these (see docs/ARCHITECTURE.md for which does what).
class CServiceWorker {
public:
    using Job = std::function<void(CHttpTransport& transport)>;

    // `idleEnd`: how long the thread waits for a job before it ends.
    explicit CServiceWorker(DWORD idleEndMs = 10000);
    // Shutdown with a short wait.
    ~CServiceWorker();
    CServiceWorker(const CServiceWorker&) = delete;
    CServiceWorker& operator=(const CServiceWorker&) = delete;

    // Queued behind the jobs before it; false once shut down or when no thread could start.
    // Starting a thread is the only wait it may cost the caller (about a millisecond).
    bool Submit(Job job);
    // Jobs queued or running.
    std::size_t Pending() const;
    // Drops what is queued, cancels the request that runs (its handle closed) and waits up
    // to waitMs for the thread. A thread still busy after that ends on its own later; it
    // holds what it uses.
    void Shutdown(DWORD waitMs);
    // True from Shutdown on: a job checks it before a step it cannot take back (a write into
    // the invoicing program, a request that changes something).
    bool Leaving() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};
