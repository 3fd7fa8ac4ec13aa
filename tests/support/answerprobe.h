#pragma once
#include <windows.h>

#include <atomic>
#include <thread>

#include "msclock.h"

// How long a window keeps a WM_NULL waiting, sent every 10 ms from a thread of ours: the
// longest wait, the number of probes, and how many waited longer than `stallMs`.
class AnswerProbe {
public:
    explicit AnswerProbe(HWND wnd, double stallMs = 50) : m_wnd(wnd), m_stallMs(stallMs), m_thread([this] { Run(); }) {}
    ~AnswerProbe() { Stop(); }
    AnswerProbe(const AnswerProbe&) = delete;
    AnswerProbe& operator=(const AnswerProbe&) = delete;

    // Ends the probe; the longest wait in ms.
    double Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_longest;
    }
    int Probes() const { return m_probes; }
    int Stalls() const { return m_stalls; }

private:
    void Run()
    {
        while (!m_stop) {
            DWORD_PTR ignored = 0;
            const double start = NowMs();
            const bool answered = SendMessageTimeoutW(m_wnd, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored) != 0;
            const double took = NowMs() - start;
            // A window that is gone answers nothing, at once: that is no stall.
            if (!answered && !IsWindow(m_wnd))
                break;
            ++m_probes;
            m_stalls += took > m_stallMs;
            if (took > m_longest)
                m_longest = took;
            Sleep(10);
        }
    }

    HWND m_wnd;
    double m_stallMs;
    std::atomic<bool> m_stop{false};
    double m_longest = 0;
    int m_probes = 0, m_stalls = 0;
    std::thread m_thread;
};
