#include "control.h"

#include <cctype>
#include <map>

namespace {

std::map<std::string, std::string> QueryValues(const std::string &query) {
  std::map<std::string, std::string> values;
  size_t at = 0;
  while (at <= query.size()) {
    size_t end = query.find('&', at);
    if (end == std::string::npos)
      end = query.size();
    const std::string pair = query.substr(at, end - at);
    const size_t equals = pair.find('=');
    if (!pair.empty())
      values[pair.substr(0, equals)] = equals == std::string::npos ? "" : pair.substr(equals + 1);
    at = end + 1;
  }
  return values;
}

bool ParseCount(const std::string &text, uint64_t high, uint64_t &out) {
  if (text.empty() || text.size() > 15)
    return false;
  uint64_t value = 0;
  for (unsigned char c : text) {
    if (!std::isdigit(c))
      return false;
    value = value * 10 + (c - '0');
  }
  if (value > high)
    return false;
  out = value;
  return true;
}

ControlCommand Bad(const std::string &error) {
  ControlCommand command;
  command.verb = ControlCommand::Verb::kBadRequest;
  command.error = error;
  return command;
}

} // namespace

ControlCommand ParseControlRequest(const std::string &request_line) {
  const size_t first = request_line.find(' ');
  const size_t second = first == std::string::npos ? first : request_line.find(' ', first + 1);
  if (second == std::string::npos)
    return Bad("not an HTTP request line");
  if (request_line.compare(0, first, "GET") != 0)
    return ControlCommand{};
  const std::string target = request_line.substr(first + 1, second - first - 1);
  const size_t question = target.find('?');
  const std::string path = target.substr(0, question);
  const auto values = QueryValues(question == std::string::npos ? "" : target.substr(question + 1));
  auto value = [&values](const char *name) {
    auto found = values.find(name);
    return found == values.end() ? std::string() : found->second;
  };

  ControlCommand command;
  if (path == "/stats") {
    command.verb = ControlCommand::Verb::kStats;
  } else if (path == "/reset") {
    command.verb = ControlCommand::Verb::kReset;
  } else if (path == "/rtt") {
    uint64_t ms = 0;
    if (!ParseCount(value("ms"), 60000, ms))
      return Bad("ms needs a number from 0 to 60000");
    command.verb = ControlCommand::Verb::kRtt;
    command.rtt_ms = static_cast<int>(ms);
  } else if (path == "/mode") {
    const std::string mode = value("m");
    command.verb = ControlCommand::Verb::kMode;
    if (mode == "normal") {
      command.mode = Mode::kNormal;
    } else if (mode == "silent") {
      command.mode = Mode::kSilent;
    } else if (mode == "cut") {
      command.mode = Mode::kCut;
      if (!ParseCount(value("after"), UINT64_C(1) << 40, command.after))
        return Bad("cut needs after=BYTES");
    } else {
      return Bad("m must be normal, silent or cut");
    }
  }
  return command;
}

std::string ControlAnswer(int status, const std::string &body) {
  const char *reason = status == 200 ? "OK" : status == 400 ? "Bad Request" : "Not Found";
  return "HTTP/1.1 " + std::to_string(status) + " " + reason +
         "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

std::string ModeText(Mode mode, uint64_t after) {
  switch (mode) {
  case Mode::kNormal:
    return "normal";
  case Mode::kSilent:
    return "silent";
  case Mode::kCut:
    return "cut after=" + std::to_string(after);
  }
  return "normal";
}
