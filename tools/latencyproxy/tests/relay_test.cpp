#include <gtest/gtest.h>

#include <sstream>

#include "test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

// The value of "NAME VALUE" in a /stats answer, -1 when missing.
long StatsValue(const std::string &stats, const std::string &name) {
  std::istringstream lines(stats);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.compare(0, name.size() + 1, name + " ") == 0)
      return std::stol(line.substr(name.size() + 1));
  }
  return -1;
}

bool HasLine(const std::string &text, const std::string &line) {
  return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST(Relay, CarriesBothWaysInOrderAndPassesTheEnd) {
  EchoServer echo;
  RunningProxy proxy(echo.port(), 0);
  ASSERT_TRUE(proxy.ok());
  Socket client(proxy.port());
  ASSERT_TRUE(client.ok());
  // More than the proxy holds per direction, so reading pauses and resumes.
  const std::string sent = Pattern(3 << 20);
  std::thread sender([&client, &sent] { client.Send(sent); });
  const std::string echoed = client.Receive(sent.size(), 5000);
  sender.join();
  EXPECT_EQ(echoed.size(), sent.size());
  EXPECT_TRUE(echoed == sent) << "bytes reordered or damaged";

  // The client's end reaches the target, whose close comes back.
  shutdown(client.fd(), SHUT_WR);
  bool closed = false;
  EXPECT_EQ(client.Receive(1, 2000, &closed), "");
  EXPECT_TRUE(closed);

  const std::string stats = proxy.Control("/stats");
  EXPECT_EQ(StatsValue(stats, "bytes_to_target"), static_cast<long>(sent.size())) << stats;
  EXPECT_EQ(StatsValue(stats, "bytes_to_client"), static_cast<long>(sent.size())) << stats;
}

TEST(Relay, ManyConnectionsAtOnce) {
  EchoServer echo;
  RunningProxy proxy(echo.port(), 20);
  ASSERT_TRUE(proxy.ok());
  std::vector<std::unique_ptr<Socket>> clients;
  for (int i = 0; i < 50; ++i) {
    clients.push_back(std::make_unique<Socket>(proxy.port()));
    ASSERT_TRUE(clients.back()->ok());
    ASSERT_TRUE(clients.back()->Send("connection " + std::to_string(i)));
  }
  for (int i = 0; i < 50; ++i)
    EXPECT_EQ(clients[i]->Receive(std::to_string(i).size() + 11, 3000),
              "connection " + std::to_string(i));
  EXPECT_EQ(StatsValue(proxy.Control("/stats"), "target_connections"), 50);
}

// Bounds are generous on the high side: this checks the tool, the benchmarks
// measure with it.
TEST(Relay, AddsTheRoundTripAndOneMoreForANewConnection) {
  EchoServer echo;
  const int rtt = 80;
  RunningProxy proxy(echo.port(), rtt);
  ASSERT_TRUE(proxy.ok());
  auto echo_ms = [](Socket &socket, Clock::time_point start) {
    socket.Send("ping");
    const std::string answer = socket.Receive(4, 3000);
    EXPECT_EQ(answer, "ping");
    return MillisecondsSince(start);
  };

  Clock::time_point start = Clock::now();
  Socket first(proxy.port());
  ASSERT_TRUE(first.ok());
  const double opening = echo_ms(first, start);
  EXPECT_GE(opening, 2 * rtt);
  EXPECT_LT(opening, 2 * rtt + 100);
  const double again = echo_ms(first, Clock::now());
  EXPECT_GE(again, rtt);
  EXPECT_LT(again, rtt + 100);

  // Changed at run time: the open connection and a new one both follow.
  const int slower = 150;
  ASSERT_EQ(proxy.Control("/rtt?ms=" + std::to_string(slower)), "rtt_ms=150\n");
  const double changed = echo_ms(first, Clock::now());
  EXPECT_GE(changed, slower);
  EXPECT_LT(changed, slower + 100);
  start = Clock::now();
  Socket second(proxy.port());
  const double opening_slower = echo_ms(second, start);
  EXPECT_GE(opening_slower, 2 * slower);
  EXPECT_LT(opening_slower, 2 * slower + 100);

  // Lowered while bytes are on their way: the later bytes still come after them.
  ASSERT_TRUE(second.Send("a"));
  ASSERT_EQ(proxy.Control("/rtt?ms=0"), "rtt_ms=0\n");
  ASSERT_TRUE(second.Send("b"));
  EXPECT_EQ(second.Receive(2, 3000), "ab");
}

TEST(Relay, ClosesTheClientWhenTheTargetIsDown) {
  int unused_port = 0;
  {
    EchoServer gone;
    unused_port = gone.port();
  }
  RunningProxy proxy(unused_port, 0);
  ASSERT_TRUE(proxy.ok());
  Socket client(proxy.port());
  ASSERT_TRUE(client.ok());
  client.Send("GET / HTTP/1.1\r\n\r\n");
  bool closed = false;
  EXPECT_EQ(client.Receive(1, 2000, &closed), "");
  EXPECT_TRUE(closed) << "a refused target must not leave the client waiting";
  const std::string stats = proxy.Control("/stats");
  EXPECT_EQ(StatsValue(stats, "accepted"), 1) << stats;
  EXPECT_EQ(StatsValue(stats, "target_connections"), 0) << stats;
}

TEST(Relay, SilentAnswersNothingAndHoldsConnectionsUntilTheOutageEnds) {
  EchoServer echo;
  RunningProxy proxy(echo.port(), 0);
  ASSERT_TRUE(proxy.ok());
  Socket before(proxy.port());
  ASSERT_TRUE(before.Send("a"));
  ASSERT_EQ(before.Receive(1, 2000), "a");

  ASSERT_EQ(proxy.Control("/mode?m=silent"), "mode=silent\n");
  Socket during(proxy.port());
  ASSERT_TRUE(during.ok());
  for (Socket *socket : {&before, &during}) {
    ASSERT_TRUE(socket->Send("GET /ask HTTP/1.1\r\n\r\n"));
    bool closed = false;
    EXPECT_EQ(socket->Receive(1, 400, &closed), "");
    EXPECT_FALSE(closed) << "a silent service never closes";
  }
  const std::string stats = proxy.Control("/stats");
  EXPECT_EQ(StatsValue(stats, "accepted"), 2) << stats;
  EXPECT_EQ(StatsValue(stats, "target_connections"), 1)
      << "the silent connection reached the target";
  EXPECT_TRUE(HasLine(stats, "request 2 GET /ask HTTP/1.1")) << stats;

  // Back to normal: what the outage held is closed, new connections work.
  ASSERT_EQ(proxy.Control("/mode?m=normal"), "mode=normal\n");
  for (Socket *socket : {&before, &during}) {
    bool closed = false;
    socket->Receive(1 << 20, 2000, &closed);
    EXPECT_TRUE(closed);
  }
  Socket after(proxy.port());
  ASSERT_TRUE(after.Send("b"));
  EXPECT_EQ(after.Receive(1, 2000), "b");
}

TEST(Relay, CutClosesAfterTheGivenBytesOfAnswer) {
  struct Case {
    size_t before; // answered in normal mode on the same connection first
    size_t after;
  };
  const Case cases[] = {
      {0, 0},     // cut before the first byte
      {0, 1000},  // inside the first chunk
      {0, 70000}, // beyond one read of the proxy
      {500, 100}, // counted from the switch on a kept-alive connection
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("before " + std::to_string(c.before) + " after " + std::to_string(c.after));
    EchoServer echo;
    RunningProxy proxy(echo.port(), 0);
    ASSERT_TRUE(proxy.ok());
    Socket client(proxy.port());
    if (c.before > 0) {
      ASSERT_TRUE(client.Send(Pattern(c.before)));
      ASSERT_EQ(client.Receive(c.before, 2000).size(), c.before);
    }
    ASSERT_EQ(proxy.Control("/mode?m=cut&after=" + std::to_string(c.after)),
              "mode=cut after=" + std::to_string(c.after) + "\n");
    const std::string sent = Pattern(200000);
    std::thread sender([&client, &sent] { client.Send(sent); });
    bool closed = false;
    const std::string answer = client.Receive(sent.size(), 3000, &closed);
    sender.join();
    EXPECT_TRUE(closed);
    EXPECT_EQ(answer.size(), c.after);
    EXPECT_TRUE(answer == sent.substr(0, c.after));
  }
}

TEST(Stats, CountsConnectionsAndRequestLinesOverAKeptAliveConnection) {
  httplib::Server target;
  target.Get("/one", [](const httplib::Request &, httplib::Response &res) {
    res.set_content("1", "text/plain");
  });
  target.Post("/two", [](const httplib::Request &req, httplib::Response &res) {
    res.set_content(req.body, "text/plain");
  });
  const int target_port = target.bind_to_any_port("127.0.0.1");
  std::thread serving([&target] { target.listen_after_bind(); });
  {
    RunningProxy proxy(target_port, 0);
    ASSERT_TRUE(proxy.ok());
    httplib::Client client("127.0.0.1", proxy.port());
    client.set_keep_alive(true);
    auto one = client.Get("/one?k=%E5%8D%8E");
    ASSERT_TRUE(one);
    EXPECT_EQ(one->body, "1");
    // A body that reads like a request: only message boundaries count.
    auto two = client.Post("/two", "GET /fake HTTP/1.1\r\n\r\n", "text/plain");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->body, "GET /fake HTTP/1.1\r\n\r\n");

    // A TLS client's bytes are relayed but not readable.
    Socket tls(proxy.port());
    ASSERT_TRUE(tls.Send(std::string("\x16\x03\x01\x00\x10", 5) + std::string(16, 'x')));
    std::string stats;
    for (int i = 0; i < 50 && !HasLine(stats, "connection 2 tls open"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      stats = proxy.Control("/stats");
    }
    EXPECT_EQ(StatsValue(stats, "accepted"), 2) << stats;
    EXPECT_EQ(StatsValue(stats, "target_connections"), 2) << stats;
    EXPECT_GT(StatsValue(stats, "bytes_to_target"), 0) << stats;
    EXPECT_GT(StatsValue(stats, "bytes_to_client"), 0) << stats;
    EXPECT_TRUE(HasLine(stats, "connection 1 http open")) << stats;
    EXPECT_TRUE(HasLine(stats, "request 1 GET /one?k=%E5%8D%8E HTTP/1.1")) << stats;
    EXPECT_TRUE(HasLine(stats, "request 1 POST /two HTTP/1.1")) << stats;
    EXPECT_EQ(stats.find("/fake"), std::string::npos) << stats;
    EXPECT_TRUE(HasLine(stats, "connection 2 tls open")) << stats;

    EXPECT_EQ(proxy.Control("/reset"), "reset\n");
    stats = proxy.Control("/stats");
    EXPECT_EQ(StatsValue(stats, "accepted"), 0) << stats;
    EXPECT_EQ(stats.find("request "), std::string::npos) << stats;
  }
  target.stop();
  serving.join();
}

TEST(Control, RefusesBadRequestsAndKeepsItsSettings) {
  EchoServer echo;
  RunningProxy proxy(echo.port(), 40);
  ASSERT_TRUE(proxy.ok());
  const std::pair<const char *, const char *> cases[] = {
      {"/rtt?ms=abc", "HTTP 400"}, {"/rtt?ms=99999999", "HTTP 400"}, {"/mode?m=fast", "HTTP 400"},
      {"/mode?m=cut", "HTTP 400"}, {"/nothing", "HTTP 404"},
  };
  for (const auto &[path, expected] : cases)
    EXPECT_EQ(proxy.Control(path), expected) << path;
  const std::string stats = proxy.Control("/stats");
  EXPECT_TRUE(HasLine(stats, "mode normal")) << stats;
  EXPECT_EQ(StatsValue(stats, "rtt_ms"), 40) << stats;
  // /reset returns to the start's round-trip time.
  proxy.Control("/rtt?ms=5");
  proxy.Control("/reset");
  EXPECT_EQ(StatsValue(proxy.Control("/stats"), "rtt_ms"), 40);
}

} // namespace
