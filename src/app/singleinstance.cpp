#include "app/singleinstance.h"

SingleInstance::SingleInstance(const wchar_t* name)
{
    m_mutex = CreateMutexW(nullptr, FALSE, name);
    DWORD error = GetLastError();
    m_first = m_mutex != nullptr && error != ERROR_ALREADY_EXISTS;
    if (!m_first && m_mutex) {
        CloseHandle(m_mutex);
        m_mutex = nullptr;
    }
}

SingleInstance::~SingleInstance()
{
    if (m_mutex)
        CloseHandle(m_mutex);
}
