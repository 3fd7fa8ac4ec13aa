#include "options.h"

#include <cstdlib>

bool ParseOptions(int argc, char **argv, Options &options, std::string &error) {
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
    } else if (arg == "--seed") {
      options.seed = true;
    } else if (arg == "--seed-only") {
      options.seed = options.seed_only = true;
    } else if (arg == "--port") {
      if (!value(text))
        return false;
      char *end = nullptr;
      long port = std::strtol(text.c_str(), &end, 10);
      if (text.empty() || *end != '\0' || port < 0 || port > 65535) {
        error = "--port needs a number from 0 to 65535";
        return false;
      }
      options.server.port = static_cast<int>(port);
    } else if (arg == "--host") {
      if (!value(options.server.host))
        return false;
    } else if (arg == "--port-file") {
      if (!value(options.port_file))
        return false;
    } else if (arg == "--db") {
      if (!value(options.db_path))
        return false;
    } else if (arg == "--files") {
      if (!value(options.server.files_dir))
        return false;
    } else if (arg == "--cert") {
      if (!value(options.server.cert_file))
        return false;
    } else if (arg == "--key") {
      if (!value(options.server.key_file))
        return false;
    } else if (arg == "--version") {
      if (!value(options.version.version))
        return false;
      options.version.has_version = true;
    } else if (arg == "--force") {
      if (!value(options.version.force))
        return false;
      options.version.has_force = true;
    } else if (arg == "--installer") {
      if (!value(options.version.installer))
        return false;
      options.version.has_installer = true;
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (options.server.cert_file.empty() != options.server.key_file.empty()) {
    error = "--cert and --key go together";
    return false;
  }
  // A path names a built setup program, published as the version's upgrade installer.
  if (options.version.has_installer && options.version.installer.find('/') != std::string::npos) {
    if (!options.version.has_version) {
      error = "--installer FILE needs --version";
      return false;
    }
    options.server.published_file = options.version.installer;
    options.server.published_name = "MoravelUpgrade_" + options.version.version + ".exe";
    options.version.installer = options.server.published_name;
  }
  return true;
}

const char *UsageText() {
  return "usage: invoice-service [options]\n"
         "  --port N          port to listen on (0: any free port; default 8765)\n"
         "  --host ADDR       address to listen on (default 127.0.0.1)\n"
         "  --port-file F     write the bound port to F once listening\n"
         "  --db PATH         SQLite database (default invoice-service.db)\n"
         "  --seed            recreate the database with the demo data, then serve\n"
         "  --seed-only       recreate the database with the demo data and exit\n"
         "  --files DIR       folder served under /download/\n"
         "  --cert F --key K  serve HTTPS only, with the PEM certificate (chain) F and key K\n"
         "  --version X       published version number (installer MoravelUpgrade_X.exe)\n"
         "  --force 0|1       whether the published version is a forced update\n"
         "  --installer NAME  installer file name under /download/; a path (with '/') is a file\n"
         "                    published as MoravelUpgrade_<--version>.exe\n";
}
