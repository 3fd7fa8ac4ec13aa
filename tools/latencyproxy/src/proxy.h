#pragma once
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "control.h"
#include "request_scanner.h"
#include "stats.h"

struct ProxySettings {
  std::string target_host;
  int target_port = 0;
  int listen_port = 0; // 0: any free port
  int rtt_ms = 0;
};

// A TCP relay on 127.0.0.1 that delays every chunk by half the round-trip time in
// its direction and a new connection's first byte by one more round trip, with a
// loopback HTTP control port. One thread runs everything, so the control requests
// change connections without locks.
class LatencyProxy {
public:
  explicit LatencyProxy(const ProxySettings &settings);
  ~LatencyProxy();
  LatencyProxy(const LatencyProxy &) = delete;
  LatencyProxy &operator=(const LatencyProxy &) = delete;

  // Resolves the target and binds both loopback ports; false with `error` set.
  bool Bind(std::string &error);
  int port() const { return port_; }
  int control_port() const { return control_port_; }
  // Serves until Stop(); false when waiting for events failed.
  bool Run();
  // Safe from any thread (and before Run: Run then returns at once).
  void Stop();

private:
  using Clock = std::chrono::steady_clock;
  struct Chunk {
    Clock::time_point due;
    std::string bytes; // empty: the source's end, passed on as a shutdown
  };
  struct Direction {
    std::deque<Chunk> queue;
    size_t written = 0; // of the front chunk
    size_t queued_bytes = 0;
    bool source_open = true;
    bool ended = false;   // the end was passed on
    bool blocked = false; // the destination's buffer is full
  };
  struct Connection {
    uint64_t id = 0;
    int client = -1;
    int target = -1;
    bool connecting = false;
    Clock::time_point first_relay{}; // accepted + one round trip
    Direction up;                    // client to target
    Direction down;                  // target to client
    bool silent = false;
    bool cut = false;
    uint64_t cut_left = 0;
    bool dead = false;
    RequestScanner scanner;
  };
  struct ControlClient {
    int fd = -1;
    std::string in;
    std::string out;
    size_t sent = 0;
    bool dead = false;
  };

  void AcceptClients();
  void AcceptControl();
  void ReadClient(Connection &c);
  void ReadTarget(Connection &c);
  void FinishConnect(Connection &c);
  void Flush(Connection &c, Clock::time_point now);
  bool FlushDirection(Connection &c, Direction &d, int fd, bool to_client, Clock::time_point now);
  void Enqueue(Direction &d, Clock::time_point earliest, std::string bytes);
  void Silence(Connection &c);
  void Cut(Connection &c);
  void Kill(Connection &c);
  void ReadControl(ControlClient &client);
  void WriteControl(ControlClient &client);
  std::string Execute(const ControlCommand &command, int &status);
  Clock::duration HalfRtt() const;

  ProxySettings settings_;
  std::string target_address_; // sockaddr bytes of the resolved target
  int listener_ = -1;
  int control_listener_ = -1;
  int wake_[2] = {-1, -1};
  int port_ = 0;
  int control_port_ = 0;
  int rtt_ms_ = 0;
  Mode mode_ = Mode::kNormal;
  uint64_t cut_after_ = 0;
  uint64_t next_id_ = 1;
  Clock::time_point accept_paused_until_{};
  std::map<uint64_t, std::unique_ptr<Connection>> connections_;
  std::map<uint64_t, std::unique_ptr<ControlClient>> control_clients_;
  uint64_t next_control_id_ = 1;
  Stats stats_;
};
