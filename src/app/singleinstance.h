#pragma once
#include <windows.h>

#include "base/handle.h"

// Holds the named mutex that keeps a second copy of the program from starting.
// The mutex is held until the holder goes, i.e. for the life of the process.
// The first copy also publishes its current window under the same name, so that a
// second copy can ask exactly that window to show itself (no window search).
class CSingleInstance {
public:
    explicit CSingleInstance(const wchar_t* name);
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // False when another process holds the name, or the mutex could not be made.
    bool IsFirst() const { return m_first; }

    // First copy only: the window a second copy's request goes to from now on.
    void Publish(HWND window);

    // Second copy only: posts `message` to the running copy's published window, after
    // letting that copy take the foreground. False when no window of a process running
    // this very executable was published (still starting, or a stranger holds the name).
    bool AskFirstToShow(UINT message) const;

private:
    struct Shared;
    KernelHandle m_mutex;
    KernelHandle m_mapping;
    MappedView m_view;
    Shared* m_shared = nullptr;
    bool m_first = false;
};
