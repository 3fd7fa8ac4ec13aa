#include "net/freshpost.h"

#include <winhttp.h>

#include <cstdlib>
#include <vector>

#include "base/handle.h"
#include "base/textconv.h"
#include "base/systemfunction.h"

namespace {

template <class Fn> Fn WinHttp(const char* name)
{
    return SystemFunction<Fn>(L"winhttp.dll", name);
}

// WinHTTP, found on first use: only a login or a recorded import needs it, so it stays out
// of the resident set of a program that polls all day.
struct WinHttpApi {
#define MORAVEL_WINHTTP(name) decltype(&::name) name = WinHttp<decltype(&::name)>(#name)
    MORAVEL_WINHTTP(WinHttpOpen);
    MORAVEL_WINHTTP(WinHttpCloseHandle);
    MORAVEL_WINHTTP(WinHttpConnect);
    MORAVEL_WINHTTP(WinHttpOpenRequest);
    MORAVEL_WINHTTP(WinHttpSetOption);
    MORAVEL_WINHTTP(WinHttpSetTimeouts);
    MORAVEL_WINHTTP(WinHttpSendRequest);
    MORAVEL_WINHTTP(WinHttpReceiveResponse);
    MORAVEL_WINHTTP(WinHttpQueryHeaders);
    MORAVEL_WINHTTP(WinHttpQueryDataAvailable);
    MORAVEL_WINHTTP(WinHttpReadData);
    MORAVEL_WINHTTP(WinHttpGetIEProxyConfigForCurrentUser);
#undef MORAVEL_WINHTTP
    bool Complete() const
    {
        return WinHttpOpen && WinHttpCloseHandle && WinHttpConnect && WinHttpOpenRequest && WinHttpSetOption &&
               WinHttpSetTimeouts && WinHttpSendRequest && WinHttpReceiveResponse && WinHttpQueryHeaders &&
               WinHttpQueryDataAvailable && WinHttpReadData && WinHttpGetIEProxyConfigForCurrentUser;
    }
};

const WinHttpApi& Api()
{
    static const WinHttpApi api;
    return api;
}

// Closed through the function found at run time, like the rest of WinHTTP.
bool CloseWinHttp(HINTERNET h)
{
    return Api().WinHttpCloseHandle(h) != FALSE;
}
using WinHttpHandle = UniqueHandle<handle_closers::NullIsNone<HINTERNET, CloseWinHttp>>;

// The proxy the merchant set for the browser, as WinINet would use it; none otherwise.
HINTERNET OpenSession(const HttpLimits& limits)
{
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie = {};
    const bool haveIe = Api().WinHttpGetIEProxyConfigForCurrentUser(&ie) != FALSE;
    const bool named = haveIe && ie.lpszProxy && *ie.lpszProxy;
    HINTERNET session =
        Api().WinHttpOpen(L"Http-connect", named ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                          named ? ie.lpszProxy : WINHTTP_NO_PROXY_NAME,
                          named && ie.lpszProxyBypass ? ie.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS, 0);
    if (haveIe) {
        for (LPWSTR s : {ie.lpszAutoConfigUrl, ie.lpszProxy, ie.lpszProxyBypass})
            if (s)
                GlobalFree(s);
    }
    if (session)
        Api().WinHttpSetTimeouts(session, static_cast<int>(limits.connectTimeoutMs),
                                 static_cast<int>(limits.connectTimeoutMs), static_cast<int>(limits.sendTimeoutMs),
                                 static_cast<int>(limits.receiveTimeoutMs));
    return session;
}

bool QueryNumber(HINTERNET request, DWORD what, std::uint64_t& value)
{
    wchar_t text[32] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (!Api().WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, text, &size, WINHTTP_NO_HEADER_INDEX))
        return false;
    wchar_t* end = nullptr;
    value = std::wcstoull(text, &end, 10);
    return end != text;
}

}  // namespace

namespace {
HttpExchange Failed(HttpInterfaceError code)
{
    HttpExchange result;
    result.error = code;
    return result;
}
}  // namespace

