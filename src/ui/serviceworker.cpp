#include "ui/serviceworker.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "net/httptransport.h"

struct CServiceWorker::State {
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable ended;
    std::deque<Job> jobs;
    std::size_t running = 0;
    // A thread serves the jobs now; none while the worker is idle or after shutdown.
    bool threadAlive = false;
    std::atomic<bool> leaving{false};
    std::chrono::milliseconds idleEnd{10000};
    CHttpTransport transport;
};

namespace {

void Serve(const std::shared_ptr<CServiceWorker::State>& state)
{
    std::unique_lock<std::mutex> hold(state->lock);
    for (;;) {
        if (!state->wake.wait_for(hold, state->idleEnd, [&] { return state->leaving || !state->jobs.empty(); }) ||
            state->leaving)
            break;
        CServiceWorker::Job job = std::move(state->jobs.front());
        state->jobs.pop_front();
        state->running = 1;
        hold.unlock();
        if (job)
            job(state->transport);
        // The job's captures go before the lock is taken: their destructors may post.
        job = nullptr;
        hold.lock();
        state->running = 0;
    }
    state->threadAlive = false;
    state->ended.notify_all();
}

// With the state's lock held: a thread for the queued jobs unless one serves them.
bool EnsureThread(const std::shared_ptr<CServiceWorker::State>& state)
{
    if (state->threadAlive)
        return true;
    try {
        // The thread holds the state: it may outlive the worker at shutdown.
        std::thread([state] { Serve(state); }).detach();
    } catch (...) {
        return false;
    }
    state->threadAlive = true;
    return true;
}

}  // namespace

// An idle worker ends its thread, and the next job starts another: under Wine an idle thread
// keeps about 1 MB resident, and most workers are idle most of the day.
CServiceWorker::CServiceWorker(DWORD idleEndMs) : m_state(std::make_shared<State>())
{
    m_state->idleEnd = std::chrono::milliseconds(idleEndMs);
}

CServiceWorker::~CServiceWorker()
{
    Shutdown(300);
}

bool CServiceWorker::Submit(Job job)
{
    std::lock_guard<std::mutex> hold(m_state->lock);
    if (m_state->leaving)
        return false;
    m_state->jobs.push_back(std::move(job));
    if (!EnsureThread(m_state)) {
        m_state->jobs.pop_back();
        return false;
    }
    m_state->wake.notify_one();
    return true;
}

std::size_t CServiceWorker::Pending() const
{
    std::lock_guard<std::mutex> hold(m_state->lock);
    return m_state->jobs.size() + m_state->running;
}

bool CServiceWorker::Leaving() const
{
    return m_state->leaving;
}

void CServiceWorker::Shutdown(DWORD waitMs)
{
    std::deque<Job> dropped;
    {
        std::lock_guard<std::mutex> hold(m_state->lock);
        m_state->leaving = true;
        dropped.swap(m_state->jobs);
        m_state->wake.notify_all();
    }
    // Closing the request's handle ends a blocking call that waits on a silent service.
    m_state->transport.Cancel();
    std::unique_lock<std::mutex> hold(m_state->lock);
    m_state->ended.wait_for(hold, std::chrono::milliseconds(waitMs), [&] { return !m_state->threadAlive; });
}
