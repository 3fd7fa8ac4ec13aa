#include "httptransport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/log.h"
#include "base/handle.h"

namespace {
constexpr DWORD kReadChunk = 4096;
constexpr DWORD kDownloadChunk = 1u << 20;

// Set on every level: which handle WinINet consults for which timeout differs
// between Windows versions and Wine.
void ApplyTimeouts(HINTERNET handle, const HttpLimits& limits)
{
    DWORD connect = limits.connectTimeoutMs;
    DWORD send = limits.sendTimeoutMs;
    DWORD receive = limits.receiveTimeoutMs;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    InternetSetOptionW(handle, INTERNET_OPTION_DATA_SEND_TIMEOUT, &send, sizeof send);
    InternetSetOptionW(handle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

// Content-Length of the answer, or false when the server sent none (chunked, or close-delimited).
bool QueryContentLength(HINTERNET request, std::uint64_t& length)
{
    char text[32] = {};
    DWORD size = sizeof text - 1;
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr))
        return false;
    char* end = nullptr;
    unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text)
        return false;
    length = value;
    return true;
}

bool QueryStatusNumber(HINTERNET request, DWORD& status)
{
    DWORD size = sizeof status;
    return HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) != FALSE;
}

// Reads what has arrived, at most `size` bytes; 0 at the end of the body. Asking
// first matters: a plain InternetReadFile waits until the whole size has come,
// so a trickling answer would never reach the deadline check between reads.
bool ReadArrived(HINTERNET request, char* buffer, DWORD size, DWORD& got)
{
    got = 0;
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0))
        return false;
    if (available == 0)
        return true;
    return InternetReadFile(request, buffer, available < size ? available : size, &got) != FALSE;
}

// Where a 3xx answer to a GET of `from` may lead: its Location when both are https://
// (a path on the same origin is completed from `from`); empty for anything else. The
// platform never follows on its own: a 307 would send a POST's body on, to wherever
// the answer names, before any check of ours could stop it.
std::string SecureRedirectTarget(HINTERNET request, const std::string& from)
{
    if (!StartsWithNoCase(from, "https://"))
        return {};
    char location[2048] = {};
    DWORD size = sizeof location - 1;
    if (!HttpQueryInfoA(request, HTTP_QUERY_LOCATION, location, &size, nullptr))
        return {};
    std::string to(location, size);
    for (char c : to) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '\\')
            return {};
    }
    if (to.size() > 1 && to[0] == '/' && to[1] != '/')
        to = from.substr(0, from.find('/', 8)) + to;
    return StartsWithNoCase(to, "https://") ? to : std::string();
}

// The ASCII reading of a URL, '?' for anything else: enough for its scheme and origin.
std::string AsciiView(const std::wstring& url)
{
    std::string out;
    for (wchar_t c : url)
        out += c > 0 && c < 0x7F ? static_cast<char>(c) : '?';
    return out;
}

bool Expired(ULONGLONG start, DWORD budgetMs)
{
    return GetTickCount64() - start > budgetMs;
}
}  // namespace

void CHttpTransport::CloseHandles()
{
    {
        std::lock_guard<std::mutex> hold(m_requestLock);
        m_request.Reset();
    }
    m_connection.Reset();
    m_internet.Reset();
}

HttpExchange CHttpTransport::Fail(HttpInterfaceError code)
{
    m_lastError = code;
    // A half-read answer (an endless one included) must not keep its socket busy.
    CloseHandles();
    HttpExchange result;
    result.error = code;
    return result;
}

std::string CHttpTransport::Request(const std::string& url, bool post, const std::string& headers,
                                    const std::string& body)
{
    return Exchange(url, post, headers, body).body;
}

void CHttpTransport::Cancel()
{
    std::lock_guard<std::mutex> hold(m_requestLock);
    m_cancelled = true;
    // Closing the request handle is how a blocking WinINet call is ended from another thread.
    m_request.Close();
    CancelFreshPost(m_post);
}

