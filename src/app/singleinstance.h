#pragma once
#include <windows.h>

// Holds the named mutex that keeps a second copy of the program from starting.
// The mutex is held until the holder goes, i.e. for the life of the process.
class SingleInstance {
public:
    explicit SingleInstance(const wchar_t* name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another process holds the name, or the mutex could not be made.
    bool IsFirst() const { return m_first; }

private:
    HANDLE m_mutex = nullptr;
    bool m_first = false;
};
