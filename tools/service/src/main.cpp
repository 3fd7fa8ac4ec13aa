#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <pthread.h>
#include <thread>

#include "database.h"
#include "options.h"
#include "seed.h"
#include "server.h"

namespace {

// Writes the port through a temporary file and a rename, so a fixture polling for
// the file never reads half of it.
bool WritePortFile(const std::string &path, int port) {
  const std::string temporary = path + ".tmp";
  FILE *file = std::fopen(temporary.c_str(), "w");
  if (!file)
    return false;
  bool ok = std::fprintf(file, "%d\n", port) > 0;
  ok = (std::fclose(file) == 0) && ok;
  return ok && std::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char **argv) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "%s\n%s", error.c_str(), UsageText());
    return 2;
  }
  if (options.help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  if (!options.server.published_file.empty() &&
      access(options.server.published_file.c_str(), R_OK) != 0) {
    std::fprintf(stderr, "cannot read the installer %s\n", options.server.published_file.c_str());
    return 2;
  }

  // Block the stop signals in every thread; one thread below waits for them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  Database db;
  if (!db.Open(options.db_path))
    return 1;
  if (options.seed || !db.HasSchema()) {
    if (!SeedDatabase(db)) {
      std::fprintf(stderr, "seeding %s failed\n", options.db_path.c_str());
      return 1;
    }
    std::printf("seeded %s with %d companies\n", options.db_path.c_str(), db.CompanyCount());
    std::fflush(stdout);
  }
  if (options.version.has_version || options.version.has_force || options.version.has_installer) {
    if (!ApplyVersionChange(db, options.version, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 2;
    }
  }
  if (options.seed_only)
    return 0;

  std::mutex stdout_mutex;
  ServiceServer server(db, options.server, [&stdout_mutex](const std::string &line) {
    std::lock_guard<std::mutex> lock(stdout_mutex);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  });
  int port = server.Bind();
  if (port <= 0) {
    std::fprintf(
        stderr, "cannot listen on %s:%d%s\n", options.server.host.c_str(), options.server.port,
        options.server.cert_file.empty() ? "" : " (or the certificate or key is unusable)");
    return 1;
  }
  if (!options.port_file.empty() && !WritePortFile(options.port_file, port)) {
    std::fprintf(stderr, "cannot write %s\n", options.port_file.c_str());
    return 1;
  }
  {
    std::lock_guard<std::mutex> lock(stdout_mutex);
    std::printf("listening on %s://%s:%d/\n", options.server.cert_file.empty() ? "http" : "https",
                options.server.host.c_str(), port);
    std::fflush(stdout);
  }

  std::thread signal_waiter([&server, &stop_signals] {
    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    server.Stop();
  });
  bool served = server.Run();
  // Wake the waiter when serving ended on its own.
  pthread_kill(signal_waiter.native_handle(), SIGTERM);
  signal_waiter.join();
  return served ? 0 : 1;
}
