#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Finds the request lines in what a client sends on one connection, reading only
// as much HTTP as it takes to find the next message boundary (headers, then a
// Content-Length body). Anything it cannot follow ends the scan; the relay itself
// never depends on it.
class RequestScanner {
public:
  enum class Kind { kNothingYet, kHttp, kTls, kOther };

  // Appends to `lines` the request lines completed by these bytes, with bytes
  // outside printable ASCII and the backslash written as \xHH and \\.
  void Feed(const char *data, size_t size, std::vector<std::string> &lines);
  Kind kind() const { return kind_; }

private:
  enum class State { kHeader, kBody, kStopped };
  // Handles one complete header block; false when the scan cannot go on.
  bool TakeHeader(std::vector<std::string> &lines);

  Kind kind_ = Kind::kNothingYet;
  State state_ = State::kHeader;
  std::string header_;
  uint64_t body_left_ = 0;
};

const char *KindName(RequestScanner::Kind kind);
