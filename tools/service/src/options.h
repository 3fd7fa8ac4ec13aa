#pragma once
#include <string>

#include "release.h"
#include "server.h"

struct Options {
  ServerOptions server;
  std::string port_file;
  std::string db_path = "invoice-service.db";
  bool seed = false;
  bool seed_only = false;
  VersionChange version;
  bool help = false;
};

// Parses the command line; false with `error` set on an unknown or incomplete option.
bool ParseOptions(int argc, char **argv, Options &options, std::string &error);

// The usage text printed for --help and after a bad option.
const char *UsageText();
