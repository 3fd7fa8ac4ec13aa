#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <set>
#include <string>

// Answers the modal windows ("#32770": message boxes, the save dialog) that code under
// test opens on this thread, from inside their own message loops: a thread timer looks
// for the next enabled one and hands it to the next queued answer. Without an answer
// queued, a box is closed with IDCANCEL and counted as unexpected, so no test can hang.
class ModalAnswers {
public:
    using Answer = std::function<void(HWND box)>;

    ModalAnswers();
    ~ModalAnswers();
    ModalAnswers(const ModalAnswers&) = delete;
    ModalAnswers& operator=(const ModalAnswers&) = delete;

    void Add(Answer answer) { m_answers.push_back(std::move(answer)); }
    // Runs `step` once from this thread's message loop (whichever modal loop runs then)
    // after `ms`; how tests act inside DoModal. A step still pending when the holder
    // goes never runs, so it cannot reach into a finished case.
    void Later(std::function<void()> step, UINT ms = 50);
    size_t Pending() const { return m_answers.size(); }
    int Unexpected() const { return m_unexpected; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    UINT_PTR m_timer = 0;
    std::set<UINT_PTR> m_steps;
    std::deque<Answer> m_answers;
    std::set<HWND> m_answered;
    int m_unexpected = 0;
};

// What a message box said.
struct BoxSeen {
    std::wstring caption;
    std::wstring text;
};

// Records the box's caption and text into *seen, then presses the button `id`.
ModalAnswers::Answer PressButton(int id, BoxSeen* seen = nullptr);

// Notes the name the save dialog offers in *offered, types `path` into its file name box
// and presses Save; with an empty path it presses Cancel instead.
ModalAnswers::Answer SaveAs(const std::wstring& path, std::wstring* offered = nullptr);

// Pumps this thread's messages until `done` holds or `ms` have passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD ms);
