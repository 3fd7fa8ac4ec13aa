#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A loopback HTTP peer for tests: each request recorded byte for byte, answered
// with the next staged reply as given (any status line, a short body, a NUL
// byte), then the connection held for `holdMs` and closed, or kept open for the
// next request where the reply says so and the request did not ask for close.
// A request with nothing staged gets a 503. What the real service cannot be made
// to do wrong is staged here.
class RawHttpServer {
public:
    struct Reply {
        std::string bytes;
        DWORD holdMs = 0;
        DWORD trickleMs = 0;       // pause after each byte past the head
        bool keepOpen = false;     // as a keep-alive HTTP/1.1 server would
        bool ignoreClose = false;  // kept open even when the request asked for close
    };

    struct Arrival {
        std::string bytes;
        bool reused = false;  // came on a connection that had carried a request before
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
    std::vector<Arrival> Arrivals() const;
    // Connections accepted so far.
    int Accepted() const { return m_accepted; }
    // Stages the reply for the next connection.
    void Push(Reply reply);
    // Forgets staged replies and received requests.
    void Clear();

    // A complete answer with Content-Length that closes the connection.
    static std::string Answer(const std::string& statusLine, const std::string& body);
    // The same without "Connection: close", for a reply that keeps the connection.
    static std::string KeepAliveAnswer(const std::string& statusLine, const std::string& body);

private:
    struct Connection {
        uintptr_t socket;
        bool served = false;
    };
    void Serve();
    // Answers one request; false when the connection is done with.
    bool ServeOne(Connection& connection);
    bool WaitOrStop(DWORD ms) const;

    std::deque<Reply> m_replies;
    uintptr_t m_listener = ~uintptr_t(0);
    unsigned short m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    mutable std::mutex m_lock;
    std::vector<Arrival> m_arrivals;
    std::thread m_thread;
};
