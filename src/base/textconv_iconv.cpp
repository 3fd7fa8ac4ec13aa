// The code pages where there is no Windows (the native build of the parsing core):
// iconv's CP936, which also stands in for the ANSI code page of a Chinese Windows.
#include "base/textconv.h"

#include <iconv.h>

#include <cerrno>

namespace {
constexpr wchar_t kReplacement = 0xFFFD;

class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// Decodes as much as converts; a byte that starts no character becomes U+FFFD and
// is skipped, as MultiByteToWideChar does without MB_ERR_INVALID_CHARS.
std::wstring DecodeGbk(const char* data, size_t size)
{
    std::wstring out;
    if (size == 0)
        return out;
    Converter cv("WCHAR_T", "CP936");
    if (!cv.Ok())
        return out;
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    wchar_t buffer[256];
    while (inLeft > 0) {
        char* to = reinterpret_cast<char*>(buffer);
        size_t toLeft = sizeof buffer;
        const size_t r = iconv(cv.Get(), &in, &inLeft, &to, &toLeft);
        out.append(buffer, (sizeof buffer - toLeft) / sizeof(wchar_t));
        if (r != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // EILSEQ, or EINVAL for a lead byte cut off at the end.
        out += kReplacement;
        ++in;
        --inLeft;
        iconv(cv.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}
}  // namespace

std::string WideToGbk(const std::wstring& text)
{
    std::string out;
    if (text.empty())
        return out;
    Converter cv("CP936", "WCHAR_T");
    if (!cv.Ok())
        return out;
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(text.data()));
    size_t inLeft = text.size() * sizeof(wchar_t);
    char buffer[1024];
    while (inLeft > 0) {
        char* to = buffer;
        size_t toLeft = sizeof buffer;
        const size_t r = iconv(cv.Get(), &in, &inLeft, &to, &toLeft);
        out.append(buffer, sizeof buffer - toLeft);
        if (r != static_cast<size_t>(-1))
            break;
        if (errno != E2BIG)
            return {};  // a character CP936 cannot hold: nothing rather than the wrong text
    }
    return out;
}

std::wstring GbkToWide(const std::string& text)
{
    return DecodeGbk(text.data(), text.size());
}

std::wstring GbkToWide(const char* data, size_t size)
{
    return DecodeGbk(data, size);
}

std::string WideToAnsi(const std::wstring& text)
{
    return WideToGbk(text);
}

std::wstring AnsiToWide(const std::string& text)
{
    return DecodeGbk(text.data(), text.size());
}
