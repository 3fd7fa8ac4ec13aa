#include "proxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// Reading from a side pauses while this much waits to be delivered from it, so a
// fast sender cannot grow the proxy without bound; TCP's own window then holds it.
constexpr size_t kQueueLimit = 1 << 20;
constexpr size_t kReadSize = 64 * 1024;
constexpr size_t kMaxControlRequest = 16 * 1024;
constexpr size_t kMaxControlClients = 64;

void CloseFd(int &fd) {
  if (fd >= 0)
    close(fd);
  fd = -1;
}

// Without it our small writes could wait for the peer's delayed ACK (up to 40 ms),
// which would spoil the timing the proxy promises.
void NoDelay(int fd) {
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

int ListenOnLoopback(int port, int &bound_port, std::string &error) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::string("socket: ") + std::strerror(errno);
    return -1;
  }
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
      listen(fd, 256) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
    error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
    close(fd);
    return -1;
  }
  bound_port = ntohs(address.sin_port);
  return fd;
}

timespec ToTimespec(std::chrono::steady_clock::duration wait) {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
  timespec spec{};
  spec.tv_sec = static_cast<time_t>(ns / 1000000000);
  spec.tv_nsec = static_cast<long>(ns % 1000000000);
  return spec;
}

} // namespace

LatencyProxy::LatencyProxy(const ProxySettings &settings)
    : settings_(settings), rtt_ms_(settings.rtt_ms) {
  if (pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0)
    wake_[0] = wake_[1] = -1;
}

LatencyProxy::~LatencyProxy() {
  for (auto &[id, connection] : connections_)
    Kill(*connection);
  for (auto &[id, client] : control_clients_)
    CloseFd(client->fd);
  CloseFd(listener_);
  CloseFd(control_listener_);
  CloseFd(wake_[0]);
  CloseFd(wake_[1]);
}

