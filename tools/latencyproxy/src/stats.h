#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What the control port's /stats reports: counters since the last reset and the
// recent connections with the request lines seen on each.
class Stats {
public:
  void Accepted(uint64_t id);
  void TargetConnected() { ++target_connections_; }
  void BytesToTarget(uint64_t n) { bytes_to_target_ += n; }
  void BytesToClient(uint64_t n) { bytes_to_client_ += n; }
  void Seen(uint64_t id, const char *kind, const std::vector<std::string> &request_lines);
  void Closed(uint64_t id);
  void Clear();
  // Lines "NAME VALUE", then per connection "connection ID KIND open|closed" followed
  // by its "request ID LINE" lines, oldest first.
  std::string Text(const std::string &mode, int rtt_ms) const;

private:
  struct Record {
    std::string kind = "new";
    bool open = true;
    std::vector<std::string> requests;
  };
  // Kept bounded for a proxy left running for hours.
  static constexpr size_t kMaxRecords = 1000;
  static constexpr size_t kMaxRequestsPerRecord = 1000;

  Record &RecordFor(uint64_t id);

  uint64_t accepted_ = 0;
  uint64_t target_connections_ = 0;
  uint64_t bytes_to_target_ = 0;
  uint64_t bytes_to_client_ = 0;
  std::map<uint64_t, Record> records_;
};
