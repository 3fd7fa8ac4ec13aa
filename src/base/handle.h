#pragma once
#include <windows.h>

#include <utility>

// Owns one handle of a kind: move-only, closed once, by the closer of its kind. Some
// closers live apart: WinINet's, whose header clashes with WinHTTP's (internethandle.h),
// and those whose functions are found at run time (WinHTTP, CNG, crypt32's timestamp
// objects), beside their only user.
// A Closer gives the handle type, the value that means none, which values are live
// and how one is closed (true when the close succeeded):
//   struct Closer { using Type = ...; static Type None(); static bool Valid(Type); static bool Close(Type); };
template <class Closer> class UniqueHandle {
public:
    using Type = typename Closer::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : m_handle(handle) {}
    ~UniqueHandle() { Close(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Type Get() const { return m_handle; }
    explicit operator bool() const { return Closer::Valid(m_handle); }

    // Gives the handle up without closing it.
    Type Release() { return std::exchange(m_handle, Closer::None()); }
    // Closes the one held and takes `handle`.
    void Reset(Type handle = Closer::None())
    {
        Close();
        m_handle = handle;
    }
    // Closes now; false when the close failed (closing a file is where a delayed write can fail).
    bool Close()
    {
        const Type handle = Release();
        return Closer::Valid(handle) ? Closer::Close(handle) : true;
    }
    // For a function that hands a new handle out through a pointer; the old one is closed first.
    Type* Out()
    {
        Close();
        return &m_handle;
    }

private:
    Type m_handle = Closer::None();
};

namespace handle_closers {

// Kernel objects: files, events, threads, processes, mutexes, mappings, snapshots.
// Functions report failure as null or as INVALID_HANDLE_VALUE, depending on the function.
struct Kernel {
    using Type = HANDLE;
    static Type None() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static bool Close(Type h) { return CloseHandle(h) != FALSE; }
};

struct Find {
    using Type = HANDLE;
    static Type None() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static bool Close(Type h) { return FindClose(h) != FALSE; }
};

// The kinds where null means none; `close` says whether the close worked.
template <class T, bool (*close)(T)> struct NullIsNone {
    using Type = T;
    static Type None() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return close(h); }
};

inline bool CloseKey(HKEY h)
{
    return RegCloseKey(h) == ERROR_SUCCESS;
}
inline bool CloseLibrary(HMODULE h)
{
    return FreeLibrary(h) != FALSE;
}
inline bool CloseView(void* h)
{
    return UnmapViewOfFile(h) != FALSE;
}
// Memory the system allocated for the caller with LocalAlloc (CommandLineToArgvW,
// CRYPT_ENCODE_ALLOC_FLAG).
inline bool CloseLocal(void* h)
{
    return LocalFree(h) == nullptr;
}

}  // namespace handle_closers

using KernelHandle = UniqueHandle<handle_closers::Kernel>;
using FindHandle = UniqueHandle<handle_closers::Find>;
using RegistryKey = UniqueHandle<handle_closers::NullIsNone<HKEY, handle_closers::CloseKey>>;
using LibraryHandle = UniqueHandle<handle_closers::NullIsNone<HMODULE, handle_closers::CloseLibrary>>;
using MappedView = UniqueHandle<handle_closers::NullIsNone<void*, handle_closers::CloseView>>;
using LocalMemory = UniqueHandle<handle_closers::NullIsNone<void*, handle_closers::CloseLocal>>;
