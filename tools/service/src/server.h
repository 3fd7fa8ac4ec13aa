#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "endpoints.h"
#include "fault.h"
#include "request_log.h"

class Database;
namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

struct ServerOptions {
  std::string host = "127.0.0.1";
  int port = 8765;       // 0: any free port
  std::string files_dir; // served under /download/; empty: nothing to download
  // One file published under /download/ by another name (a built setup program as
  // "MoravelUpgrade_<version>.exe"); served before anything in files_dir.
  std::string published_name;
  std::string published_file;
  // PEM files of the server certificate (chain) and its key: both set, the service
  // speaks TLS only.
  std::string cert_file;
  std::string key_file;
};

// The HTTP face of the service: the nine endpoints, the operator's pages, the
// installer download and the /_control interface for tests.
class ServiceServer {
public:
  // `log_line` receives one line per request and every SMS code; it must be thread-safe.
  ServiceServer(Database &db, ServerOptions options,
                std::function<void(const std::string &)> log_line);
  ~ServiceServer();
  ServiceServer(const ServiceServer &) = delete;
  ServiceServer &operator=(const ServiceServer &) = delete;

  // Binds the listening socket; the bound port, or -1 on failure (a certificate or
  // key that could not be loaded included).
  int Bind();
  // Serves until Stop(); false when it could not serve.
  bool Run();
  // Ends Run() and cuts short slow and endless answers in progress.
  void Stop();

private:
  void AddRoutes();
  // Logs the request and applies the current fault; true when the fault has answered,
  // otherwise `fault` tells the endpoint how to bend its JSON.
  bool AnswerFault(const httplib::Request &req, httplib::Response &res, FaultSettings &fault);
  void ServeSitePage(const httplib::Request &req, httplib::Response &res);
  void ServeEndpoint(const httplib::Request &req, httplib::Response &res,
                     const FaultSettings &fault);
  void ServeDownload(const httplib::Request &req, httplib::Response &res);
  void ServeSharePage(const httplib::Request &req, httplib::Response &res);
  void ServeShareSubmit(const httplib::Request &req, httplib::Response &res);
  void ServeControl(const httplib::Request &req, httplib::Response &res);
  void StreamEndless(httplib::Response &res);
  // Sleeps up to `seconds`, waking early when the server stops.
  void SleepUnlessStopped(int seconds);
  std::string HostOf(const httplib::Request &req) const;

  Database &db_;
  ServerOptions options_;
  std::function<void(const std::string &)> log_line_;
  std::unique_ptr<httplib::Server> http_;
  Endpoints endpoints_;
  FaultState faults_;
  RequestLog requests_;
  // Replaces this server's own origin in the version record's link while set.
  std::mutex link_origin_mutex_;
  std::string link_origin_;
  std::atomic<bool> stopping_{false};
  int bound_port_ = -1;
};
