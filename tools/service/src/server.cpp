#include "server.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>

#include <httplib.h>

#include "connection.h"
#include "database.h"
#include "form.h"
#include "gbk.h"
#include "pages.h"
#include "release.h"

namespace {

constexpr size_t kWorkerThreads = 16;
constexpr size_t kEndlessCap = 64u << 20;
constexpr int kMaxFaultSeconds = 600;
// Marks a dropped connection in the log; nothing with this status reaches the wire.
constexpr int kDroppedStatus = 444;

const char *const kJsonType = "application/json; charset=GBK";
const char *const kHtmlType = "text/html; charset=utf-8";
const char *const kTextType = "text/plain; charset=utf-8";

std::string QueryOf(const httplib::Request &req) {
  size_t question = req.target.find('?');
  return question == std::string::npos ? std::string() : req.target.substr(question + 1);
}

// A control or page parameter: percent-decoded, '+' kept (these come from tests and
// browsers that escape '+' themselves).
bool QueryValue(const httplib::Request &req, const char *name, std::string &value) {
  std::string raw;
  if (!FindField(ParseFormFields(QueryOf(req)), name, raw))
    return false;
  value = DecodeRawValue(raw);
  return true;
}

void SetJson(httplib::Response &res, int status, const JsonNode &envelope) {
  res.status = status;
  res.set_content(WriteJson(ToGbk(envelope)), kJsonType);
}

JsonNode ErrorEnvelope(int code, const char *msg) {
  return MakeEnvelope(code, JsonNode::Null(), msg);
}

void SetText(httplib::Response &res, int status, const std::string &text) {
  res.status = status;
  res.set_content(text, kTextType);
}

bool ReadFile(const std::string &path, std::string &content) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  content = buffer.str();
  return static_cast<bool>(in) || in.eof();
}

} // namespace

ServiceServer::ServiceServer(Database &db, ServerOptions options,
                             std::function<void(const std::string &)> log_line)
    : db_(db), options_(std::move(options)), log_line_(std::move(log_line)),
      http_(options_.cert_file.empty()
                ? std::make_unique<httplib::Server>()
                : std::make_unique<httplib::SSLServer>(options_.cert_file.c_str(),
                                                       options_.key_file.c_str())),
      endpoints_(db, [this](const std::string &phone, const std::string &code) {
        if (log_line_)
          log_line_("SMS " + phone + " " + code);
      }) {
  // Several workers, so /_control answers while slow or endless answers are running.
  http_->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
  // Headers and body go out in separate writes; with Nagle on, every answer waits
  // for the client's delayed ACK (about 40 ms a request).
  http_->set_tcp_nodelay(true);
  // A kept connection serves as many requests as a stock web server's does (Apache's
  // default, idle 5 s as there); the library's own limit of 5 closed one in five reads.
  http_->set_keep_alive_max_count(100);
  http_->set_keep_alive_timeout(5);
  http_->set_logger([this](const httplib::Request &req, const httplib::Response &res) {
    if (log_line_)
      log_line_(req.method + " " + EscapeWireBytes(req.target) + " " + std::to_string(res.status));
  });
  AddRoutes();
}

ServiceServer::~ServiceServer() { Stop(); }

int ServiceServer::Bind() {
  // A client that hangs up mid-answer must not kill the service with SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  if (!http_->is_valid())
    return bound_port_ = -1;
  if (options_.port == 0) {
    bound_port_ = http_->bind_to_any_port(options_.host);
  } else {
    bound_port_ = http_->bind_to_port(options_.host, options_.port) ? options_.port : -1;
  }
  return bound_port_;
}

bool ServiceServer::Run() { return bound_port_ > 0 && http_->listen_after_bind(); }

void ServiceServer::Stop() {
  stopping_ = true;
  http_->stop();
  if (bound_port_ > 0)
    ShutdownAllConnections(bound_port_);
}

void ServiceServer::SleepUnlessStopped(int seconds) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!stopping_ && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

std::string ServiceServer::HostOf(const httplib::Request &req) const {
  std::string host = req.get_header_value("Host");
  return host.empty() ? options_.host + ":" + std::to_string(bound_port_) : host;
}

void ServiceServer::AddRoutes() {
  using httplib::Request;
  using httplib::Response;
  http_->Get(R"(/_control/.*)",
             [this](const Request &req, Response &res) { ServeControl(req, res); });

  // Every other request is logged and may meet a fault before it is served.
  auto page = [this](void (ServiceServer::*serve)(const Request &, Response &)) {
    return [this, serve](const Request &req, Response &res) {
      FaultSettings fault;
      if (!AnswerFault(req, res, fault))
        (this->*serve)(req, res);
    };
  };
  http_->Get("/", page(&ServiceServer::ServeSitePage));
  http_->Get("/help.html", page(&ServiceServer::ServeSitePage));
  http_->Get("/fapiao/e.html", page(&ServiceServer::ServeSharePage));
  http_->Post("/fapiao/submit", page(&ServiceServer::ServeShareSubmit));
  http_->Get(R"(/download/([^/]+))", page(&ServiceServer::ServeDownload));
  // Everything else: one of the nine endpoints, or 404.
  auto endpoint = [this](const Request &req, Response &res) {
    FaultSettings fault;
    if (!AnswerFault(req, res, fault))
      ServeEndpoint(req, res, fault);
  };
  http_->Get(R"(/.*)", endpoint);
  http_->Post(R"(/.*)", endpoint);
}

