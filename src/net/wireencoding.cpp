#include "wireencoding.h"

#include <windows.h>

#include "net/textconv.h"

namespace {
const char kHex[] = "0123456789ABCDEF";

void AppendPercent(std::string& out, unsigned char byte)
{
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

std::string WideToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
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

std::string Utf8PercentEncode(const std::string& ansi)
{
    return Utf8PercentEncode(GbkToWide(ansi));
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
