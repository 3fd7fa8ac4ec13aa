#include "wireencoding.h"

#include "base/textconv.h"

namespace {
const char kHex[] = "0123456789ABCDEF";

void AppendPercent(std::string& out, unsigned char byte)
{
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
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
