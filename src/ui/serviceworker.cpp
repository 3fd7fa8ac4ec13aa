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
    bool threadDone = false;
    std::atomic<bool> leaving{false};
    CHttpTransport transport;
};

namespace {

void Serve(const std::shared_ptr<CServiceWorker::State>& state)
{
    for (;;) {
        CServiceWorker::Job job;
        {
            std::unique_lock<std::mutex> hold(state->lock);
            state->wake.wait(hold, [&] { return state->leaving || !state->jobs.empty(); });
            if (state->leaving)
                break;
            job = std::move(state->jobs.front());
            state->jobs.pop_front();
            state->running = 1;
        }
        if (job)
            job(state->transport);
        std::lock_guard<std::mutex> hold(state->lock);
        state->running = 0;
    }
    std::lock_guard<std::mutex> hold(state->lock);
    state->running = 0;
    state->threadDone = true;
    state->ended.notify_all();
}

}  // namespace

CServiceWorker::CServiceWorker() : m_state(std::make_shared<State>())
{
    try {
        // The thread holds the state: it may outlive this object at shutdown.
        std::thread([state = m_state] { Serve(state); }).detach();
    } catch (...) {
        m_state->threadDone = true;
        m_state->leaving = true;
    }
}

CServiceWorker::~CServiceWorker()
{
    Shutdown(300);
}

bool CServiceWorker::Submit(Job job)
{
    std::lock_guard<std::mutex> hold(m_state->lock);
    if (m_state->leaving || m_state->threadDone)
        return false;
    m_state->jobs.push_back(std::move(job));
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
    m_state->ended.wait_for(hold, std::chrono::milliseconds(waitMs), [&] { return m_state->threadDone; });
}
