#pragma once
#include <windows.h>

namespace SOUI {

// Reference-counted engine object; the last Release deletes it inside the module that made it.
struct IObjRef {
    virtual long AddRef() = 0;
    virtual long Release() = 0;

protected:
    virtual ~IObjRef() = default;
};

// Implements the count for an interface T; objects start with one reference held by their maker.
template <class T> class TObjRefImpl : public T {
public:
    long AddRef() override { return InterlockedIncrement(&m_cRef); }
    long Release() override
    {
        long n = InterlockedDecrement(&m_cRef);
        if (n == 0)
            delete this;
        return n;
    }

protected:
    ~TObjRefImpl() override = default;

private:
    volatile LONG m_cRef = 1;
};

// Holds one reference; assignment from a raw pointer adds one, Attach takes one over.
template <class T> class SAutoRefPtr {
public:
    SAutoRefPtr() = default;
    SAutoRefPtr(T* p) : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    SAutoRefPtr(const SAutoRefPtr& o) : SAutoRefPtr(o.m_p) {}
    SAutoRefPtr(SAutoRefPtr&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
    ~SAutoRefPtr()
    {
        if (m_p)
            m_p->Release();
    }
    SAutoRefPtr& operator=(T* p)
    {
        if (p)
            p->AddRef();
        if (m_p)
            m_p->Release();
        m_p = p;
        return *this;
    }
    SAutoRefPtr& operator=(const SAutoRefPtr& o) { return *this = o.m_p; }
    SAutoRefPtr& operator=(SAutoRefPtr&& o) noexcept
    {
        if (this != &o) {
            if (m_p)
                m_p->Release();
            m_p = o.m_p;
            o.m_p = nullptr;
        }
        return *this;
    }
    void Attach(T* p)
    {
        if (m_p)
            m_p->Release();
        m_p = p;
    }
    T* Detach()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    operator T*() const { return m_p; }
    // For out-parameters that return a new reference; releases the current one first.
    T** Out()
    {
        Attach(nullptr);
        return &m_p;
    }

private:
    T* m_p = nullptr;
};

}  // namespace SOUI
