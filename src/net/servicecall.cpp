#include "servicecall.h"

#include "base/log.h"
#include "net/httptransport.h"
#include "base/textconv.h"

namespace {
const char kFormHeader[] = "Content-Type:application/x-www-form-urlencoded";
}  // namespace

namespace {
// The page path alone: the query string carries the merchant's data.
std::wstring Endpoint(const std::string& url)
{
    const size_t scheme = url.find("://");
    const size_t path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    if (path == std::string::npos)
        return L"/";
    const size_t end = url.find_first_of("?#", path);
    const std::string page = url.substr(path, end == std::string::npos ? std::string::npos : end - path);
    return std::wstring(page.begin(), page.end());
}
}  // namespace

std::string CallService(CHttpTransport& transport, const std::string& url, bool post, const std::string& body)
{
    const ULONGLONG started = GetTickCount64();
    HttpExchange exchange = transport.Exchange(url, post, post ? kFormHeader : "", post ? body : "");
    SupportLine(std::wstring(L"Request ") + (post ? L"POST " : L"GET ") + Endpoint(url) + L" status=" +
                std::to_wstring(exchange.status) + L" error=" + std::to_wstring(exchange.error) + L" ms=" +
                std::to_wstring(GetTickCount64() - started) + L" bytes=" + std::to_wstring(exchange.body.size()));
    std::string answer = std::move(exchange.body);
    if (!answer.empty() && DebugLineWanted())
        DebugLine(GbkToWide(answer));
    return answer;
}