HttpExchange CHttpTransport::Exchange(const std::string& url, bool post, const std::string& headers,
                                      const std::string& body)
{
    if (url.empty())
        return Fail(HttpErrorEmptyUrl);
    CloseHandles();
    if (m_cancelled)
        return Fail(HttpErrorCancelled);
    const ULONGLONG start = GetTickCount64();

    const UrlParts parts = SplitUrl(url);
    if (StdoutTraceWanted())
        std::printf("lpUrl:%s,\nstrHostName:%s,\nstrPageName:%s,\nport:%d\n", url.c_str(), parts.host.c_str(),
                    parts.page.c_str(), static_cast<int>(parts.port));
    if (post) {
        HttpExchange result = PostOnFreshConnection(parts, headers, body, m_limits, m_post);
        if (result.error != HttpErrorNone)
            m_lastError = result.error;
        return result;
    }

    m_internet.Reset(InternetOpenW(L"Http-connect", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!m_internet)
        return Fail(HttpErrorOpen);
    ApplyTimeouts(m_internet.Get(), m_limits);

    m_connection.Reset(InternetConnectA(m_internet.Get(), parts.host.c_str(), parts.port, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, 0));
    if (!m_connection)
        return Fail(HttpErrorConnect);
    ApplyTimeouts(m_connection.Get(), m_limits);

    // TLS with every certificate check WinINet makes: no flag that ignores one. GET
    // answers stay out of the URL cache: the poll would write the whole history (buyers'
    // tax numbers and bank accounts) to disk every 1.5 s, and nothing reads it back.
    // Redirects are ours to judge (FollowRedirect), never followed by WinINet.
    const DWORD requestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                               (parts.secure ? INTERNET_FLAG_SECURE : 0);
    HINTERNET request =
        HttpOpenRequestA(m_connection.Get(), "GET", parts.page.c_str(), "HTTP/1.1", nullptr, nullptr, requestFlags, 0);
    {
        std::lock_guard<std::mutex> hold(m_requestLock);
        m_request.Reset(request);
        if (m_cancelled) {
            m_request.Reset();
            request = nullptr;
        }
    }
    if (!request)
        return Fail(m_cancelled ? HttpErrorCancelled : HttpErrorOpen);
    ApplyTimeouts(request, m_limits);
    // No "Connection: close": a read leaves its connection in WinINet's pool for the next
    // one (one round trip a search, no new TLS handshake). When a kept connection turns out
    // closed, WinINet sends the read again on a new one, which a read may be.

    const char* headerText = headers.empty() ? nullptr : headers.c_str();
    // A refused certificate ends here, like any other failed send.
    if (!HttpSendRequestA(request, headerText, static_cast<DWORD>(headers.size()), nullptr, 0))
        return Fail(m_cancelled ? HttpErrorCancelled : HttpErrorSend);

    std::vector<char> statusText(4096, '\0');
    DWORD statusSize = static_cast<DWORD>(statusText.size() - 1);
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE, statusText.data(), &statusSize, nullptr))
        return Fail(HttpErrorQueryStatus);
    if (std::string(statusText.data()).find("404") != std::string::npos)
        return Fail(HttpErrorNotFound);

    HttpExchange result;
    result.status = static_cast<DWORD>(std::strtoul(statusText.data(), nullptr, 10));
    // WinINet reports a connection closed before any status line as a request without status.
    if (result.status < 100)
        return Fail(HttpErrorSend);
    if (result.status >= 300 && result.status < 400)
        return FollowRedirect(url, post, headers);

    std::uint64_t announced = 0;
    const bool hasLength = QueryContentLength(request, announced);
    if (hasLength && announced > m_limits.maxAnswerBytes)
        return Fail(HttpErrorTooLarge);
    // Grown once, not copied over and over as a long history arrives (within the cap);
    // grown chunk by chunk, Wine's heap also kept spreading tick after tick.
    if (hasLength)
        result.body.reserve(static_cast<size_t>(announced));

    char chunk[kReadChunk];
    for (;;) {
        DWORD got = 0;
        if (!ReadArrived(request, chunk, kReadChunk, got))
            return Fail(m_cancelled ? HttpErrorCancelled : HttpErrorRead);
        if (got == 0)
            break;
        if (result.body.size() + got > m_limits.maxAnswerBytes)
            return Fail(HttpErrorTooLarge);
        result.body.append(chunk, got);
        if (Expired(start, m_limits.requestDeadlineMs))
            return Fail(HttpErrorRead);
    }
    if (hasLength && result.body.size() != announced)
        return Fail(HttpErrorRead);
    // An answer read to its end hands its connection back to WinINet's pool only when
    // its request handle closes; held until this worker's next read, the other workers'
    // reads would each open a connection of their own.
    {
        std::lock_guard<std::mutex> hold(m_requestLock);
        m_request.Reset();
    }
    return result;
}

