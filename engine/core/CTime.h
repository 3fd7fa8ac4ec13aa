#pragma once
#include <windows.h>
#include <ctime>
#include <string>

// winbase.h maps GetCurrentTime() to GetTickCount().
#ifdef GetCurrentTime
#undef GetCurrentTime
#endif

namespace SOUI {

// A point in time, formatted in local time like strftime.
class CTime {
public:
    CTime() = default;
    explicit CTime(time_t t) : m_time(t) {}
    static CTime GetCurrentTime();
    time_t GetTime() const { return m_time; }
    // "%H:%M:%S" and the other strftime fields; empty when the time cannot be converted.
    std::wstring Format(const wchar_t* pattern) const;
    std::wstring Format(const char* pattern) const;

private:
    time_t m_time = 0;
};

}  // namespace SOUI
