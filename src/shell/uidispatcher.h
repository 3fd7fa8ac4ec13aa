#pragma once
#include <windows.h>

#include <functional>
#include <memory>

// The one door from worker threads to the UI thread: work handed to Post runs later on
// the thread that made the dispatcher, inside its message loop (modal loops included).
// Copies share one hidden window; once the owner destroyed it, Post and Call do nothing
// and return false, so a worker that outlives the windows can still finish quietly.
class CUiDispatcher {
public:
    // Makes the hidden window on the calling thread, which becomes the UI thread.
    CUiDispatcher();
    // The last copy destroys the window; work still queued is dropped, not run.
    ~CUiDispatcher();
    CUiDispatcher(const CUiDispatcher&) = default;
    CUiDispatcher& operator=(const CUiDispatcher&) = default;

    bool Valid() const;
    // From any thread: queued, never run inside this call. False when it cannot be queued.
    bool Post(std::function<void()> work) const;
    // From a worker: runs the work on the UI thread and returns when it has run (the UI
    // may open a modal window inside it). False when the window is gone; then it did not run.
    // Never from the UI thread itself.
    bool Call(std::function<void()> work) const;
    // UI thread: destroys the window now; later Post and Call fail.
    void Close() const;

    struct Window;

private:
    std::shared_ptr<Window> m_window;
};
