#include "request_log.h"

namespace {

std::string JoinLines(const std::deque<std::string> &lines) {
  std::string text;
  for (const auto &line : lines)
    text += line + "\n";
  return text;
}

} // namespace

std::string EscapeWireBytes(const std::string &bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      out += "\\\\";
    } else if (c > 0x20 && c < 0x7F) {
      out += ch;
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

void RequestLog::Add(const std::string &method, const std::string &target, const std::string &body,
                     const std::string &content_type, const std::string &user_agent) {
  std::string line = EscapeWireBytes(method) + " " + EscapeWireBytes(target) +
                     " body=" + EscapeWireBytes(body) +
                     " content-type=" + EscapeWireBytes(content_type) +
                     " user-agent=" + EscapeWireBytes(user_agent);
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.push_back(std::move(line));
  while (lines_.size() > capacity_)
    lines_.pop_front();
}

std::string RequestLog::Text() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return JoinLines(lines_);
}

std::string RequestLog::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string text = JoinLines(lines_);
  lines_.clear();
  return text;
}
