#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A loopback HTTP peer for tests: one connection per staged reply, the request
// recorded byte for byte, the reply sent as given (any status line, a short
// body, a NUL byte), then the connection held for `holdMs` and closed. A
// connection with nothing staged gets a 503. What the real service cannot be
// made to do wrong is staged here.
class RawHttpServer {
public:
    struct Reply {
        std::string bytes;
        DWORD holdMs = 0;
        DWORD trickleMs = 0;  // pause after each byte past the head
    };

    explicit RawHttpServer(std::vector<Reply> replies = {});
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    bool Listening() const { return m_port != 0; }
    unsigned short Port() const { return m_port; }
    std::string Url(const std::string& path) const;
    // Requests received so far, each as its raw bytes (head and body).
    std::vector<std::string> Requests() const;
    // Stages the reply for the next connection.
    void Push(Reply reply);
    // Forgets staged replies and received requests.
    void Clear();

    // A complete answer with Content-Length.
    static std::string Answer(const std::string& statusLine, const std::string& body);

private:
    void Serve();
    bool WaitOrStop(DWORD ms) const;

    std::deque<Reply> m_replies;
    uintptr_t m_listener = ~uintptr_t(0);
    unsigned short m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_lock;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};
