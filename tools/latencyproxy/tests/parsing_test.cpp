#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control.h"
#include "options.h"
#include "request_scanner.h"

namespace {

struct ScanCase {
  const char *name;
  std::string stream;
  std::vector<std::string> lines;
  RequestScanner::Kind kind;
};

std::vector<std::string> ScanInPieces(const std::string &stream, size_t piece,
                                      RequestScanner &scanner) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < stream.size(); at += piece)
    scanner.Feed(stream.data() + at, std::min(piece, stream.size() - at), lines);
  return lines;
}

using Kind = RequestScanner::Kind;

TEST(RequestScanner, FindsRequestLinesAtMessageBoundariesOnly) {
  const std::string post_with_lookalike_body =
      "POST /Invoice_addFaiao HTTP/1.1\r\nHost: x\r\ncontent-length:  22 \r\n\r\n"
      "GET /fake HTTP/1.1\r\n\r\n";
  const ScanCase cases[] = {
      // Kept-alive connections: several messages, bodies skipped by their length.
      {"two gets",
       "GET /a?k=1 HTTP/1.1\r\nHost: x\r\n\r\nGET /b HTTP/1.1\r\n\r\n",
       {"GET /a?k=1 HTTP/1.1", "GET /b HTTP/1.1"},
       Kind::kHttp},
      {"body that looks like a request",
       post_with_lookalike_body + "GET /after HTTP/1.1\r\n\r\n",
       {"POST /Invoice_addFaiao HTTP/1.1", "GET /after HTTP/1.1"},
       Kind::kHttp},
      {"empty line between messages",
       "GET /a HTTP/1.1\r\n\r\n\r\nGET /b HTTP/1.1\r\n\r\n",
       {"GET /a HTTP/1.1", "GET /b HTTP/1.1"},
       Kind::kHttp},
      // Raw GBK in a query stays one printable line.
      {"bytes outside ascii",
       "GET /q?n=\xD3\xC3\\ HTTP/1.1\r\n\r\n",
       {"GET /q?n=\\xD3\\xC3\\\\ HTTP/1.1"},
       Kind::kHttp},
      // What cannot be followed ends the scan instead of inventing requests.
      {"chunked body",
       "POST /c HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nGET /x HTTP/1.1\r\n\r\n",
       {"POST /c HTTP/1.1"},
       Kind::kHttp},
      {"bad length",
       "POST /c HTTP/1.1\r\nContent-Length: 1x\r\n\r\nGET /x HTTP/1.1\r\n\r\n",
       {"POST /c HTTP/1.1"},
       Kind::kHttp},
      {"tls hello",
       std::string("\x16\x03\x01\x02\x00", 5) + "GET /x HTTP/1.1\r\n\r\n",
       {},
       Kind::kTls},
      {"not http", "hello there\r\n\r\nGET /x HTTP/1.1\r\n\r\n", {}, Kind::kOther},
      {"endless header", "GET /a HTTP/1.1\r\nX: " + std::string(70000, 'a'), {}, Kind::kOther},
      {"nothing complete", "GET /a HTTP/1.1\r\nHost: x\r\n", {}, Kind::kNothingYet},
  };
  for (const ScanCase &c : cases) {
    // Whole, and a byte at a time: boundaries may fall anywhere in a TCP stream.
    for (size_t piece : {c.stream.size(), size_t{1}}) {
      RequestScanner scanner;
      EXPECT_EQ(ScanInPieces(c.stream, piece, scanner), c.lines)
          << c.name << ", pieces of " << piece;
      EXPECT_EQ(scanner.kind(), c.kind) << c.name << ", pieces of " << piece;
    }
  }
}

TEST(ControlRequest, ReadsCommandsAndRefusesBadValues) {
  struct Case {
    const char *line;
    ControlCommand::Verb verb;
  };
  using Verb = ControlCommand::Verb;
  const Case cases[] = {
      {"GET /stats HTTP/1.1", Verb::kStats},
      {"GET /reset HTTP/1.1", Verb::kReset},
      {"GET /rtt?ms=150 HTTP/1.1", Verb::kRtt},
      {"GET /mode?m=silent HTTP/1.1", Verb::kMode},
      {"GET /mode?after=7&m=cut HTTP/1.1", Verb::kMode},
      {"GET /rtt?ms=abc HTTP/1.1", Verb::kBadRequest},
      {"GET /rtt?ms=-1 HTTP/1.1", Verb::kBadRequest},
      {"GET /rtt?ms=60001 HTTP/1.1", Verb::kBadRequest},
      {"GET /rtt HTTP/1.1", Verb::kBadRequest},
      {"GET /mode?m=fast HTTP/1.1", Verb::kBadRequest},
      {"GET /mode?m=cut HTTP/1.1", Verb::kBadRequest},
      {"GET /mode?m=cut&after=99999999999999999 HTTP/1.1", Verb::kBadRequest},
      {"POST /stats HTTP/1.1", Verb::kNotFound},
      {"GET /other HTTP/1.1", Verb::kNotFound},
      {"garbage", Verb::kBadRequest},
      {"", Verb::kBadRequest},
  };
  for (const Case &c : cases)
    EXPECT_EQ(ParseControlRequest(c.line).verb, c.verb) << c.line;
  EXPECT_EQ(ParseControlRequest("GET /rtt?ms=150 HTTP/1.1").rtt_ms, 150);
  const ControlCommand cut = ParseControlRequest("GET /mode?after=7&m=cut HTTP/1.1");
  EXPECT_EQ(cut.mode, Mode::kCut);
  EXPECT_EQ(cut.after, 7u);
}

TEST(Options, RefusesUnusableValues) {
  const std::vector<std::vector<const char *>> bad = {
      {"--rtt-ms", "-5", "--target", "127.0.0.1:80"},
      {"--rtt-ms", "1e3", "--target", "127.0.0.1:80"},
      {"--listen-port", "70000", "--target", "127.0.0.1:80"},
      {"--target", "127.0.0.1"},
      {"--target", "127.0.0.1:0"},
      {"--target", ":80"},
      {"--port-file"},
      {"--rtt-ms", "10"},
  };
  for (const auto &args : bad) {
    std::vector<char *> argv{const_cast<char *>("latencyproxy")};
    for (const char *arg : args)
      argv.push_back(const_cast<char *>(arg));
    Options options;
    std::string error;
    EXPECT_FALSE(ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error))
        << args[0];
    EXPECT_FALSE(error.empty());
  }
  std::string host;
  int port = 0;
  ASSERT_TRUE(SplitTarget("[::1]:8765", host, port));
  EXPECT_EQ(host, "::1");
  EXPECT_EQ(port, 8765);
}

} // namespace