HttpExchange CHttpTransport::FollowRedirect(const std::string& url, bool post, const std::string& headers)
{
    // A POST is never sent again, anywhere: its body went where it was meant to go.
    const std::string target =
        post || m_redirectDepth >= kMaxRedirects ? std::string() : SecureRedirectTarget(m_request.Get(), url);
    if (target.empty())
        return Fail(HttpErrorSend);
    ++m_redirectDepth;
    HttpExchange result = Exchange(target, false, headers, std::string());
    --m_redirectDepth;
    return result;
}

bool CHttpTransport::DownloadToFile(const std::wstring& url, const std::wstring& path, bool failIfExists)
{
    const DWORD existing = GetFileAttributesW(path.c_str());
    const bool exists = existing != INVALID_FILE_ATTRIBUTES;
    if (exists && (existing & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if (failIfExists && exists)
        return false;

    // Handles local to the call: the download runs on a worker thread of its own.
    InternetHandle internet(InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet)
        return false;
    ApplyTimeouts(internet.Get(), m_limits);
    // Closed after the answer, like every request (see Exchange); redirects as there.
    std::string current = AsciiView(url);
    InternetHandle request;
    DWORD status = 0;
    for (int hop = 0;; ++hop) {
        // InternetOpenUrl speaks ftp and file too: only the web is meant here.
        if (!StartsWithNoCase(current, "http://") && !StartsWithNoCase(current, "https://"))
            return false;
        const std::wstring address = hop == 0 ? url : std::wstring(current.begin(), current.end());
        request.Reset(InternetOpenUrlW(internet.Get(), address.c_str(), L"Connection: close\r\n",
                                       static_cast<DWORD>(-1),
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                           INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_NO_AUTO_REDIRECT,
                                       0));
        if (!request || !QueryStatusNumber(request.Get(), status))
            return false;
        if (status < 300 || status >= 400)
            break;
        current = hop < kMaxRedirects ? SecureRedirectTarget(request.Get(), current) : std::string();
        if (current.empty())
            return false;
    }
    if (status != HTTP_STATUS_OK)
        return false;
    std::uint64_t announced = 0;
    const bool hasLength = QueryContentLength(request.Get(), announced);
    if (hasLength && announced > m_limits.maxDownloadBytes)
        return false;

    const std::wstring partial = path + L".part";
    KernelHandle file(CreateFileW(partial.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;

    const ULONGLONG start = GetTickCount64();
    std::vector<char> buffer(kDownloadChunk, '\0');
    DWORD filled = 0;
    std::uint64_t total = 0;
    bool ok = true;
    auto flush = [&] {
        DWORD written = 0;
        const bool done =
            filled == 0 || (WriteFile(file.Get(), buffer.data(), filled, &written, nullptr) && written == filled);
        filled = 0;
        return done;
    };
    for (;;) {
        DWORD got = 0;
        if (!ReadArrived(request.Get(), buffer.data() + filled, kDownloadChunk - filled, got)) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        filled += got;
        total += got;
        if (total > m_limits.maxDownloadBytes || Expired(start, m_limits.downloadDeadlineMs) ||
            (filled == kDownloadChunk && !flush())) {
            ok = false;
            break;
        }
    }
    if (ok && !flush())
        ok = false;
    if (hasLength && total != announced)
        ok = false;
    if (!file.Close())
        ok = false;
    if (ok) {
        // Without REPLACE_EXISTING a file that appeared meanwhile still wins.
        const DWORD flags = failIfExists ? 0 : MOVEFILE_REPLACE_EXISTING;
        ok = MoveFileExW(partial.c_str(), path.c_str(), flags) != FALSE;
    }
    if (!ok)
        DeleteFileW(partial.c_str());
    return ok;
}