bool LatencyProxy::Bind(std::string &error) {
  if (wake_[0] < 0) {
    error = "cannot make the wake-up pipe";
    return false;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo *found = nullptr;
  const std::string port = std::to_string(settings_.target_port);
  const int failure = getaddrinfo(settings_.target_host.c_str(), port.c_str(), &hints, &found);
  if (failure != 0 || !found) {
    error = "cannot resolve " + settings_.target_host + ": " + gai_strerror(failure);
    return false;
  }
  // The substitute service listens on IPv4 loopback; "localhost" may list ::1 first.
  const addrinfo *chosen = found;
  for (const addrinfo *entry = found; entry; entry = entry->ai_next) {
    if (entry->ai_family == AF_INET) {
      chosen = entry;
      break;
    }
  }
  target_address_.assign(reinterpret_cast<const char *>(chosen->ai_addr), chosen->ai_addrlen);
  freeaddrinfo(found);

  listener_ = ListenOnLoopback(settings_.listen_port, port_, error);
  if (listener_ < 0)
    return false;
  control_listener_ = ListenOnLoopback(0, control_port_, error);
  return control_listener_ >= 0;
}

void LatencyProxy::Stop() {
  const char byte = 's';
  if (write(wake_[1], &byte, 1) < 0) {
    // A full pipe already holds a wake-up.
  }
}

LatencyProxy::Clock::duration LatencyProxy::HalfRtt() const {
  return std::chrono::microseconds(static_cast<int64_t>(rtt_ms_) * 500);
}

bool LatencyProxy::Run() {
  enum class Source { kWake, kListener, kControlListener, kControl, kClient, kTarget };
  struct Slot {
    Source source;
    void *item;
  };
  std::vector<pollfd> fds;
  std::vector<Slot> slots;
  bool stopping = false;
  while (!stopping) {
    fds.clear();
    slots.clear();
    auto watch = [&](int fd, short events, Source source, void *item) {
      if (fd < 0 || events == 0)
        return;
      fds.push_back(pollfd{fd, events, 0});
      slots.push_back(Slot{source, item});
    };
    std::optional<Clock::time_point> deadline;
    auto wake_at = [&deadline](Clock::time_point when) {
      if (!deadline || when < *deadline)
        deadline = when;
    };

    const Clock::time_point now = Clock::now();
    watch(wake_[0], POLLIN, Source::kWake, nullptr);
    if (now >= accept_paused_until_)
      watch(listener_, POLLIN, Source::kListener, nullptr);
    else
      wake_at(accept_paused_until_);
    watch(control_listener_, POLLIN, Source::kControlListener, nullptr);
    for (auto &[id, client] : control_clients_)
      watch(client->fd, client->out.empty() ? POLLIN : POLLOUT, Source::kControl, client.get());
    for (auto &[id, owned] : connections_) {
      Connection &c = *owned;
      short client_events = 0;
      short target_events = 0;
      if (c.up.source_open && (c.silent || c.up.queued_bytes < kQueueLimit))
        client_events |= POLLIN;
      if (c.down.blocked)
        client_events |= POLLOUT;
      if (c.connecting || c.up.blocked)
        target_events |= POLLOUT;
      if (!c.connecting && c.down.source_open && c.down.queued_bytes < kQueueLimit)
        target_events |= POLLIN;
      watch(c.client, client_events, Source::kClient, &c);
      watch(c.target, target_events, Source::kTarget, &c);
      if (!c.up.queue.empty() && !c.up.blocked && !c.connecting && c.target >= 0)
        wake_at(c.up.queue.front().due);
      if (!c.down.queue.empty() && !c.down.blocked)
        wake_at(c.down.queue.front().due);
    }

    timespec wait{};
    if (deadline)
      wait = ToTimespec(std::max(Clock::duration::zero(), *deadline - now));
    const int ready = ppoll(fds.data(), fds.size(), deadline ? &wait : nullptr, nullptr);
    if (ready < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }

    for (size_t i = 0; i < fds.size(); ++i) {
      const short events = fds[i].revents;
      if (events == 0)
        continue;
      const bool readable = events & (POLLIN | POLLHUP | POLLERR);
      switch (slots[i].source) {
      case Source::kWake:
        stopping = true;
        break;
      case Source::kListener:
        AcceptClients();
        break;
      case Source::kControlListener:
        AcceptControl();
        break;
      case Source::kControl: {
        ControlClient &client = *static_cast<ControlClient *>(slots[i].item);
        if (client.out.empty() && readable)
          ReadControl(client);
        else if (!client.out.empty())
          WriteControl(client);
        break;
      }
      case Source::kClient: {
        Connection &c = *static_cast<Connection *>(slots[i].item);
        if (c.dead)
          break;
        if (events & POLLOUT)
          c.down.blocked = false;
        if (readable && (fds[i].events & POLLIN))
          ReadClient(c);
        else if (events & (POLLHUP | POLLERR))
          Kill(c);
        break;
      }
      case Source::kTarget: {
        Connection &c = *static_cast<Connection *>(slots[i].item);
        if (c.dead)
          break;
        if (c.connecting) {
          FinishConnect(c);
          break;
        }
        if (events & POLLOUT)
          c.up.blocked = false;
        if (readable && (fds[i].events & POLLIN))
          ReadTarget(c);
        else if (events & (POLLHUP | POLLERR))
          Kill(c);
        break;
      }
      }
    }

    const Clock::time_point after = Clock::now();
    for (auto &[id, owned] : connections_) {
      if (!owned->dead && !owned->silent)
        Flush(*owned, after);
    }
    for (auto it = connections_.begin(); it != connections_.end();)
      it = it->second->dead ? connections_.erase(it) : std::next(it);
    for (auto it = control_clients_.begin(); it != control_clients_.end();)
      it = it->second->dead ? control_clients_.erase(it) : std::next(it);
  }
  return true;
}

void LatencyProxy::AcceptClients() {
  for (;;) {
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED)
        continue;
      // Out of descriptors: the listener stays readable, so waiting on it would spin.
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
        accept_paused_until_ = Clock::now() + std::chrono::milliseconds(100);
      return;
    }
    NoDelay(fd);
    auto owned = std::make_unique<Connection>();
    Connection &c = *owned;
    c.id = next_id_++;
    c.client = fd;
    c.first_relay = Clock::now() + std::chrono::milliseconds(rtt_ms_);
    stats_.Accepted(c.id);
    connections_[c.id] = std::move(owned);
    if (mode_ == Mode::kSilent) {
      c.silent = true;
      continue;
    }
    c.cut = mode_ == Mode::kCut;
    c.cut_left = cut_after_;
    const auto *address = reinterpret_cast<const sockaddr *>(target_address_.data());
    c.target = socket(address->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (c.target < 0) {
      Kill(c);
      continue;
    }
    NoDelay(c.target);
    if (connect(c.target, address, static_cast<socklen_t>(target_address_.size())) == 0) {
      stats_.TargetConnected();
    } else if (errno == EINPROGRESS) {
      c.connecting = true;
    } else {
      Kill(c);
    }
  }
}

