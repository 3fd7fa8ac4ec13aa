#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "proxy.h"

// A connected loopback socket, closed with its holder.
class Socket {
public:
  explicit Socket(int port) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
      close(fd_);
      fd_ = -1;
    }
  }
  ~Socket() {
    if (fd_ >= 0)
      close(fd_);
  }
  Socket(const Socket &) = delete;
  Socket &operator=(const Socket &) = delete;
  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  bool Send(const std::string &bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
      const ssize_t n = send(fd_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
      if (n <= 0)
        return false;
      at += static_cast<size_t>(n);
    }
    return true;
  }

  // Reads until `count` bytes, the peer's end or `timeout_ms` of silence.
  // `closed` tells whether the peer ended (or reset) the connection.
  std::string Receive(size_t count, int timeout_ms, bool *closed = nullptr) {
    std::string out;
    if (closed)
      *closed = false;
    char buffer[65536];
    while (out.size() < count) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, timeout_ms) <= 0)
        break;
      const ssize_t n = recv(fd_, buffer, std::min(sizeof buffer, count - out.size()), 0);
      if (n <= 0) {
        if (closed)
          *closed = true;
        break;
      }
      out.append(buffer, static_cast<size_t>(n));
    }
    return out;
  }

private:
  int fd_ = -1;
};

// A loopback echo service: each connection gets back what it sends and is closed
// once the client has ended its side.
class EchoServer {
public:
  EchoServer() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address);
    listen(listener_, 64);
    getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
  }
  ~EchoServer() {
    shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    close(listener_);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (int fd : fds_)
        shutdown(fd, SHUT_RDWR);
    }
    for (std::thread &worker : workers_)
      worker.join();
  }
  int port() const { return port_; }

private:
  void AcceptLoop() {
    for (;;) {
      const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0)
        return;
      int one = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      std::lock_guard<std::mutex> lock(mutex_);
      fds_.push_back(fd);
      workers_.emplace_back([this, fd] {
        char buffer[65536];
        for (;;) {
          const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
          if (n <= 0 || send(fd, buffer, static_cast<size_t>(n), MSG_NOSIGNAL) != n)
            break;
        }
        // Forgotten before closing, so the destructor never shuts a reused number.
        std::lock_guard<std::mutex> lock(mutex_);
        fds_.erase(std::find(fds_.begin(), fds_.end(), fd));
        close(fd);
      });
    }
  }

  int listener_ = -1;
  int port_ = 0;
  std::thread acceptor_;
  std::mutex mutex_;
  std::vector<int> fds_;
  std::vector<std::thread> workers_;
};

// The proxy in front of a target port, served by its own thread.
class RunningProxy {
public:
  RunningProxy(int target_port, int rtt_ms) {
    ProxySettings settings;
    settings.target_host = "127.0.0.1";
    settings.target_port = target_port;
    settings.rtt_ms = rtt_ms;
    proxy_ = std::make_unique<LatencyProxy>(settings);
    std::string error;
    if (proxy_->Bind(error))
      runner_ = std::thread([this] { proxy_->Run(); });
  }
  ~RunningProxy() {
    proxy_->Stop();
    if (runner_.joinable())
      runner_.join();
  }
  bool ok() const { return runner_.joinable(); }
  int port() const { return proxy_->port(); }

  // GET on the control port: the body, or "HTTP <status>" when it was no 200.
  std::string Control(const std::string &path) {
    httplib::Client client("127.0.0.1", proxy_->control_port());
    auto answer = client.Get(path);
    if (!answer)
      return "no answer";
    return answer->status == 200 ? answer->body : "HTTP " + std::to_string(answer->status);
  }

private:
  std::unique_ptr<LatencyProxy> proxy_;
  std::thread runner_;
};

inline double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// 0, 1, ..., 250, 0, ...: a shifted or repeated chunk shows.
inline std::string Pattern(size_t size) {
  std::string out(size, '\0');
  for (size_t i = 0; i < size; ++i)
    out[i] = static_cast<char>(i % 251);
  return out;
}
