#include "connection.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

// Address text and port of an IPv4 or IPv6 socket address; false for other families.
bool Describe(const sockaddr_storage &address, std::string &text, int &port) {
  char buffer[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto &in = reinterpret_cast<const sockaddr_in &>(address);
    inet_ntop(AF_INET, &in.sin_addr, buffer, sizeof buffer);
    port = ntohs(in.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto &in6 = reinterpret_cast<const sockaddr_in6 &>(address);
    inet_ntop(AF_INET6, &in6.sin6_addr, buffer, sizeof buffer);
    port = ntohs(in6.sin6_port);
  } else {
    return false;
  }
  text = buffer;
  return true;
}

class DirHandle {
public:
  explicit DirHandle(const char *path) : dir_(opendir(path)) {}
  ~DirHandle() {
    if (dir_)
      closedir(dir_);
  }
  DirHandle(const DirHandle &) = delete;
  DirHandle &operator=(const DirHandle &) = delete;
  DIR *get() const { return dir_; }

private:
  DIR *dir_;
};

// Calls `visit` with the descriptor, peer address, peer port and own port of every
// connected IPv4/IPv6 socket of this process; stops when `visit` returns false.
template <typename Visit> void ForEachConnectedSocket(Visit visit) {
  DirHandle dir("/proc/self/fd");
  if (!dir.get())
    return;
  while (dirent *entry = readdir(dir.get())) {
    char *end = nullptr;
    long fd = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0')
      continue;
    sockaddr_storage peer{}, self{};
    socklen_t peer_len = sizeof peer, self_len = sizeof self;
    if (getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr *>(&peer), &peer_len) != 0 ||
        getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr *>(&self), &self_len) != 0)
      continue;
    std::string peer_text, self_text;
    int peer_port = 0, self_port = 0;
    if (!Describe(peer, peer_text, peer_port) || !Describe(self, self_text, self_port))
      continue;
    if (!visit(static_cast<int>(fd), peer_text, peer_port, self_port))
      return;
  }
}

} // namespace

bool ShutdownConnection(const std::string &remote_addr, int remote_port, int local_port) {
  bool found = false;
  ForEachConnectedSocket([&](int fd, const std::string &peer, int peer_port, int self_port) {
    if (peer != remote_addr || peer_port != remote_port || self_port != local_port)
      return true;
    shutdown(fd, SHUT_RDWR);
    found = true;
    return false;
  });
  return found;
}

void ShutdownAllConnections(int local_port) {
  ForEachConnectedSocket([&](int fd, const std::string &, int, int self_port) {
    if (self_port == local_port)
      shutdown(fd, SHUT_RDWR);
    return true;
  });
}