void LatencyProxy::FinishConnect(Connection &c) {
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(c.target, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
    Kill(c);
    return;
  }
  c.connecting = false;
  stats_.TargetConnected();
}

void LatencyProxy::Enqueue(Direction &d, Clock::time_point earliest, std::string bytes) {
  // Only the front chunk is ever sent, so a lowered round-trip time cannot let
  // later bytes overtake earlier ones.
  d.queued_bytes += bytes.size();
  d.queue.push_back(Chunk{std::max(Clock::now(), earliest) + HalfRtt(), std::move(bytes)});
}

void LatencyProxy::ReadClient(Connection &c) {
  char buffer[kReadSize];
  const ssize_t n = recv(c.client, buffer, sizeof buffer, 0);
  if (n < 0) {
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
      Kill(c);
    return;
  }
  if (n == 0) {
    c.up.source_open = false;
    // A silent service holds on to what the client left behind.
    if (!c.silent)
      Enqueue(c.up, c.first_relay, std::string());
    return;
  }
  std::vector<std::string> lines;
  const auto kind_before = c.scanner.kind();
  c.scanner.Feed(buffer, static_cast<size_t>(n), lines);
  if (!lines.empty() || c.scanner.kind() != kind_before)
    stats_.Seen(c.id, KindName(c.scanner.kind()), lines);
  if (!c.silent)
    Enqueue(c.up, c.first_relay, std::string(buffer, static_cast<size_t>(n)));
}

void LatencyProxy::ReadTarget(Connection &c) {
  char buffer[kReadSize];
  const ssize_t n = recv(c.target, buffer, sizeof buffer, 0);
  if (n < 0) {
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
      Kill(c);
    return;
  }
  if (n == 0)
    c.down.source_open = false;
  Enqueue(c.down, Clock::time_point{}, std::string(buffer, static_cast<size_t>(n)));
}

void LatencyProxy::Flush(Connection &c, Clock::time_point now) {
  if (!c.connecting && c.target >= 0 && !FlushDirection(c, c.up, c.target, false, now))
    return;
  if (!FlushDirection(c, c.down, c.client, true, now))
    return;
  if (c.up.ended && c.down.ended)
    Kill(c);
}

bool LatencyProxy::FlushDirection(Connection &c, Direction &d, int fd, bool to_client,
                                  Clock::time_point now) {
  while (!d.blocked && !d.queue.empty() && d.queue.front().due <= now) {
    Chunk &chunk = d.queue.front();
    if (chunk.bytes.empty()) {
      shutdown(fd, SHUT_WR);
      d.ended = true;
      d.queue.pop_front();
      continue;
    }
    size_t length = chunk.bytes.size() - d.written;
    if (to_client && c.cut) {
      if (c.cut_left == 0) {
        Cut(c);
        return false;
      }
      length = static_cast<size_t>(std::min<uint64_t>(length, c.cut_left));
    }
    const ssize_t n = send(fd, chunk.bytes.data() + d.written, length, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        d.blocked = true;
        break;
      }
      Kill(c);
      return false;
    }
    const size_t sent = static_cast<size_t>(n);
    d.written += sent;
    d.queued_bytes -= sent;
    if (to_client)
      stats_.BytesToClient(sent);
    else
      stats_.BytesToTarget(sent);
    if (d.written == chunk.bytes.size()) {
      d.queue.pop_front();
      d.written = 0;
    }
    if (to_client && c.cut) {
      c.cut_left -= sent;
      if (c.cut_left == 0) {
        Cut(c);
        return false;
      }
    }
    if (sent < length) {
      d.blocked = true;
      break;
    }
  }
  return true;
}

