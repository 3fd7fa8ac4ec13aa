#include "request_scanner.h"

#include <algorithm>
#include <cctype>

namespace {

// Longer header blocks are not the requests this tool is for.
constexpr size_t kMaxHeader = 64 * 1024;

std::string Printable(const std::string &bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c >= 0x20 && c <= 0x7E) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

bool IsToken(const std::string &text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) {
    return std::isupper(c) || c == '-' || c == '_';
  });
}

// "METHOD TARGET HTTP/x.y" with single spaces.
bool IsRequestLine(const std::string &line) {
  const size_t first = line.find(' ');
  if (first == std::string::npos)
    return false;
  const size_t second = line.find(' ', first + 1);
  if (second == std::string::npos || second == first + 1 ||
      line.find(' ', second + 1) != std::string::npos)
    return false;
  return IsToken(line.substr(0, first)) && line.compare(second + 1, 5, "HTTP/") == 0;
}

std::string Lower(std::string text) {
  for (char &c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string &text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos)
    return "";
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

} // namespace

const char *KindName(RequestScanner::Kind kind) {
  switch (kind) {
  case RequestScanner::Kind::kNothingYet:
    return "new";
  case RequestScanner::Kind::kHttp:
    return "http";
  case RequestScanner::Kind::kTls:
    return "tls";
  case RequestScanner::Kind::kOther:
    return "other";
  }
  return "other";
}

void RequestScanner::Feed(const char *data, size_t size, std::vector<std::string> &lines) {
  size_t at = 0;
  while (at < size && state_ != State::kStopped) {
    if (state_ == State::kBody) {
      const uint64_t take = std::min<uint64_t>(body_left_, size - at);
      at += static_cast<size_t>(take);
      body_left_ -= take;
      if (body_left_ == 0)
        state_ = State::kHeader;
      continue;
    }
    if (kind_ == Kind::kNothingYet && header_.empty() &&
        static_cast<unsigned char>(data[at]) == 0x16) {
      kind_ = Kind::kTls; // a TLS handshake record: nothing more is readable
      state_ = State::kStopped;
      break;
    }
    // Clients may send an empty line between messages; it is no request.
    if (header_.empty() && (data[at] == '\r' || data[at] == '\n')) {
      ++at;
      continue;
    }
    const size_t old_size = header_.size();
    const size_t take = std::min(size - at, kMaxHeader + 4 - old_size);
    header_.append(data + at, take);
    const size_t end = header_.find("\r\n\r\n", old_size < 3 ? 0 : old_size - 3);
    if (end == std::string::npos) {
      at += take;
      if (header_.size() > kMaxHeader) {
        kind_ = Kind::kOther;
        state_ = State::kStopped;
      }
      continue;
    }
    // Only the bytes up to the blank line belong to this header block.
    at += end + 4 - old_size;
    header_.resize(end + 4);
    if (!TakeHeader(lines))
      state_ = State::kStopped;
    header_.clear();
  }
}

bool RequestScanner::TakeHeader(std::vector<std::string> &lines) {
  const size_t line_end = header_.find("\r\n");
  const std::string request_line = header_.substr(0, line_end);
  if (!IsRequestLine(request_line)) {
    if (kind_ == Kind::kNothingYet)
      kind_ = Kind::kOther;
    return false;
  }
  kind_ = Kind::kHttp;
  lines.push_back(Printable(request_line));

  uint64_t length = 0;
  size_t at = line_end + 2;
  while (at < header_.size()) {
    const size_t next = header_.find("\r\n", at);
    const std::string field = header_.substr(at, next - at);
    at = next + 2;
    const size_t colon = field.find(':');
    if (colon == std::string::npos)
      continue;
    const std::string name = Lower(Trim(field.substr(0, colon)));
    const std::string value = Trim(field.substr(colon + 1));
    if (name == "transfer-encoding")
      return false; // chunked bodies are not followed
    if (name == "content-length") {
      if (value.empty() || value.size() > 15 ||
          !std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
      length = std::stoull(value);
    }
  }
  body_left_ = length;
  state_ = length > 0 ? State::kBody : State::kHeader;
  return true;
}
