#pragma once
#include <atomic>
#include <mutex>
#include <string>

#include "net/httptypes.h"
#include "net/urlparts.h"

// Where another thread finds the running POST to cancel it.
struct FreshPostSlot {
    std::mutex lock;
    void* live = nullptr;  // the WinHTTP request handle while one runs
    bool cancelled = false;
};

// A state-changing request on a connection of its own that is closed after the answer
// and never redirected: WinINet, which the reads use, pools connections process-wide and
// sends a request again when a reused one closes before any answer; WinHTTP keeps a pool
// of its own, which nothing here ever lets a connection into. Same failures and bounds as
// CHttpTransport's requests.
HttpExchange PostOnFreshConnection(const UrlParts& parts, const std::string& headers, const std::string& body,
                                   const HttpLimits& limits, FreshPostSlot& slot);

// From another thread: closes the running POST's handle; every later one fails at once.
void CancelFreshPost(FreshPostSlot& slot);
