// Parameter values on the wire. Encoded values: only unreserved bytes, '+' and %XX,
// and decoding gives back the text's characters (U+FFFD for what is no character).
// Raw values: nothing that could end or add a parameter, and unescaping gives the bytes back.
#include "fuzzing.h"
#include "net/wireencoding.h"

namespace {
int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(const std::string& text, bool plusIsSpace)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            FUZZ_CHECK(i + 2 < text.size());
            const int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
            FUZZ_CHECK(hi >= 0 && lo >= 0);
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += plusIsSpace && text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

// Code points of well-formed UTF-8; the check fails on anything else.
std::u32string DecodeUtf8(const std::string& bytes)
{
    std::u32string out;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        FUZZ_CHECK(extra >= 0 && i + static_cast<size_t>(extra) < bytes.size());
        char32_t value = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char t = static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
            FUZZ_CHECK((t & 0xC0) == 0x80);
            value = (value << 6) | (t & 0x3F);
        }
        static const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        FUZZ_CHECK(value >= kLeast[extra] && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF));
        out += value;
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

// What the text's UTF-16 units (or UTF-32 values) stand for.
std::u32string CodePoints(const std::wstring& text)
{
    std::u32string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]) & (sizeof(wchar_t) == 2 ? 0xFFFF : 0xFFFFFFFF);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const char32_t low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out += 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
                continue;
            }
        }
        out += (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF ? char32_t(0xFFFD) : c;
    }
    return out;
}

bool Unreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == '~';
}

void CheckEncoded(const std::wstring& text)
{
    const std::string encoded = Utf8PercentEncode(text);
    for (char c : encoded)
        FUZZ_CHECK(Unreserved(c) || c == '+' || c == '%' || HexValue(c) >= 0);
    FUZZ_CHECK(DecodeUtf8(PercentDecode(encoded, true)) == CodePoints(text));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes = Bytes(data, size);

    CheckEncoded(Utf16Units(data, size));

    const std::string raw = EscapeRawValue(bytes);
    for (char c : raw) {
        const unsigned char u = static_cast<unsigned char>(c);
        FUZZ_CHECK(u >= 0x20 && u != 0x7F && c != '&' && c != '=' && c != '#' && c != '+');
    }
    FUZZ_CHECK(PercentDecode(raw, false) == bytes);
    return 0;
}
