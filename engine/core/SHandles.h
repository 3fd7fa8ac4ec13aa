#pragma once
#include <windows.h>

namespace SOUI {

// Owns one GDI object (font, brush, bitmap, pen); deleted with DeleteObject.
template <class H> class SGdiObject {
public:
    SGdiObject() = default;
    explicit SGdiObject(H h) : m_h(h) {}
    ~SGdiObject() { reset(); }
    SGdiObject(const SGdiObject&) = delete;
    SGdiObject& operator=(const SGdiObject&) = delete;
    SGdiObject(SGdiObject&& o) noexcept : m_h(o.m_h) { o.m_h = nullptr; }
    SGdiObject& operator=(SGdiObject&& o) noexcept
    {
        if (this != &o) {
            reset(o.m_h);
            o.m_h = nullptr;
        }
        return *this;
    }
    void reset(H h = nullptr)
    {
        if (m_h)
            DeleteObject(m_h);
        m_h = h;
    }
    H get() const { return m_h; }

private:
    H m_h = nullptr;
};

// A window DC taken with GetDC and given back with ReleaseDC.
class SWindowDC {
public:
    explicit SWindowDC(HWND hwnd) : m_hwnd(hwnd), m_hdc(GetDC(hwnd)) {}
    ~SWindowDC()
    {
        if (m_hdc)
            ReleaseDC(m_hwnd, m_hdc);
    }
    SWindowDC(const SWindowDC&) = delete;
    SWindowDC& operator=(const SWindowDC&) = delete;
    HDC get() const { return m_hdc; }

private:
    HWND m_hwnd;
    HDC m_hdc;
};

// A memory DC from CreateCompatibleDC, deleted with DeleteDC. Whatever was selected into it
// must be out again before then (SSelectObject in an inner scope).
class SMemoryDC {
public:
    explicit SMemoryDC(HDC compatible) : m_hdc(CreateCompatibleDC(compatible)) {}
    ~SMemoryDC()
    {
        if (m_hdc)
            DeleteDC(m_hdc);
    }
    SMemoryDC(const SMemoryDC&) = delete;
    SMemoryDC& operator=(const SMemoryDC&) = delete;
    HDC get() const { return m_hdc; }

private:
    HDC m_hdc;
};

// Puts an object into a DC for a scope.
class SSelectObject {
public:
    SSelectObject(HDC hdc, HGDIOBJ obj) : m_hdc(hdc), m_old(obj ? SelectObject(hdc, obj) : nullptr) {}
    ~SSelectObject()
    {
        if (m_old)
            SelectObject(m_hdc, m_old);
    }
    SSelectObject(const SSelectObject&) = delete;
    SSelectObject& operator=(const SSelectObject&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_old;
};

// Owns a menu; DestroyMenu on release.
class SMenuHandle {
public:
    SMenuHandle() = default;
    explicit SMenuHandle(HMENU h) : m_h(h) {}
    ~SMenuHandle() { reset(); }
    SMenuHandle(const SMenuHandle&) = delete;
    SMenuHandle& operator=(const SMenuHandle&) = delete;
    void reset(HMENU h = nullptr)
    {
        if (m_h)
            DestroyMenu(m_h);
        m_h = h;
    }
    HMENU get() const { return m_h; }
    HMENU release()
    {
        HMENU h = m_h;
        m_h = nullptr;
        return h;
    }

private:
    HMENU m_h = nullptr;
};

}  // namespace SOUI
