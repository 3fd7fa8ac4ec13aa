#pragma once
#include <cstdint>
#include <string>

enum class Mode { kNormal, kSilent, kCut };

struct ControlCommand {
  enum class Verb { kRtt, kMode, kStats, kReset, kBadRequest, kNotFound };
  Verb verb = Verb::kNotFound;
  int rtt_ms = 0;
  Mode mode = Mode::kNormal;
  uint64_t after = 0;
  std::string error;
};

// Reads one control request line ("GET /mode?m=cut&after=100 HTTP/1.1").
ControlCommand ParseControlRequest(const std::string &request_line);
// A complete HTTP/1.1 answer with a text/plain body that closes the connection.
std::string ControlAnswer(int status, const std::string &body);
// "normal", "silent" or "cut after=N".
std::string ModeText(Mode mode, uint64_t after);