bool ServiceServer::AnswerFault(const httplib::Request &req, httplib::Response &res,
                                FaultSettings &fault) {
  requests_.Add(req.method, req.target, req.body, req.get_header_value("Content-Type"),
                req.get_header_value("User-Agent"));
  fault = faults_.For(req.path);
  switch (fault.mode) {
  case FaultMode::NotFound:
    SetJson(res, 404, ErrorEnvelope(404, "Not Found"));
    return true;
  case FaultMode::ServerError:
    SetJson(res, 500, ErrorEnvelope(500, "Internal Server Error"));
    return true;
  case FaultMode::NonJson:
    res.status = 200;
    res.set_content("<html><body><h1>Service temporarily unavailable</h1></body></html>\n",
                    "text/html");
    return true;
  case FaultMode::Drop:
    if (!ShutdownConnection(req.remote_addr, req.remote_port, req.local_port) && log_line_)
      log_line_("drop: no socket found for " + req.remote_addr + ":" +
                std::to_string(req.remote_port));
    res.status = kDroppedStatus;
    res.set_header("Connection", "close");
    return true;
  case FaultMode::Endless:
    StreamEndless(res);
    return true;
  case FaultMode::Redirect:
    res.set_redirect(fault.to + req.target, fault.redirect_status);
    return true;
  case FaultMode::Slow:
    SleepUnlessStopped(fault.seconds);
    break;
  default:
    break;
  }
  res.status = 200;
  return false;
}

void ServiceServer::ServeSitePage(const httplib::Request &req, httplib::Response &res) {
  res.set_content(req.path == "/help.html" ? HelpPage() : HomePage(), kHtmlType);
}

void ServiceServer::StreamEndless(httplib::Response &res) {
  res.status = 200;
  res.set_content_provider(kJsonType, [this](size_t offset, httplib::DataSink &sink) {
    if (stopping_ || offset >= kEndlessCap) {
      sink.done();
      return true;
    }
    static const std::string kHead = "{\"code\":200,\"data\":[";
    static const std::string kItem =
        "{\"KeyNo\":\"00000000000000000000000000000000\",\"Name\":\"endless\"},";
    std::string chunk = offset == 0 ? kHead : std::string();
    while (chunk.size() < 64 * 1024)
      chunk += kItem;
    return sink.write(chunk.data(), chunk.size());
  });
}

void ServiceServer::ServeEndpoint(const httplib::Request &req, httplib::Response &res,
                                  const FaultSettings &fault) {
  std::string name = req.path.substr(1);
  const char *method = Endpoints::MethodOf(name);
  if (!method || req.method != method) {
    SetJson(res, 404, ErrorEnvelope(404, "Not Found"));
    return;
  }
  JsonNode envelope;
  FormFields fields = ParseFormFields(req.method == "POST" ? req.body : QueryOf(req));
  const char *scheme = options_.cert_file.empty() ? "http://" : "https://";
  std::string origin = scheme + HostOf(req);
  {
    std::lock_guard<std::mutex> lock(link_origin_mutex_);
    if (!link_origin_.empty())
      origin = link_origin_;
  }
  endpoints_.Handle(name, fields, origin, envelope);
  if (fault.mode == FaultMode::Mutate) {
    res.status = 200;
    res.set_content(MutateAnswer(WriteJson(ToGbk(envelope)), fault.mutation, fault.seed),
                    kJsonType);
    return;
  }
  SetJson(res, 200, ApplyJsonFault(fault, envelope));
}

void ServiceServer::ServeDownload(const httplib::Request &req, httplib::Response &res) {
  std::string name = req.matches.size() > 1 ? std::string(req.matches[1]) : std::string();
  std::string content;
  if (!options_.published_name.empty() && name == options_.published_name) {
    if (!ReadFile(options_.published_file, content)) {
      SetText(res, 404, "Not Found\n");
      return;
    }
  } else if (options_.files_dir.empty() || !IsSafeFileName(name) ||
             !ReadFile(options_.files_dir + "/" + name, content)) {
    SetText(res, 404, "Not Found\n");
    return;
  }
  res.set_content(content, "application/octet-stream");
}

void ServiceServer::ServeSharePage(const httplib::Request &req, httplib::Response &res) {
  std::string keyno, submitted;
  QueryValue(req, "keyno", keyno);
  QueryValue(req, "submitted", submitted);
  CompanyRow company;
  if (!db_.FindCompanyByKeyNo(keyno, company)) {
    res.status = 404;
    res.set_content(ShareNotFoundPage(GbkToUtf8(keyno)), kHtmlType);
    return;
  }
  res.set_content(SharePage(company, submitted == "1"), kHtmlType);
}

