#pragma once
#include <windows.h>

// Owns one file HANDLE; INVALID_HANDLE_VALUE means none, as CreateFileW reports it.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(FileHandle&& other) noexcept : m_handle(other.m_handle) { other.m_handle = INVALID_HANDLE_VALUE; }
    FileHandle& operator=(FileHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_handle = other.m_handle;
            other.m_handle = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    // Closes now and reports whether the close (which may flush) succeeded.
    bool Close()
    {
        bool ok = true;
        if (*this)
            ok = CloseHandle(m_handle) != FALSE;
        m_handle = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};
