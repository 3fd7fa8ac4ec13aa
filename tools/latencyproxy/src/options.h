#pragma once
#include <string>

struct Options {
  int listen_port = 0;
  std::string port_file;
  std::string control_port_file;
  std::string target_host;
  int target_port = 0;
  int rtt_ms = 0;
  bool help = false;
};

// Reads the command line; false with `error` set on an unknown option or a bad value.
bool ParseOptions(int argc, char **argv, Options &options, std::string &error);
// Splits "HOST:PORT" ("[::1]:PORT" for an IPv6 address); false when either half is unusable.
bool SplitTarget(const std::string &text, std::string &host, int &port);
const char *UsageText();
