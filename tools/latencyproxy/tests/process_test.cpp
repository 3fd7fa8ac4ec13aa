#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "test_support.h"

namespace {

int ReadPort(const std::string &path) {
  std::ifstream file(path);
  int port = 0;
  return (file >> port) ? port : 0;
}

// User plus system CPU time of a process, in clock ticks.
long CpuTicks(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14)
      utime = std::stol(field);
    if (i == 15)
      stime = std::stol(field);
  }
  return utime + stime;
}

TEST(Process, WritesItsPortsIdlesWithoutSpinningAndEndsOnSigterm) {
  EchoServer echo;
  char pattern[] = "/tmp/latencyproxy-test-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::string port_file = dir + "/port";
  const std::string control_file = dir + "/control";
  const std::string target = "127.0.0.1:" + std::to_string(echo.port());

  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    freopen("/dev/null", "w", stdout);
    execl(LATENCYPROXY_BINARY, LATENCYPROXY_BINARY, "--listen-port", "0", "--port-file",
          port_file.c_str(), "--control-port-file", control_file.c_str(), "--target",
          target.c_str(), "--rtt-ms", "30", static_cast<char *>(nullptr));
    _exit(127);
  }
  int port = 0;
  for (int i = 0; i < 100 && port == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    port = ReadPort(port_file);
  }
  ASSERT_GT(port, 0);
  const int control_port = ReadPort(control_file);
  ASSERT_GT(control_port, 0) << "the control port file comes first";

  {
    Socket client(port);
    ASSERT_TRUE(client.Send("hi"));
    EXPECT_EQ(client.Receive(2, 2000), "hi");
    // Waiting must cost no CPU: on a client that stops reading an answer, on an
    // open idle connection, and on one held by the silent mode.
    auto idle_ticks = [pid] {
      const long before = CpuTicks(pid);
      std::this_thread::sleep_for(std::chrono::milliseconds(600));
      return CpuTicks(pid) - before;
    };
    const long allowed = sysconf(_SC_CLK_TCK) / 20;
    Socket stalled(port);
    std::thread flood([&stalled] { stalled.Send(Pattern(16 << 20)); });
    EXPECT_LE(idle_ticks(), allowed) << "with a stalled reader";
    shutdown(stalled.fd(), SHUT_RDWR);
    flood.join();

    httplib::Client control("127.0.0.1", control_port);
    ASSERT_TRUE(control.Get("/mode?m=silent"));
    Socket held(port);
    ASSERT_TRUE(held.Send("GET / HTTP/1.1\r\n\r\n"));
    EXPECT_LE(idle_ticks(), allowed) << "with a silent connection";

    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int status = -1;
    for (int i = 0; i < 150 && waitpid(pid, &status, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (status == -1) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "still running 3 s after SIGTERM";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  std::filesystem::remove_all(dir);
}

// The fixture keeps the service's scheme and host (WinINet checks the name) and
// puts the proxy's port in; stop ends the proxy.
TEST(Process, FixtureWritesTheProxiedUrlAndControlAndStops) {
  EchoServer echo;
  char pattern[] = "/tmp/latencyproxy-fixture-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  std::ofstream(dir + "/service-url") << "https://localhost:" << echo.port() << "/\n";
  const std::string script = PROXY_FIXTURE_SCRIPT;
  const std::string state = dir + "/proxy";
  const std::string start = "bash " + script + " start " + state + " " + LATENCYPROXY_BINARY + " " +
                            dir + "/service-url 20 >/dev/null";
  ASSERT_EQ(std::system(start.c_str()), 0);

  std::string url, control;
  std::ifstream(state + "/url") >> url;
  std::ifstream(state + "/control") >> control;
  const std::string prefix = "https://localhost:";
  ASSERT_EQ(url.compare(0, prefix.size(), prefix), 0) << url;
  const int port = std::atoi(url.c_str() + prefix.size());
  EXPECT_NE(port, echo.port());
  EXPECT_EQ(url, prefix + std::to_string(port) + "/");
  ASSERT_EQ(control.compare(0, 17, "http://127.0.0.1:"), 0) << control;
  httplib::Client client("127.0.0.1", std::atoi(control.c_str() + 17));
  auto stats = client.Get("/stats");
  ASSERT_TRUE(stats);
  EXPECT_NE(stats->body.find("rtt_ms 20\n"), std::string::npos) << stats->body;
  {
    Socket relayed(port);
    ASSERT_TRUE(relayed.Send("x"));
    EXPECT_EQ(relayed.Receive(1, 2000), "x");
  }

  std::string pid_text;
  std::ifstream(state + "/pid") >> pid_text;
  const pid_t pid = std::atoi(pid_text.c_str());
  ASSERT_GT(pid, 0);
  ASSERT_EQ(std::system(("bash " + script + " stop " + state).c_str()), 0);
  EXPECT_NE(kill(pid, 0), 0) << "the proxy still runs after stop";
  std::filesystem::remove_all(dir);
}

} // namespace
