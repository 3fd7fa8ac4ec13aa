#include "stats.h"

void Stats::Accepted(uint64_t id) {
  ++accepted_;
  RecordFor(id);
}

Stats::Record &Stats::RecordFor(uint64_t id) {
  auto found = records_.find(id);
  if (found != records_.end())
    return found->second;
  if (records_.size() >= kMaxRecords)
    records_.erase(records_.begin());
  return records_[id];
}

void Stats::Seen(uint64_t id, const char *kind, const std::vector<std::string> &request_lines) {
  // After a reset a connection that lived through it reappears once it is used again.
  Record &record = RecordFor(id);
  record.kind = kind;
  for (const std::string &line : request_lines) {
    if (record.requests.size() < kMaxRequestsPerRecord)
      record.requests.push_back(line);
  }
}

void Stats::Closed(uint64_t id) {
  auto found = records_.find(id);
  if (found != records_.end())
    found->second.open = false;
}

void Stats::Clear() {
  accepted_ = target_connections_ = bytes_to_target_ = bytes_to_client_ = 0;
  records_.clear();
}

std::string Stats::Text(const std::string &mode, int rtt_ms) const {
  std::string out = "mode " + mode + "\n";
  out += "rtt_ms " + std::to_string(rtt_ms) + "\n";
  out += "accepted " + std::to_string(accepted_) + "\n";
  out += "target_connections " + std::to_string(target_connections_) + "\n";
  out += "bytes_to_target " + std::to_string(bytes_to_target_) + "\n";
  out += "bytes_to_client " + std::to_string(bytes_to_client_) + "\n";
  for (const auto &[id, record] : records_) {
    const std::string number = std::to_string(id);
    out += "connection " + number + " " + record.kind + (record.open ? " open\n" : " closed\n");
    for (const std::string &line : record.requests)
      out += "request " + number + " " + line + "\n";
  }
  return out;
}
