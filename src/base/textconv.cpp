// The UTF-8 conversions, the same on every platform (no code page behind them).
#include "base/textconv.h"

namespace {
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendWide(std::wstring& out, char32_t c)
{
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
        out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}
}  // namespace

// UTF-16 units where wchar_t has 16 bits; UTF-32 values (surrogates still paired, as a
// UTF-16 text copied unit by unit holds them) where it has 32.
std::string WideToUtf8(const std::wstring& text)
{
    constexpr char32_t kUnit = sizeof(wchar_t) == 2 ? 0xFFFF : 0xFFFFFFFF;
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]) & kUnit;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const char32_t low = static_cast<char32_t>(text[i + 1]) & kUnit;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            c = kReplacement;
        AppendUtf8(out, c);
    }
    return out;
}

std::wstring Utf8ToWide(const std::string& text)
{
    static const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        bool ok = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
        char32_t value = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char t = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            ok = (t & 0xC0) == 0x80;
            value = (value << 6) | (t & 0x3F);
        }
        if (!ok || value < kLeast[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            out += static_cast<wchar_t>(kReplacement);
            ++i;
            continue;
        }
        AppendWide(out, value);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}
