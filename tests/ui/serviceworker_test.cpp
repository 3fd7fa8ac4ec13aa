#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "ui/serviceworker.h"

namespace {

// Runs one job and answers the id of the thread that ran it; 0 when it did not run.
DWORD RunOne(CServiceWorker& worker)
{
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> ranOn{0};
    const bool queued = worker.Submit([&](CHttpTransport&) {
        ranOn = GetCurrentThreadId();
        SetEvent(done);
    });
    const bool ran = queued && WaitForSingleObject(done, 5000) == WAIT_OBJECT_0;
    CloseHandle(done);
    return ran ? ranOn.load() : 0;
}

bool ThreadEnds(DWORD id, DWORD ms)
{
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
    if (!thread)
        return true;  // already gone
    const bool ended = WaitForSingleObject(thread, ms) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended;
}

}  // namespace

// An idle worker gives its thread back and starts another for the next job; jobs close
// together share one thread; after shutdown nothing is taken.
TEST(service_worker, idle_thread_ends_and_the_next_job_starts_another)
{
    CServiceWorker worker(100);
    const DWORD first = RunOne(worker);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(RunOne(worker), first) << "a job right after another waited for a new thread";
    EXPECT_TRUE(ThreadEnds(first, 5000)) << "the idle thread stayed";
    const DWORD second = RunOne(worker);
    EXPECT_NE(second, 0u) << "the job after an idle spell did not run";
    EXPECT_NE(second, GetCurrentThreadId());

    worker.Shutdown(1000);
    EXPECT_TRUE(ThreadEnds(second, 1000));
    EXPECT_FALSE(worker.Submit([](CHttpTransport&) {}));
}
