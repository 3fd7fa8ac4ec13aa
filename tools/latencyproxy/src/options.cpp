#include "options.h"

#include <cstdlib>

namespace {

bool ParseNumber(const std::string &text, long low, long high, int &out) {
  if (text.empty() || text.size() > 9)
    return false;
  char *end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || value < low || value > high || text[0] == '-' || text[0] == '+')
    return false;
  out = static_cast<int>(value);
  return true;
}

} // namespace

bool SplitTarget(const std::string &text, std::string &host, int &port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0)
    return false;
  host = text.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  return ParseNumber(text.substr(colon + 1), 1, 65535, port);
}

bool ParseOptions(int argc, char **argv, Options &options, std::string &error) {
  bool has_target = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string &out) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--listen-port") {
      if (!value(text))
        return false;
      if (!ParseNumber(text, 0, 65535, options.listen_port)) {
        error = "--listen-port needs a number from 0 to 65535";
        return false;
      }
    } else if (arg == "--port-file") {
      if (!value(options.port_file))
        return false;
    } else if (arg == "--control-port-file") {
      if (!value(options.control_port_file))
        return false;
    } else if (arg == "--target") {
      if (!value(text))
        return false;
      if (!SplitTarget(text, options.target_host, options.target_port)) {
        error = "--target needs HOST:PORT";
        return false;
      }
      has_target = true;
    } else if (arg == "--rtt-ms") {
      if (!value(text))
        return false;
      if (!ParseNumber(text, 0, 60000, options.rtt_ms)) {
        error = "--rtt-ms needs a number from 0 to 60000";
        return false;
      }
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (!options.help && !has_target) {
    error = "--target HOST:PORT is needed";
    return false;
  }
  return true;
}

const char *UsageText() {
  return "usage: latencyproxy --target HOST:PORT [--listen-port N] [--port-file F]\n"
         "                    [--rtt-ms MS] [--control-port-file F]\n"
         "Relays TCP from 127.0.0.1:N (0 = any free port) to HOST:PORT, adding half the\n"
         "round-trip time each way and one more round trip before a new connection's\n"
         "first byte. Control on loopback: GET /rtt?ms=N, /mode?m=normal|silent|cut&after=N,\n"
         "/stats, /reset. SIGINT/SIGTERM stop it.\n";
}
