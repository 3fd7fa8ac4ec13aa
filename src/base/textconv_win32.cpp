// The code pages through the platform.
#include "base/textconv.h"

#include <windows.h>

#include <cstdio>

#include "base/log.h"

namespace {
constexpr UINT kGbk = 936;

std::wstring ToWide(UINT codePage, const char* data, size_t size)
{
    if (size == 0)
        return {};
    // Most texts fit: one conversion and one exact allocation instead of two of each.
    // A byte never becomes more than one UTF-16 unit in a multi-byte code page.
    wchar_t small[256];
    if (size <= sizeof small / sizeof small[0]) {
        const int n = MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), small, static_cast<int>(size));
        return n > 0 ? std::wstring(small, static_cast<size_t>(n)) : std::wstring();
    }
    int n = MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), out.data(), n);
    return out;
}

// Empty when a character has no exact form in the code page.
std::string FromWide(UINT codePage, const std::wstring& text)
{
    std::string out;
    if (text.empty())
        return out;
    // No best-fit: a character without an exact form must fail, not turn into '?' or a look-alike.
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return out;
    out.resize(static_cast<size_t>(n));
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, &usedDefault);
    if (usedDefault)
        out.clear();
    return out;
}
}  // namespace

std::string WideToGbk(const std::wstring& text)
{
    const bool trace = StdoutTraceWanted();
    if (trace)
        std::printf("ws.size():%zu\n", text.size());
    std::string out = FromWide(kGbk, text);
    if (trace) {
        std::printf("convertedChars:%zu\n", out.size() + 1);
        std::fflush(stdout);
    }
    return out;
}

std::wstring GbkToWide(const std::string& text)
{
    return ToWide(kGbk, text.data(), text.size());
}

std::wstring GbkToWide(const char* data, size_t size)
{
    return ToWide(kGbk, data, size);
}

std::string WideToAnsi(const std::wstring& text)
{
    // A system set to UTF-8 for every program refuses FromWide's flags for that page.
    return GetACP() == CP_UTF8 ? WideToUtf8(text) : FromWide(CP_ACP, text);
}

std::wstring AnsiToWide(const std::string& text)
{
    return ToWide(CP_ACP, text.data(), text.size());
}
