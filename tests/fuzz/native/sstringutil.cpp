// The engine's string helpers that the attribute parsers use, for the native build
// (the engine's own file converts through windows.h). Same contracts as there.
#include "engine/core/SStringUtil.h"

#include <cwctype>

namespace SOUI {

std::wstring Utf8ToWide(const std::string& s)
{
    // Enough of UTF-8 for layout text: well-formed sequences decode, any other byte becomes U+FFFD.
    std::wstring out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        char32_t value = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
        bool ok = extra >= 0 && i + static_cast<size_t>(extra) < s.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            ok = (t & 0xC0) == 0x80;
            value = (value << 6) | (t & 0x3F);
        }
        if (!ok || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            out += wchar_t(0xFFFD);
            ++i;
            continue;
        }
        out += wchar_t(value);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::wstring ToLower(std::wstring s)
{
    for (auto& c : s) c = wchar_t(std::towlower(static_cast<wint_t>(c)));
    return s;
}

std::wstring Trim(const std::wstring& s)
{
    size_t b = s.find_first_not_of(L" \t\r\n");
    if (b == std::wstring::npos) return {};
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
        if (p == std::wstring::npos) break;
        start = p + 1;
    }
    return out;
}

} // namespace SOUI
