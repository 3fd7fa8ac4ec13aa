#pragma once
#include <windows.h>

#include <utility>

// Owns one kernel handle (event, thread, mutex, file).
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE h) : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_h = std::exchange(other.m_h, nullptr);
        }
        return *this;
    }

    HANDLE Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void Reset(HANDLE h = nullptr)
    {
        if (m_h)
            CloseHandle(m_h);
        m_h = (h == INVALID_HANDLE_VALUE) ? nullptr : h;
    }

private:
    HANDLE m_h = nullptr;
};
