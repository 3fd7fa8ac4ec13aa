#include "engine/core/SStringFields.h"
#include <cwctype>

namespace SOUI {

std::wstring ToLower(std::wstring s)
{
    for (auto& c : s)
        c = wchar_t(std::towlower(static_cast<std::wint_t>(c)));
    return s;
}

std::wstring Trim(const std::wstring& s)
{
    size_t b = s.find_first_not_of(L" \t\r\n");
    if (b == std::wstring::npos)
        return {};
    size_t e = s.find_last_not_of(L" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::vector<std::wstring> Split(const std::wstring& s, wchar_t sep)
{
    std::vector<std::wstring> out;
    size_t start = 0;
    for (;;) {
        size_t p = s.find(sep, start);
        out.push_back(s.substr(start, p == std::wstring::npos ? std::wstring::npos : p - start));
        if (p == std::wstring::npos)
            break;
        start = p + 1;
    }
    return out;
}

}  // namespace SOUI
