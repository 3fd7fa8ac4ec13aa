// The engine converts UTF-8 with MultiByteToWideChar, which the native build lacks:
// well-formed sequences decode, any other byte becomes U+FFFD, as there.
#include "engine/core/SStringUtil.h"

namespace SOUI {

std::wstring Utf8ToWide(const std::string& s)
{
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

} // namespace SOUI
