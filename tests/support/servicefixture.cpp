#include "servicefixture.h"

#include <windows.h>
#include <wininet.h>

#include <memory>

#include "net/serviceaccess.h"
#include "tempdir.h"

namespace {
struct InternetCloser {
    void operator()(void* handle) const { InternetCloseHandle(handle); }
};
using Internet = std::unique_ptr<void, InternetCloser>;

std::wstring EnvironmentValue(const wchar_t* name)
{
    wchar_t buffer[4096] = {};
    DWORD n = GetEnvironmentVariableW(name, buffer, ARRAYSIZE(buffer));
    return n > 0 && n < ARRAYSIZE(buffer) ? std::wstring(buffer, n) : std::wstring();
}

bool Get(const std::string& url, std::string& body)
{
    Internet internet(InternetOpenW(L"moravel-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!internet)
        return false;
    DWORD timeout = 10000;
    InternetSetOptionW(internet.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionW(internet.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    Internet request(InternetOpenUrlA(internet.get(), url.c_str(), nullptr, 0,
                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request)
        return false;
    DWORD status = 0, size = sizeof status;
    if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return false;
    char chunk[8192];
    DWORD got = 0;
    while (InternetReadFile(request.get(), chunk, sizeof chunk, &got) && got > 0)
        body.append(chunk, got);
    return status == 200;
}
}  // namespace

std::string ServiceUrlFromFile(const wchar_t* variable)
{
    const std::wstring file = EnvironmentValue(variable);
    std::string text = file.empty() ? std::string() : ReadFileBytes(file);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string FixtureServiceUrl()
{
    static const std::string url = ServiceUrlFromFile(L"MORAVEL_SERVICE_URL_FILE");
    return url;
}

bool UseFixtureService()
{
    const std::string url = FixtureServiceUrl();
    if (url.empty())
        return false;
    OverrideServiceBaseUrl(url);
    return true;
}

bool ServiceControl(const std::string& command, std::string* answer)
{
    const std::string base = FixtureServiceUrl();
    if (base.empty())
        return false;
    std::string body;
    const bool ok = Get(base + "_control/" + command, body);
    if (answer)
        *answer = body;
    return ok;
}

std::string TakeServiceRequests()
{
    std::string log;
    ServiceControl("requests?clear=1", &log);
    return log;
}

bool ProxyControl(const std::string& command, std::string* answer)
{
    static const std::string base = ServiceUrlFromFile(L"MORAVEL_PROXY_CONTROL_FILE");
    if (base.empty())
        return false;
    std::string body;
    const bool ok = Get(base + command, body);
    if (answer)
        *answer = body;
    return ok;
}
