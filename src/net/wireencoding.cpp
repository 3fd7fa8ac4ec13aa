#include "wireencoding.h"

#include "net/textconv.h"

namespace {
const char kHex[] = "0123456789ABCDEF";

void AppendPercent(std::string& out, unsigned char byte)
{
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

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

// UTF-16 (or UTF-32 where wchar_t is 32 bits) to UTF-8. What is no character (a
// lone surrogate, a value past U+10FFFF) becomes U+FFFD, as the platform's
// conversion does.
std::string WideToUtf8(const std::wstring& text)
{
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (sizeof(wchar_t) == 2)
            c &= 0xFFFF;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const char32_t low = static_cast<char32_t>(text[i + 1]) & (sizeof(wchar_t) == 2 ? 0xFFFF : 0xFFFFFFFF);
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

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == '~';
}
}  // namespace

std::string Utf8PercentEncode(const std::wstring& text)
{
    std::string out;
    for (char ch : WideToUtf8(text)) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c))
            out += ch;
        else if (c == ' ')
            out += '+';
        else
            AppendPercent(out, c);
    }
    return out;
}

std::string EscapeRawValue(const std::string& raw)
{
    std::string out;
    out.reserve(raw.size());
    for (char ch : raw) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || c == '&' || c == '=' || c == '#' || c == '%' || c == '+')
            AppendPercent(out, c);
        else
            out += ch;
    }
    return out;
}

std::string EscapeRawValue(const std::wstring& text)
{
    return EscapeRawValue(WideToGbk(text));
}
