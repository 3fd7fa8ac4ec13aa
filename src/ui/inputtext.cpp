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

bool IsMobileNumber(const std::wstring& text)
{
    // [0-9], not \d: a wide \d may take full-width or other scripts' digits as well.
    static const std::wregex pattern(L"^1(3[0-9]|47|5([0-3]|[5-9])|8(0|2|[5-9]))[0-9]{8}$", std::regex::ECMAScript);
    return std::regex_match(text, pattern);
}