// A buyer's details sent from the share page become a "wx" record of that merchant.
void ServiceServer::ServeShareSubmit(const httplib::Request &req, httplib::Response &res) {
  FormFields fields = ParseFormFields(req.body);
  auto field = [&fields](const char *name) {
    std::string raw;
    FindField(fields, name, raw);
    return EncodedParamToUtf8(raw);
  };
  CompanyRow merchant;
  InvoiceRow row;
  row.business_keyno = field("keyno");
  row.company_name = field("company_name");
  if (!db_.FindCompanyByKeyNo(row.business_keyno, merchant)) {
    res.status = 404;
    res.set_content(ShareNotFoundPage(row.business_keyno), kHtmlType);
    return;
  }
  if (row.company_name.empty()) {
    res.set_redirect("e.html?keyno=" + merchant.keyno, 303);
    return;
  }
  row.company_taxid = field("company_taxid");
  row.company_address = field("company_address");
  row.company_phone = field("company_phone");
  row.bank_name = field("bank_name");
  row.bank_accounts = field("bank_accounts");
  row.apply_from = "wx";
  row.create_time = row.update_time = static_cast<std::int64_t>(std::time(nullptr));
  if (db_.InsertInvoice(row) == 0) {
    SetText(res, 500, "cannot store the record\n");
    return;
  }
  res.set_redirect("e.html?keyno=" + merchant.keyno + "&submitted=1", 303);
}

void ServiceServer::ServeControl(const httplib::Request &req, httplib::Response &res) {
  const std::string command = req.path.substr(std::string("/_control/").size());
  if (command == "ping") {
    SetText(res, 200, "ok\n");
  } else if (command == "reset") {
    faults_.Set(FaultSettings());
    {
      std::lock_guard<std::mutex> lock(link_origin_mutex_);
      link_origin_.clear();
    }
    SetText(res, 200, "fault=none\n");
  } else if (command == "fault") {
    FaultSettings settings;
    std::string mode, seconds, kind, mutation, seed;
    QueryValue(req, "mode", mode);
    if (!ParseFaultMode(mode, settings.mode)) {
      SetText(res, 400,
              "unknown mode; use none, 404, 500, nonjson, wrongtypes, emptydata, slow, drop, "
              "endless, mutate or redirect\n");
      return;
    }
    if (QueryValue(req, "seconds", seconds)) {
      settings.seconds = std::atoi(seconds.c_str());
      if (settings.seconds < 0)
        settings.seconds = 0;
      if (settings.seconds > kMaxFaultSeconds)
        settings.seconds = kMaxFaultSeconds;
    }
    if (QueryValue(req, "kind", kind) && !ParseWrongTypesKind(kind, settings.kind)) {
      SetText(res, 400, "unknown kind; use all, code, data or fields\n");
      return;
    }
    if (QueryValue(req, "mutation", mutation) && !ParseMutationKind(mutation, settings.mutation)) {
      SetText(res, 400,
              "unknown mutation; use cut, flip, deep, bignum, gbklead, nul, huge or dupkeys\n");
      return;
    }
    if (QueryValue(req, "seed", seed))
      settings.seed = static_cast<unsigned>(std::strtoul(seed.c_str(), nullptr, 10));
    QueryValue(req, "only", settings.only);
    if (settings.mode == FaultMode::Redirect && !QueryValue(req, "to", settings.to)) {
      SetText(res, 400, "redirect needs to=ORIGIN\n");
      return;
    }
    std::string status;
    if (QueryValue(req, "status", status)) {
      settings.redirect_status = std::atoi(status.c_str());
      const int s = settings.redirect_status;
      if (s != 301 && s != 302 && s != 303 && s != 307 && s != 308) {
        SetText(res, 400, "redirect status: use 301, 302, 303, 307 or 308\n");
        return;
      }
    }
    faults_.Set(settings);
    SetText(res, 200, std::string("fault=") + FaultModeName(settings.mode) + "\n");
  } else if (command == "last-sms") {
    std::string phone, code;
    QueryValue(req, "phone", phone);
    if (db_.LastSmsCode(phone, code))
      SetText(res, 200, code);
    else
      SetText(res, 404, "");
  } else if (command == "requests") {
    std::string clear;
    const bool take = QueryValue(req, "clear", clear) && clear == "1";
    SetText(res, 200, take ? requests_.Take() : requests_.Text());
  } else if (command == "version") {
    VersionChange change;
    change.has_version = QueryValue(req, "no", change.version);
    change.has_force = QueryValue(req, "force", change.force);
    change.has_installer = QueryValue(req, "installer", change.installer);
    std::string origin;
    if (QueryValue(req, "origin", origin)) {
      std::lock_guard<std::mutex> lock(link_origin_mutex_);
      link_origin_ = origin;
    }
    std::string error;
    if (!ApplyVersionChange(db_, change, error)) {
      SetText(res, 400, error + "\n");
      return;
    }
    VersionRow row;
    db_.GetVersion(row);
    SetText(res, 200,
            "version=" + row.version_no + " force=" + row.force_update +
                " installer=" + row.installer + "\n");
  } else {
    SetText(res, 404, "unknown control command\n");
  }
}
