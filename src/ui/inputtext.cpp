#include "ui/inputtext.h"

#include <regex>

std::wstring TrimSpaces(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos)
        return std::wstring();
    const size_t last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

bool IsMobileNumber(const std::string& gbk)
{
    static const std::regex pattern("^1(3\\d|47|5([0-3]|[5-9])|8(0|2|[5-9]))\\d{8}$", std::regex::ECMAScript);
    return std::regex_match(gbk, pattern);
}
