#pragma once
#include <windows.h>

#include <cstddef>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "net/freshpost.h"
#include "net/httptypes.h"
#include "base/internethandle.h"
#include "net/urlparts.h"

// Blocking HTTP/1.1 client for one thread. A GET (a read) goes through WinINet and may
// reuse a kept-alive connection; a POST (a state change) goes on a connection of its own
// that is closed after the answer, so that nothing ever sends it twice. A GET's request
// handle is closed once its answer is read (its connection goes back to the pool); the
// session handles stay open until the next request or destruction. Cancel may be called
// from any other thread.
class CHttpTransport {
public:
    CHttpTransport() = default;
    explicit CHttpTransport(const HttpLimits& limits) : m_limits(limits) {}
    CHttpTransport(const CHttpTransport&) = delete;
    CHttpTransport& operator=(const CHttpTransport&) = delete;

    // POST (with `body`) or GET to an http:// or https:// URL; header block and body
    // go out unchanged. Over https a refused certificate fails like a send
    // (HttpErrorSend). Redirects are never followed by WinINet: a GET over https follows
    // at most kMaxRedirects to https:// addresses; any other 3xx (every one to a POST)
    // fails like a send. Returns the answer body; empty after any failure (see
    // LastError). Any status but one whose text holds "404" returns its body.
    std::string Request(const std::string& url, bool post, const std::string& headers, const std::string& body);

    // Request, with the failure, status and body apart.
    HttpExchange Exchange(const std::string& url, bool post, const std::string& headers, const std::string& body);

    // Copies the body of an http:// or https:// URL into `path`, following redirects
    // as a GET of Exchange does. Only a complete answer with status 200
    // reaches the target (written beside it first, then moved into place); on any
    // failure the target is left as it was and false is returned. With
    // `failIfExists` an existing file is never touched and nothing is fetched.
    bool DownloadToFile(const std::wstring& url, const std::wstring& path, bool failIfExists);

    // Host, page path, port and TLS of a URL (see urlparts.h).
    static UrlParts SplitUrl(const std::string& url) { return ::SplitUrl(url); }

    // From another thread: ends the request that runs by closing its handle, and makes
    // every later request fail at once with HttpErrorCancelled. For good.
    void Cancel();
    bool Cancelled() const { return m_cancelled; }

    // Code of the most recent failed request; a success does not reset it.
    HttpInterfaceError LastError() const { return m_lastError; }

    const HttpLimits& Limits() const { return m_limits; }
    void SetLimits(const HttpLimits& limits) { m_limits = limits; }

    static constexpr int kMaxRedirects = 5;

private:
    HttpExchange Fail(HttpInterfaceError code);
    // The 3xx answer of the open request to `url`: its https target fetched, or a failure.
    HttpExchange FollowRedirect(const std::string& url, bool post, const std::string& headers);
    void CloseHandles();

    HttpLimits m_limits;
    HttpInterfaceError m_lastError = HttpErrorNone;
    std::atomic<bool> m_cancelled{false};
    // Guards m_request against Cancel, which takes the handle over and closes it.
    std::mutex m_requestLock;
    FreshPostSlot m_post;
    int m_redirectDepth = 0;
    // Declared parent first so that destruction closes the request first.
    InternetHandle m_internet;
    InternetHandle m_connection;
    InternetHandle m_request;
};
