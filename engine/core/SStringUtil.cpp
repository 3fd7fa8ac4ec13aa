#include "engine/core/SStringUtil.h"
#include <windows.h>

namespace SOUI {

bool EqualNoCase(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() && _wcsicmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace SOUI
