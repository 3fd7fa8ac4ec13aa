#include "serviceaccess.h"

#include <windows.h>

#include "net/httptransport.h"

#ifndef MORAVEL_SERVICE_URL
#define MORAVEL_SERVICE_URL "http://127.0.0.1:8765/"
#endif

namespace {
std::string ReadBaseUrl()
{
    std::string url = MORAVEL_SERVICE_URL;
    wchar_t buffer[2048] = {};
    const DWORD n = GetEnvironmentVariableW(L"MORAVEL_SERVICE_URL", buffer, ARRAYSIZE(buffer));
    if (n > 0 && n < ARRAYSIZE(buffer)) {
        // A URL is ASCII; anything else in the variable is a mistake, so the build's URL stays.
        std::string fromEnv;
        for (DWORD i = 0; i < n && buffer[i] < 0x80; ++i)
            fromEnv += static_cast<char>(buffer[i]);
        if (fromEnv.size() == n)
            url = fromEnv;
    }
    if (url.empty() || url.back() != '/')
        url += '/';
    return url;
}
}  // namespace

const std::string& ServiceBaseUrl()
{
    static const std::string url = ReadBaseUrl();
    return url;
}

CHttpTransport& LoginTransport()
{
    static CHttpTransport transport;
    return transport;
}

CHttpTransport& MainTransport()
{
    static CHttpTransport transport;
    return transport;
}
