#include "profilecheck.h"

bool IsStorableProfileValue(const std::wstring& value)
{
    for (wchar_t c : value) {
        if (c == L'\r' || c == L'\n' || c == L'\0')
            return false;
    }
    return true;
}

bool IsStorableSectionName(const std::wstring& section)
{
    return IsStorableProfileValue(section) && section.find(L']') == std::wstring::npos;
}
