#include <gtest/gtest.h>

#include <atomic>

#include "shell/threadobject.h"

namespace {

// A body that counts its runs and waits until released (or stopped, if asked to).
class GateWorker : public CThreadObject {
public:
    explicit GateWorker(bool honourStop = true) : m_honourStop(honourStop) {}
    ~GateWorker() override { Stop(INFINITE); }

    KernelHandle gate{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<int> runs{0};
    std::atomic<bool> finished{false};

protected:
    DWORD Run() override
    {
        ++runs;
        HANDLE waits[] = {gate.Get(), StopSignal()};
        WaitForMultipleObjects(m_honourStop ? 2 : 1, waits, FALSE, INFINITE);
        Sleep(50);
        finished = true;
        return 7;
    }

private:
    bool m_honourStop;
};

class InstantWorker : public CThreadObject {
public:
    ~InstantWorker() override { Stop(INFINITE); }
    std::atomic<int> runs{0};

protected:
    DWORD Run() override
    {
        ++runs;
        return 0;
    }
};

}  // namespace

TEST(threadobject_start, runs_once_and_refuses_a_second_start_while_running)
{
    GateWorker w;
    EXPECT_FALSE(w.IsRunning());
    ASSERT_TRUE(w.Start());
    EXPECT_TRUE(w.IsRunning());
    EXPECT_FALSE(w.Start());
    SetEvent(w.gate.Get());
    w.Stop(INFINITE);
    EXPECT_EQ(w.runs, 1);
    EXPECT_FALSE(w.IsRunning());
}

// The body may be over before Start looks at the running signal.
TEST(threadobject_start, a_body_that_returns_at_once_does_not_hang_start)
{
    InstantWorker w;
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(w.Start()) << "round " << i;
        w.Stop(INFINITE);
    }
    EXPECT_EQ(w.runs, 50);
}

TEST(threadobject_stop, unlimited_stop_waits_for_the_body)
{
    GateWorker w(false);
    ASSERT_TRUE(w.Start());
    SetEvent(w.gate.Get());
    EXPECT_TRUE(w.Stop(INFINITE));
    EXPECT_TRUE(w.finished);
}

TEST(threadobject_stop, stop_signal_reaches_a_body_that_listens)
{
    GateWorker w(true);
    ASSERT_TRUE(w.Start());
    EXPECT_TRUE(w.Stop(INFINITE));
    EXPECT_TRUE(w.finished);
    EXPECT_FALSE(w.IsRunning());
    ResetEvent(w.gate.Get());
    ASSERT_TRUE(w.Start()) << "a stopped worker can start again";
    w.Stop(INFINITE);
    EXPECT_EQ(w.runs, 2);
}

TEST(threadobject_stop, a_body_past_the_limit_is_ended)
{
    GateWorker w(false);
    ASSERT_TRUE(w.Start());
    EXPECT_TRUE(w.Stop(100));
    EXPECT_FALSE(w.IsRunning());
    EXPECT_FALSE(w.finished);
}