HttpExchange PostOnFreshConnection(const UrlParts& parts, const std::string& headers, const std::string& body,
                                   const HttpLimits& limits, FreshPostSlot& slot)
{
    const ULONGLONG start = GetTickCount64();
    if (!Api().Complete())
        return Failed(HttpErrorOpen);
    WinHttpHandle session(OpenSession(limits));
    if (!session)
        return Failed(HttpErrorOpen);
    WinHttpHandle connection(Api().WinHttpConnect(session.Get(), AnsiToWide(parts.host).c_str(), parts.port, 0));
    if (!connection)
        return Failed(HttpErrorConnect);
    const std::wstring page = parts.page.empty() ? L"/" : AnsiToWide(parts.page);
    HINTERNET request = Api().WinHttpOpenRequest(connection.Get(), L"POST", page.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                 WINHTTP_DEFAULT_ACCEPT_TYPES, parts.secure ? WINHTTP_FLAG_SECURE : 0);
    WinHttpHandle held;
    {
        std::lock_guard<std::mutex> hold(slot.lock);
        held.Reset(request);
        slot.live = request;
        if (slot.cancelled) {
            held.Reset();
            slot.live = request = nullptr;
        }
    }
    // Whatever way this ends, a cancel must not close the handle after the holder did.
    struct Forget {
        FreshPostSlot& slot;
        WinHttpHandle& held;
        ~Forget()
        {
            std::lock_guard<std::mutex> hold(slot.lock);
            if (!slot.live)
                held.Release();  // closed by the cancel already
            slot.live = nullptr;
        }
    } forget{slot, held};
    const auto cancelledOr = [&slot](HttpInterfaceError code) {
        std::lock_guard<std::mutex> hold(slot.lock);
        return slot.cancelled ? HttpErrorCancelled : code;
    };
    if (!request)
        return Failed(cancelledOr(HttpErrorOpen));

    // Closed after the answer and never followed elsewhere: a redirect would carry the body
    // to another place, and a kept connection could carry the next POST twice.
    DWORD features = WINHTTP_DISABLE_KEEP_ALIVE | WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES;
    Api().WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof features);
    const std::wstring extra = L"Connection: close\r\n" + AnsiToWide(headers);
    void* bodyData = body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(body.data());
    const DWORD bodySize = static_cast<DWORD>(body.size());
    if (!Api().WinHttpSendRequest(request, extra.c_str(), static_cast<DWORD>(extra.size()), bodyData, bodySize,
                                  bodySize, 0) ||
        !Api().WinHttpReceiveResponse(request, nullptr))
        return Failed(cancelledOr(HttpErrorSend));

    std::uint64_t status = 0;
    if (!QueryNumber(request, WINHTTP_QUERY_STATUS_CODE, status))
        return Failed(HttpErrorQueryStatus);
    if (status == 404)
        return Failed(HttpErrorNotFound);
    // Not followed, and not taken for the answer: the request did not reach its end.
    if (status < 100 || (status >= 300 && status < 400))
        return Failed(HttpErrorSend);

    HttpExchange result;
    result.status = static_cast<DWORD>(status);
    std::uint64_t announced = 0;
    const bool hasLength = QueryNumber(request, WINHTTP_QUERY_CONTENT_LENGTH, announced);
    if (hasLength && announced > limits.maxAnswerBytes)
        return Failed(HttpErrorTooLarge);
    if (hasLength)
        result.body.reserve(static_cast<size_t>(announced));
    std::vector<char> chunk(4096);
    for (;;) {
        DWORD available = 0;
        if (!Api().WinHttpQueryDataAvailable(request, &available))
            return Failed(cancelledOr(HttpErrorRead));
        if (available == 0)
            break;
        DWORD got = 0;
        const DWORD want = available < chunk.size() ? available : static_cast<DWORD>(chunk.size());
        if (!Api().WinHttpReadData(request, chunk.data(), want, &got))
            return Failed(cancelledOr(HttpErrorRead));
        if (got == 0)
            break;
        if (result.body.size() + got > limits.maxAnswerBytes)
            return Failed(HttpErrorTooLarge);
        result.body.append(chunk.data(), got);
        if (GetTickCount64() - start > limits.requestDeadlineMs)
            return Failed(HttpErrorRead);
    }
    if (hasLength && result.body.size() != announced)
        return Failed(HttpErrorRead);
    return result;
}

void CancelFreshPost(FreshPostSlot& slot)
{
    std::lock_guard<std::mutex> hold(slot.lock);
    slot.cancelled = true;
    if (slot.live && Api().WinHttpCloseHandle)
        Api().WinHttpCloseHandle(slot.live);
    slot.live = nullptr;
}
