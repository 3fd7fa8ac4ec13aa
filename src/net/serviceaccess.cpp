#include "serviceaccess.h"

#include "net/httptransport.h"

#ifndef MORAVEL_SERVICE_URL
#define MORAVEL_SERVICE_URL "http://127.0.0.1:8765/"
#endif

namespace {
std::string WithSlash(std::string url)
{
    if (url.empty() || url.back() != '/')
        url += '/';
    return url;
}

std::string& BaseUrl()
{
    static std::string url = WithSlash(MORAVEL_SERVICE_URL);
    return url;
}
}  // namespace

const std::string& ServiceBaseUrl()
{
    return BaseUrl();
}

void OverrideServiceBaseUrl(const std::string& url)
{
    BaseUrl() = WithSlash(url);
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
