#include "engine/core/CTime.h"
#include <cwchar>
#include "engine/core/SStringUtil.h"

namespace SOUI {

CTime CTime::GetCurrentTime()
{
    return CTime(time(nullptr));
}

std::wstring CTime::Format(const wchar_t* pattern) const
{
    if (!pattern || !*pattern)
        return {};
    struct tm local = {};
    if (localtime_s(&local, &m_time) != 0)
        return {};
    wchar_t buf[256];
    size_t n = wcsftime(buf, 256, pattern, &local);
    return std::wstring(buf, n);
}

std::wstring CTime::Format(const char* pattern) const
{
    return pattern ? Format(Utf8ToWide(pattern).c_str()) : std::wstring();
}

}  // namespace SOUI
