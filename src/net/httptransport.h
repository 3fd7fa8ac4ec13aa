#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/internethandle.h"
#include "net/urlparts.h"

// Why the last request failed. 1-5 and 14 are the historical codes; 6 and 7
// exist because a cut-off or oversized answer must not pass for a whole one.
enum HttpInterfaceError : int {
    HttpErrorNone = 0,
    HttpErrorOpen = 1,          // internet handle or request could not be opened
    HttpErrorConnect = 2,
    HttpErrorSend = 3,          // sending failed, timed out, the peer closed without an answer, or TLS refused it
    HttpErrorQueryStatus = 4,
    HttpErrorNotFound = 5,      // the status text contains "404"
    HttpErrorRead = 6,          // a read failed, timed out, or the body ended before its Content-Length
    HttpErrorTooLarge = 7,      // the answer exceeded HttpLimits::maxAnswerBytes
    HttpErrorEmptyUrl = 14,
};

// Bounds that keep a dead, silent or endless service from freezing the caller.
struct HttpLimits {
    DWORD connectTimeoutMs = 10000;
    DWORD sendTimeoutMs = 10000;
    DWORD receiveTimeoutMs = 10000;
    // Whole exchange of Request; a trickling answer cannot stretch it further.
    DWORD requestDeadlineMs = 60000;
    std::size_t maxAnswerBytes = 16u << 20;
    // A download runs on the worker thread, which closing the window waits for.
    DWORD downloadDeadlineMs = 10 * 60 * 1000;
    // The setup is about 1 MB; anything near this is not ours.
    std::uint64_t maxDownloadBytes = 64ull << 20;
};

// One exchange as the transport saw it: failure, status and body kept apart.
struct HttpExchange {
    HttpInterfaceError error = HttpErrorNone;
    DWORD status = 0;  // 0 when no status line was read
    std::string body;  // empty whenever error is set
};

// Blocking HTTP/1.1 client on WinINet for one thread. The handles of the last
// request stay open until the next request or destruction.
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
    int m_redirectDepth = 0;
    // Declared parent first so that destruction closes the request first.
    InternetHandle m_internet;
    InternetHandle m_connection;
    InternetHandle m_request;
};
