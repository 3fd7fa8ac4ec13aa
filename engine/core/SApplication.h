#pragma once
#include <windows.h>
#include <vector>

namespace SOUI {

// Sees every message of the loop that was running when it was added (not of modal loops
// nested in it) before it is dispatched; TRUE swallows it.
struct IMessageFilter {
    virtual BOOL PreTranslateMessage(MSG* msg) = 0;
    // A modal loop is starting in this thread, above the filter's own loop.
    virtual void OnModalLoopStart() {}

protected:
    ~IMessageFilter() = default;
};

// The UI thread's message loop, with the filters of each loop level. One per process, made at
// start-up (by SEngine) before any window and kept until the last one is gone.
class SApplication {
public:
    SApplication();
    ~SApplication();
    SApplication(const SApplication&) = delete;
    SApplication& operator=(const SApplication&) = delete;
    // nullptr only before start-up and after the end.
    static SApplication* getSingletonPtr();
    static SApplication& getSingleton() { return *getSingletonPtr(); }

    // Pumps messages until WM_QUIT (posted when an application window is destroyed); returns its code.
    int Run(HWND hMainWnd);
    // Pumps messages as the loop running now does (its filters see them) until done
    // becomes true or WM_QUIT arrives (which is posted again).
    void RunLoop(const bool& done);
    // The same for a modal window: the filters of the loops below are told first and do
    // not see its messages.
    void RunModalLoop(const bool& done);
    // 0 in Run, one more in each nested RunModalLoop.
    int GetModalDepth() const { return m_modalDepth; }
    void AddMessageFilter(IMessageFilter* f);
    void RemoveMessageFilter(IMessageFilter* f);

private:
    bool PumpOne(MSG& msg);  // false on WM_QUIT
    struct Filter {
        IMessageFilter* filter;
        int depth;  // the loop it serves
    };
    std::vector<Filter> m_filters;
    int m_modalDepth = 0;
};

}  // namespace SOUI
