#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Why the last request failed. 1-5 and 14 are the historical codes; 6 and 7
// exist because a cut-off or oversized answer must not pass for a whole one.
enum HttpInterfaceError : int {
    HttpErrorNone = 0,
    HttpErrorOpen = 1,  // internet handle or request could not be opened
    HttpErrorConnect = 2,
    HttpErrorSend = 3,  // sending failed, timed out, the peer closed without an answer, or TLS refused it
    HttpErrorQueryStatus = 4,
    HttpErrorNotFound = 5,   // the status text contains "404"
    HttpErrorRead = 6,       // a read failed, timed out, or the body ended before its Content-Length
    HttpErrorTooLarge = 7,   // the answer exceeded HttpLimits::maxAnswerBytes
    HttpErrorCancelled = 8,  // Cancel was called: the window that wanted the answer is gone
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