void LatencyProxy::Cut(Connection &c) {
  // Unread input would turn the close into a reset, which may throw away the
  // answer bytes the client has not read yet; the point is a short answer.
  char buffer[kReadSize];
  for (int i = 0; i < 16 && recv(c.client, buffer, sizeof buffer, 0) > 0; ++i) {
  }
  Kill(c);
}

void LatencyProxy::Silence(Connection &c) {
  c.silent = true;
  c.cut = false;
  c.connecting = false;
  CloseFd(c.target);
  for (Direction *d : {&c.up, &c.down}) {
    d->queue.clear();
    d->queued_bytes = 0;
    d->written = 0;
    d->blocked = false;
  }
}

void LatencyProxy::Kill(Connection &c) {
  if (c.dead)
    return;
  CloseFd(c.client);
  CloseFd(c.target);
  c.dead = true;
  stats_.Closed(c.id);
}

void LatencyProxy::AcceptControl() {
  for (;;) {
    int fd = accept4(control_listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED)
        continue;
      return;
    }
    if (control_clients_.size() >= kMaxControlClients) {
      close(fd);
      continue;
    }
    auto client = std::make_unique<ControlClient>();
    client->fd = fd;
    control_clients_[next_control_id_++] = std::move(client);
  }
}

void LatencyProxy::ReadControl(ControlClient &client) {
  char buffer[4096];
  const ssize_t n = recv(client.fd, buffer, sizeof buffer, 0);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
    return;
  if (n <= 0) {
    CloseFd(client.fd);
    client.dead = true;
    return;
  }
  client.in.append(buffer, static_cast<size_t>(n));
  size_t end = client.in.find("\r\n\r\n");
  if (end == std::string::npos)
    end = client.in.find("\n\n");
  if (end == std::string::npos) {
    if (client.in.size() > kMaxControlRequest)
      client.out = ControlAnswer(400, "request too long\n");
    else
      return;
  } else {
    std::string line = client.in.substr(0, client.in.find('\n'));
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    int status = 200;
    const std::string body = Execute(ParseControlRequest(line), status);
    client.out = ControlAnswer(status, body);
  }
  WriteControl(client);
}

void LatencyProxy::WriteControl(ControlClient &client) {
  const ssize_t n = send(client.fd, client.out.data() + client.sent,
                         client.out.size() - client.sent, MSG_NOSIGNAL);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
    return;
  if (n > 0)
    client.sent += static_cast<size_t>(n);
  if (n < 0 || client.sent == client.out.size()) {
    CloseFd(client.fd);
    client.dead = true;
  }
}

std::string LatencyProxy::Execute(const ControlCommand &command, int &status) {
  status = 200;
  switch (command.verb) {
  case ControlCommand::Verb::kNotFound:
    status = 404;
    return "not found\n";
  case ControlCommand::Verb::kBadRequest:
    status = 400;
    return command.error + "\n";
  case ControlCommand::Verb::kStats:
    return stats_.Text(ModeText(mode_, cut_after_), rtt_ms_);
  case ControlCommand::Verb::kRtt:
    rtt_ms_ = command.rtt_ms;
    return "rtt_ms=" + std::to_string(rtt_ms_) + "\n";
  case ControlCommand::Verb::kMode:
  case ControlCommand::Verb::kReset:
    break;
  }
  const bool reset = command.verb == ControlCommand::Verb::kReset;
  const Mode mode = reset ? Mode::kNormal : command.mode;
  const uint64_t after = reset ? 0 : command.after;
  for (auto &[id, owned] : connections_) {
    Connection &c = *owned;
    if (c.dead)
      continue;
    if (mode == Mode::kSilent) {
      Silence(c);
    } else if (c.silent) {
      // The outage is over: what it held gets closed, so clients stop waiting on it.
      Kill(c);
    } else {
      c.cut = mode == Mode::kCut;
      c.cut_left = after;
    }
  }
  mode_ = mode;
  cut_after_ = after;
  if (reset) {
    rtt_ms_ = settings_.rtt_ms;
    stats_.Clear();
    return "reset\n";
  }
  return "mode=" + ModeText(mode_, cut_after_) + "\n";
}
