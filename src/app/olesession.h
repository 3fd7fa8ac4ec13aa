#pragma once
#include <ole2.h>

// OLE for the UI thread, from construction to destruction.
class OleSession {
public:
    OleSession() : m_ok(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleSession()
    {
        if (m_ok)
            OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

    bool Ok() const { return m_ok; }

private:
    bool m_ok;
};
