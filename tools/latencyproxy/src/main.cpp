#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <string>
#include <thread>

#include "options.h"
#include "proxy.h"

namespace {

// Through a temporary file and a rename, so a fixture polling for the file never
// reads half of it.
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

  // Block the stop signals in every thread; one thread below waits for them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  ProxySettings settings;
  settings.target_host = options.target_host;
  settings.target_port = options.target_port;
  settings.listen_port = options.listen_port;
  settings.rtt_ms = options.rtt_ms;
  LatencyProxy proxy(settings);
  if (!proxy.Bind(error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  // The control port file first: whoever waits for the port file finds both.
  if (!options.control_port_file.empty() &&
      !WritePortFile(options.control_port_file, proxy.control_port())) {
    std::fprintf(stderr, "cannot write %s\n", options.control_port_file.c_str());
    return 1;
  }
  if (!options.port_file.empty() && !WritePortFile(options.port_file, proxy.port())) {
    std::fprintf(stderr, "cannot write %s\n", options.port_file.c_str());
    return 1;
  }
  std::printf("relaying 127.0.0.1:%d to %s:%d, round trip %d ms, control 127.0.0.1:%d\n",
              proxy.port(), options.target_host.c_str(), options.target_port, options.rtt_ms,
              proxy.control_port());
  std::fflush(stdout);

  std::thread signal_waiter([&proxy, &stop_signals] {
    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    proxy.Stop();
  });
  const bool served = proxy.Run();
  // Wake the waiter when serving ended on its own.
  pthread_kill(signal_waiter.native_handle(), SIGTERM);
  signal_waiter.join();
  return served ? 0 : 1;
}
