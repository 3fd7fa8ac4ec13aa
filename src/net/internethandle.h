#pragma once
#include <windows.h>
#include <wininet.h>

// Owns one HINTERNET; closing a parent first would leave children dangling, so
// holders are declared parent-first and destroyed child-first.
class InternetHandle {
public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET handle) : m_handle(handle) {}
    ~InternetHandle() { Reset(); }
    InternetHandle(InternetHandle&& other) noexcept : m_handle(other.Release()) {}
    InternetHandle& operator=(InternetHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    HINTERNET Release()
    {
        HINTERNET h = m_handle;
        m_handle = nullptr;
        return h;
    }
    void Reset(HINTERNET handle = nullptr)
    {
        if (m_handle)
            InternetCloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HINTERNET m_handle = nullptr;
};
