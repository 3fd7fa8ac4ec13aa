#pragma once
#include <deque>
#include <mutex>
#include <string>
#include <vector>

// Printable form of wire bytes: 0x21-0x7E as they are except '\', which is doubled;
// every other byte (space, control, non-ASCII) as \xHH. Unambiguous, one line.
std::string EscapeWireBytes(const std::string &bytes);

// The last requests as received, for tests that check what went on the wire.
class RequestLog {
public:
  explicit RequestLog(size_t capacity = 200) : capacity_(capacity) {}

  // Adds "METHOD TARGET body=BODY content-type=CT user-agent=UA", each part escaped.
  void Add(const std::string &method, const std::string &target, const std::string &body,
           const std::string &content_type, const std::string &user_agent);
  // All remembered lines, oldest first, each ending in '\n'.
  std::string Text() const;
  // Text() and an empty log in one step, so no request slips between the two.
  std::string Take();

private:
  size_t capacity_;
  mutable std::mutex mutex_;
  std::deque<std::string> lines_;
};
