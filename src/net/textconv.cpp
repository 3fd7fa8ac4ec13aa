#include "textconv.h"

#include <windows.h>

#include <cstdio>

#include "net/diag.h"

namespace {
constexpr UINT kGbk = 936;

std::wstring AnsiToWide(const char* data, size_t size)
{
    if (size == 0)
        return {};
    // Most texts fit: one conversion and one exact allocation instead of two of each.
    // A byte never becomes more than one UTF-16 unit in a multi-byte code page.
    wchar_t small[256];
    if (size <= sizeof small / sizeof small[0]) {
        const int n = MultiByteToWideChar(CP_ACP, 0, data, static_cast<int>(size), small, static_cast<int>(size));
        return n > 0 ? std::wstring(small, static_cast<size_t>(n)) : std::wstring();
    }
    int n = MultiByteToWideChar(CP_ACP, 0, data, static_cast<int>(size), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, data, static_cast<int>(size), out.data(), n);
    return out;
}
}  // namespace

std::string WideToGbk(const std::wstring& text)
{
    const bool trace = StdoutTraceWanted();
    if (trace)
        std::printf("ws.size():%zu\n", text.size());
    std::string out;
    if (!text.empty()) {
        // No best-fit: a character without an exact GBK form must fail, not turn into '?'.
        BOOL usedDefault = FALSE;
        int n = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, &usedDefault);
        if (n > 0 && !usedDefault) {
            out.resize(static_cast<size_t>(n));
            WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), out.data(),
                                n, nullptr, &usedDefault);
            if (usedDefault)
                out.clear();
        }
    }
    if (trace) {
        std::printf("convertedChars:%zu\n", out.size() + 1);
        std::fflush(stdout);
    }
    return out;
}

std::wstring GbkToWide(const std::string& text)
{
    return AnsiToWide(text.data(), text.size());
}

std::wstring GbkToWide(const char* data, size_t size)
{
    return AnsiToWide(data, size);
}

std::wstring ResponseToDebugText(const std::string& response)
{
    return AnsiToWide(response.data(), response.size());
}
