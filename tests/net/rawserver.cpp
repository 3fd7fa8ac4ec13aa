#include "rawserver.h"

#include <winsock2.h>

namespace {
struct WinsockUser {
    WinsockUser()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockUser() { WSACleanup(); }
};
WinsockUser g_winsock;

size_t ContentLength(const std::string& head)
{
    std::string lower;
    for (char c : head)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    size_t at = lower.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::strtoul(head.c_str() + at + 17, nullptr, 10);
}

bool AsksForClose(const std::string& request)
{
    std::string lower;
    for (char c : request.substr(0, request.find("\r\n\r\n") + 2))
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lower.find("\r\nconnection: close\r\n") != std::string::npos;
}

// Reads one request (head, then as much body as Content-Length announces).
std::string ReadRequest(SOCKET s)
{
    std::string data;
    char buffer[4096];
    for (;;) {
        size_t end = data.find("\r\n\r\n");
        if (end != std::string::npos && data.size() >= end + 4 + ContentLength(data.substr(0, end + 2)))
            return data;
        int got = recv(s, buffer, sizeof buffer, 0);
        if (got <= 0)
            return data;
        data.append(buffer, static_cast<size_t>(got));
    }
}
}  // namespace

RawHttpServer::RawHttpServer(std::vector<Reply> replies) : m_replies(replies.begin(), replies.end())
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return;
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof addr;
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 8) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &size) != 0) {
        closesocket(s);
        return;
    }
    m_listener = s;
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { Serve(); });
}

RawHttpServer::~RawHttpServer()
{
    m_stop = true;
    if (m_listener != ~uintptr_t(0))
        closesocket(static_cast<SOCKET>(m_listener));
    if (m_thread.joinable())
        m_thread.join();
}

std::string RawHttpServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<std::string> RawHttpServer::Requests() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<std::string> requests;
    for (const Arrival& arrival : m_arrivals)
        requests.push_back(arrival.bytes);
    return requests;
}

std::vector<RawHttpServer::Arrival> RawHttpServer::Arrivals() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_arrivals;
}

void RawHttpServer::Push(Reply reply)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_replies.push_back(std::move(reply));
}

void RawHttpServer::Clear()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_replies.clear();
    m_arrivals.clear();
}

std::string RawHttpServer::Answer(const std::string& statusLine, const std::string& body)
{
    return statusLine + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

std::string RawHttpServer::KeepAliveAnswer(const std::string& statusLine, const std::string& body)
{
    return statusLine + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

bool RawHttpServer::WaitOrStop(DWORD ms) const
{
    for (DWORD waited = 0; waited < ms && !m_stop; waited += 20)
        Sleep(20);
    return !m_stop;
}

bool RawHttpServer::ServeOne(Connection& connection)
{
    const SOCKET client = static_cast<SOCKET>(connection.socket);
    std::string request = ReadRequest(client);
    if (request.empty())
        return false;  // the client closed it
    Reply reply{Answer("HTTP/1.1 503 Service Unavailable", "no reply staged")};
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_arrivals.push_back({request, connection.served});
        if (!m_replies.empty()) {
            reply = m_replies.front();
            m_replies.pop_front();
        }
    }
    connection.served = true;
    if (reply.trickleMs == 0) {
        if (!reply.bytes.empty())
            send(client, reply.bytes.data(), static_cast<int>(reply.bytes.size()), 0);
    } else {
        size_t head = reply.bytes.find("\r\n\r\n");
        head = head == std::string::npos ? reply.bytes.size() : head + 4;
        send(client, reply.bytes.data(), static_cast<int>(head), 0);
        for (size_t i = head; i < reply.bytes.size() && WaitOrStop(reply.trickleMs); ++i)
            send(client, reply.bytes.data() + i, 1, 0);
    }
    // An HTTP/1.1 server must close after answering a request that asks for it.
    if (reply.keepOpen && !reply.bytes.empty() && (reply.ignoreClose || !AsksForClose(request)))
        return true;
    WaitOrStop(reply.holdMs);
    return false;
}

void RawHttpServer::Serve()
{
    const SOCKET listener = static_cast<SOCKET>(m_listener);
    std::vector<Connection> open;
    auto finish = [](Connection& c) {
        const SOCKET s = static_cast<SOCKET>(c.socket);
        shutdown(s, SD_BOTH);
        closesocket(s);
    };
    while (!m_stop) {
        // Poll so that the destructor is never stuck behind accept() or recv().
        fd_set set;
        FD_ZERO(&set);
        FD_SET(listener, &set);
        for (const Connection& c : open)
            FD_SET(static_cast<SOCKET>(c.socket), &set);
        timeval tick = {0, 50000};
        if (select(0, &set, nullptr, nullptr, &tick) <= 0)
            continue;
        for (size_t i = 0; i < open.size();) {
            if (FD_ISSET(static_cast<SOCKET>(open[i].socket), &set) && !ServeOne(open[i])) {
                finish(open[i]);
                open.erase(open.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                ++i;
            }
        }
        if (!FD_ISSET(listener, &set))
            continue;
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            break;
        ++m_accepted;
        DWORD timeout = 5000;
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        Connection fresh{static_cast<uintptr_t>(client)};
        if (ServeOne(fresh))
            open.push_back(fresh);
        else
            finish(fresh);
    }
    for (Connection& c : open)
        finish(c);
}
