#include <gtest/gtest.h>
#include <httplib.h>
#include <json/json.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "database.h"
#include "gbk.h"
#include "options.h"
#include "seed.h"
#include "server.h"
#include "temp_dir.h"

namespace {

// The client's percent-encoding of an encoded value: UTF-8 bytes, space as '+'.
std::string Encode(const std::string &utf8) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : utf8) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

bool ParseJson(const std::string &body, Json::Value &root) {
  Json::Reader reader;
  return reader.parse(body, root, true);
}

const char *const kForm = "application/x-www-form-urlencoded";

// A seeded service on a free loopback port, served by its own thread.
class ServiceTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(db_.Open(dir_.path() + "/service.db"));
    ASSERT_TRUE(SeedDatabase(db_));
    ServerOptions options;
    options.port = 0;
    options.files_dir = dir_.path();
    Configure(options);
    server_ = std::make_unique<ServiceServer>(db_, options, [this](const std::string &line) {
      std::lock_guard<std::mutex> lock(log_mutex_);
      log_.push_back(line);
    });
    port_ = server_->Bind();
    ASSERT_GT(port_, 0);
    runner_ = std::thread([this] { server_->Run(); });
    client_ = NewClient();
  }

  virtual void Configure(ServerOptions &) {}

  void TearDown() override {
    client_.reset();
    if (server_)
      server_->Stop();
    if (runner_.joinable())
      runner_.join();
  }

  std::unique_ptr<httplib::Client> NewClient() {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client->set_url_encode(false); // send paths byte for byte, as the client program does
    client->set_read_timeout(20);
    return client;
  }

  // GET or POST one endpoint and parse the answer; false on anything but 200 + JSON.
  bool GetJson(const std::string &path, Json::Value &root) {
    auto res = client_->Get(path.c_str());
    return res && res->status == 200 && ParseJson(res->body, root);
  }
  bool PostJson(const std::string &path, const std::string &body, Json::Value &root) {
    auto res = client_->Post(path.c_str(), body, kForm);
    return res && res->status == 200 && ParseJson(res->body, root);
  }
  std::string Control(const std::string &command) {
    auto res = client_->Get(("/_control/" + command).c_str());
    return res ? res->body : std::string();
  }
  std::vector<std::string> Log() {
    std::lock_guard<std::mutex> lock(log_mutex_);
    return log_;
  }
  Json::Value History() {
    Json::Value root;
    EXPECT_TRUE(GetJson(std::string("/Invoice_getFaiaoList?business_keyno=") + kMerchantKeyNo +
                            "&business_userid=" + kDemoUserId,
                        root));
    return root["data"];
  }

  TempDir dir_;
  Database db_;
  std::unique_ptr<ServiceServer> server_;
  int port_ = -1;
  std::thread runner_;
  std::unique_ptr<httplib::Client> client_;
  std::mutex log_mutex_;
  std::vector<std::string> log_;
};

} // namespace

// --- the nine endpoints -------------------------------------------------------

TEST_F(ServiceTest, search_marks_fragment_in_every_hit) {
  Json::Value root;
  ASSERT_TRUE(GetJson("/Invoice_getCompanyList?key=" + Encode("誠運") + "&user_id=10000001", root));
  EXPECT_EQ(200, root["code"].asInt());
  ASSERT_TRUE(root["data"].isArray());
  ASSERT_GE(root["data"].size(), 2u);
  for (const Json::Value &hit : root["data"]) {
    EXPECT_EQ(32u, hit["KeyNo"].asString().size());
    // The name is GBK with trail bytes 0x5C, which must come through the JSON intact.
    EXPECT_NE(std::string::npos, hit["Name"].asString().find(Utf8ToGbk("<em>誠運</em>")))
        << GbkToUtf8(hit["Name"].asString());
  }

  // ASCII matches without regard to case and keeps the name's own case.
  ASSERT_TRUE(GetJson("/Invoice_getCompanyList?key=abc&user_id=10000001", root));
  ASSERT_EQ(1u, root["data"].size());
  EXPECT_EQ(Utf8ToGbk("上海<em>ABC</em>国际贸易有限公司"), root["data"][0]["Name"].asString());

  ASSERT_TRUE(
      GetJson("/Invoice_getCompanyList?key=" + Encode("不存在的名字") + "&user_id=1", root));
  EXPECT_EQ(200, root["code"].asInt());
  EXPECT_TRUE(root["data"].isArray() && root["data"].empty());
}

TEST_F(ServiceTest, key_number_by_name_then_company_info) {
  Json::Value root;
  ASSERT_TRUE(GetJson("/Invoice_getCompanyKeyno?company_name=" + Encode(kMerchantName), root));
  EXPECT_EQ(200, root["code"].asInt());
  const std::string keyno = root["data"]["keyno"].asString();
  EXPECT_EQ(kMerchantKeyNo, keyno);

  ASSERT_TRUE(GetJson("/Invoice_getCompanyInfo?KeyNo=" + keyno, root));
  EXPECT_EQ(200, root["code"].asInt());
  const Json::Value &data = root["data"];
  EXPECT_EQ(Utf8ToGbk(kMerchantName), data["Name"].asString());
  EXPECT_EQ(kMerchantCreditCode, data["CreditCode"].asString());
  for (const char *field : {"Address", "PhoneNumber", "Bank", "Bankaccount"})
    EXPECT_TRUE(data[field].isString() && !data[field].asString().empty()) << field;

  // White space around the name, ASCII or ideographic, is not part of it.
  ASSERT_TRUE(GetJson("/Invoice_getCompanyKeyno?company_name=" +
                          Encode(std::string(" ") + kMerchantName + "\xE3\x80\x80"),
                      root));
  EXPECT_EQ(kMerchantKeyNo, root["data"]["keyno"].asString());

  // Unknown company: not 200, and "data" null so the client leaves its record alone.
  ASSERT_TRUE(GetJson("/Invoice_getCompanyInfo?KeyNo=00000000000000000000000000000000", root));
  EXPECT_NE(200, root["code"].asInt());
  EXPECT_TRUE(root["data"].isNull());
  ASSERT_TRUE(GetJson("/Invoice_getCompanyKeyno?company_name=" + Encode("没有这家公司"), root));
  EXPECT_NE(200, root["code"].asInt());
  EXPECT_TRUE(root["data"].isNull());
}

TEST_F(ServiceTest, login_accepts_only_the_logged_sms_code) {
  Json::Value root;
  const std::string phone = "13912345678";
  ASSERT_TRUE(PostJson("/Invoice_regmobileCode", "phone=" + phone, root));
  EXPECT_EQ(200, root["code"].asInt());
  const std::string code = Control("last-sms?phone=" + phone);
  ASSERT_EQ(6u, code.size());
  bool logged = false;
  for (const std::string &line : Log())
    logged = logged || line == "SMS " + phone + " " + code;
  EXPECT_TRUE(logged);

  const std::string wrong = code == "000000" ? "111111" : "000000";
  ASSERT_TRUE(PostJson("/Invoice_loginbyverify", "phone=" + phone + "&code=" + wrong, root));
  EXPECT_NE(1, root["code"].asInt());
  EXPECT_NE(200, root["code"].asInt());
  EXPECT_TRUE(root["data"].isNull());
  ASSERT_TRUE(PostJson("/Invoice_loginbyverify", "phone=" + phone + "&code=", root));
  EXPECT_TRUE(root["data"].isNull());

  ASSERT_TRUE(PostJson("/Invoice_loginbyverify", "phone=" + phone + "&code=" + code, root));
  EXPECT_EQ(1, root["code"].asInt());
  ASSERT_TRUE(root["data"].isString());
  EXPECT_EQ("10000003", root["data"].asString()); // a new user after the two seeded ones

  // A code is good for one login.
  ASSERT_TRUE(PostJson("/Invoice_loginbyverify", "phone=" + phone + "&code=" + code, root));
  EXPECT_TRUE(root["data"].isNull());

  ASSERT_TRUE(PostJson("/Invoice_regmobileCode", std::string("phone=") + kDemoPhone, root));
  ASSERT_TRUE(PostJson("/Invoice_loginbyverify",
                       std::string("phone=") + kDemoPhone +
                           "&code=" + Control("last-sms?phone=" + std::string(kDemoPhone)),
                       root));
  EXPECT_EQ(kDemoUserId, root["data"].asString());

  ASSERT_TRUE(PostJson("/Invoice_regmobileCode", "phone=12345", root));
  EXPECT_NE(200, root["code"].asInt());
}

TEST_F(ServiceTest, added_record_is_listed_first_with_every_field_a_string) {
  const size_t before = History().size();
  // Raw values: user id as GBK bytes, '&' escaped, spaces and '+' as sent.
  const std::string body =
      std::string("business_keyno=") + kMerchantKeyNo + "&business_userid=\xD3\xC3\xBB\xA7" +
      "&company_name=" + Encode("深圳誠運物流有限公司") + "&company_keyno=a%26b" +
      "&company_taxid=91440300MA5F000000" + "&company_address=" + Encode("深圳市 運河路1号") +
      "&company_phone=0755-1234+5678" + "&bank_name=" + Encode("招商银行深圳分行") +
      "&bank_accounts=6222 0000 1111";
  Json::Value root;
  ASSERT_TRUE(PostJson("/Invoice_addFaiao", body, root));
  EXPECT_EQ(200, root["code"].asInt());

  Json::Value list = History();
  ASSERT_EQ(before + 1, list.size());
  const Json::Value &first = list[0];
  for (const char *field :
       {"apply_id", "business_keyno", "fapiao_code", "user_id", "company_keyno", "company_name",
        "company_taxid", "company_address", "bank_name", "bank_accounts", "apply_mark",
        "apply_from", "create_time", "update_time"})
    EXPECT_TRUE(first[field].isString()) << field;
  EXPECT_EQ(root["data"]["apply_id"].asString(), first["apply_id"].asString());
  EXPECT_EQ(Utf8ToGbk("深圳誠運物流有限公司"), first["company_name"].asString());
  EXPECT_EQ(Utf8ToGbk("深圳市 運河路1号"), first["company_address"].asString());
  EXPECT_EQ("\xD3\xC3\xBB\xA7", first["user_id"].asString());
  EXPECT_EQ("a&b", first["company_keyno"].asString());
  EXPECT_EQ("0755-1234+5678", first["company_phone"].asString());
  EXPECT_EQ("6222 0000 1111", first["bank_accounts"].asString());
  EXPECT_EQ("pc", first["apply_from"].asString());
  EXPECT_GT(std::atoll(first["create_time"].asCString()), 1700000000LL);

  // Using the oldest record again moves it to the top.
  const std::string oldest = list[list.size() - 1]["apply_id"].asString();
  ASSERT_TRUE(PostJson("/Invoice_updateFaiaoDate",
                       std::string("business_keyno=") + kMerchantKeyNo + "&apply_id=" + oldest,
                       root));
  EXPECT_EQ(200, root["code"].asInt());
  EXPECT_EQ(oldest, History()[0]["apply_id"].asString());

  // A record of another merchant is not touched.
  ASSERT_TRUE(PostJson("/Invoice_updateFaiaoDate", "business_keyno=ffff&apply_id=" + oldest, root));
  EXPECT_NE(200, root["code"].asInt());
}

TEST_F(ServiceTest, version_record_points_at_the_download) {
  Json::Value root;
  ASSERT_TRUE(GetJson("/invoice_getLastestVersion", root));
  EXPECT_EQ(200, root["code"].asInt());
  for (const char *field : {"version_id", "description", "force_update", "is_lastest_version",
                            "url", "version_no", "release_date"})
    EXPECT_TRUE(root["data"][field].isString()) << field;
  EXPECT_EQ("1.1", root["data"]["version_no"].asString());
  const std::string prefix = "http://127.0.0.1:" + std::to_string(port_);
  EXPECT_EQ(prefix + "/download/MoravelUpgrade_1.1.exe", root["data"]["url"].asString());

  EXPECT_EQ("version=1.2 force=1 installer=MoravelUpgrade_1.2.exe\n",
            Control("version?no=1.2&force=1"));
  ASSERT_TRUE(GetJson("/invoice_getLastestVersion", root));
  EXPECT_EQ("1.2", root["data"]["version_no"].asString());
  EXPECT_EQ("1", root["data"]["force_update"].asString());
  const std::string path = root["data"]["url"].asString().substr(prefix.size());

  auto missing = client_->Get(path.c_str());
  ASSERT_TRUE(missing);
  EXPECT_EQ(404, missing->status);

  const std::string installer("MZ\x00\x01installer", 12);
  std::ofstream(dir_.path() + "/MoravelUpgrade_1.2.exe", std::ios::binary) << installer;
  auto present = client_->Get(path.c_str());
  ASSERT_TRUE(present);
  EXPECT_EQ(200, present->status);
  EXPECT_EQ(installer, present->body);

  auto outside = client_->Get("/download/..%2Fservice.db");
  ASSERT_TRUE(outside);
  EXPECT_EQ(404, outside->status);
  EXPECT_EQ(400, client_->Get("/_control/version?force=2")->status);
}

// Only the exact spelling and method of each endpoint exist.
TEST_F(ServiceTest, unknown_names_and_methods_are_404) {
  for (const char *path :
       {"/Invoice_getLastestVersion", "/invoice_getCompanyList?key=ab", "/Invoice_addFaiao"}) {
    auto res = client_->Get(path);
    ASSERT_TRUE(res);
    EXPECT_EQ(404, res->status) << path;
  }
  auto res = client_->Post("/invoice_getLastestVersion", "", kForm);
  ASSERT_TRUE(res);
  EXPECT_EQ(404, res->status);
}

// --- pages --------------------------------------------------------------------

TEST_F(ServiceTest, share_page_shows_the_company_and_takes_buyer_details) {
  auto page = client_->Get((std::string("/fapiao/e.html?keyno=") + kMerchantKeyNo).c_str());
  ASSERT_TRUE(page);
  EXPECT_EQ(200, page->status);
  EXPECT_NE(std::string::npos, page->body.find(kMerchantName));
  EXPECT_EQ(404, client_->Get("/fapiao/e.html?keyno=nothing")->status);
  for (const char *path : {"/", "/help.html"})
    EXPECT_EQ(200, client_->Get(path)->status) << path;

  const size_t before = History().size();
  auto sent = client_->Post("/fapiao/submit",
                            std::string("keyno=") + kMerchantKeyNo +
                                "&company_name=" + Encode("北京某某有限公司"),
                            kForm);
  ASSERT_TRUE(sent);
  EXPECT_EQ(303, sent->status);
  Json::Value list = History();
  ASSERT_EQ(before + 1, list.size());
  EXPECT_EQ("wx", list[0]["apply_from"].asString());
  EXPECT_EQ(Utf8ToGbk("北京某某有限公司"), list[0]["company_name"].asString());
}

// --- fault modes ----------------------------------------------------------------

TEST_F(ServiceTest, fault_modes_answer_as_described) {
  struct Case {
    const char *mode;
    int status;
    std::function<void(const std::string &body)> check;
  };
  const std::vector<Case> cases = {
      {"404", 404,
       [](const std::string &body) {
         Json::Value root;
         EXPECT_TRUE(ParseJson(body, root) && root["code"].asInt() == 404);
       }},
      {"500", 500,
       [](const std::string &body) {
         Json::Value root;
         EXPECT_TRUE(ParseJson(body, root) && root["code"].asInt() == 500);
       }},
      {"nonjson", 200,
       [](const std::string &body) {
         Json::Value root;
         EXPECT_FALSE(ParseJson(body, root));
       }},
      {"wrongtypes", 200,
       [](const std::string &body) {
         Json::Value root;
         ASSERT_TRUE(ParseJson(body, root));
         EXPECT_TRUE(root["code"].isString());
         EXPECT_FALSE(root["data"].isArray());
       }},
      {"wrongtypes&kind=fields", 200,
       [](const std::string &body) {
         Json::Value root;
         ASSERT_TRUE(ParseJson(body, root));
         EXPECT_EQ(200, root["code"].asInt());
         ASSERT_TRUE(root["data"].isArray() && !root["data"].empty());
         EXPECT_TRUE(root["data"][0]["KeyNo"].isInt());
       }},
      {"emptydata", 200,
       [](const std::string &body) {
         Json::Value root;
         ASSERT_TRUE(ParseJson(body, root));
         EXPECT_EQ(200, root["code"].asInt());
         EXPECT_TRUE(root["data"].isArray() && root["data"].empty());
       }},
      {"none", 200,
       [](const std::string &body) {
         Json::Value root;
         ASSERT_TRUE(ParseJson(body, root));
         EXPECT_FALSE(root["data"].empty());
       }},
  };
  const std::string search = "/Invoice_getCompanyList?key=" + Encode("华信") + "&user_id=1";
  for (const Case &c : cases) {
    SCOPED_TRACE(c.mode);
    ASSERT_EQ(0u, Control(std::string("fault?mode=") + c.mode).find("fault="));
    auto res = client_->Get(search.c_str());
    ASSERT_TRUE(res);
    EXPECT_EQ(c.status, res->status);
    c.check(res->body);
    // The control interface itself is never faulted.
    EXPECT_EQ("ok\n", Control("ping"));
  }
  EXPECT_EQ(400, client_->Get("/_control/fault?mode=sometimes")->status);
}

TEST_F(ServiceTest, redirect_sends_the_request_elsewhere) {
  EXPECT_EQ(400, client_->Get("/_control/fault?mode=redirect")->status);
  ASSERT_EQ("fault=redirect\n", Control("fault?mode=redirect&to=http%3A%2F%2Flocalhost%3A9"));
  auto res = client_->Get("/invoice_getLastestVersion?x=1");
  ASSERT_TRUE(res);
  EXPECT_EQ(302, res->status);
  EXPECT_EQ("http://localhost:9/invoice_getLastestVersion?x=1", res->get_header_value("Location"));
  // 307 and 308 tell a client to send a POST's body again: the transport must be shown one.
  EXPECT_EQ(400,
            client_->Get("/_control/fault?mode=redirect&to=http%3A%2F%2Flocalhost%3A9&status=200")
                ->status);
  ASSERT_EQ("fault=redirect\n",
            Control("fault?mode=redirect&to=http%3A%2F%2Flocalhost%3A9&status=307"));
  res = client_->Post("/Invoice_loginbyverify", "phone=1", "application/x-www-form-urlencoded");
  ASSERT_TRUE(res);
  EXPECT_EQ(307, res->status);
  EXPECT_EQ("http://localhost:9/Invoice_loginbyverify", res->get_header_value("Location"));
}

// The link a client is told to download from can be made to point elsewhere, to show
// what a client does with a link it must not follow.
TEST_F(ServiceTest, version_link_origin_can_be_replaced) {
  ASSERT_NE(std::string::npos,
            Control("version?origin=HTTP%3A%2F%2Felsewhere%3A1").find("version="));
  Json::Value root;
  ASSERT_TRUE(GetJson("/invoice_getLastestVersion", root));
  EXPECT_EQ(0u, root["data"]["url"].asString().find("HTTP://elsewhere:1/download/")) << root;
  Control("reset");
  ASSERT_TRUE(GetJson("/invoice_getLastestVersion", root));
  EXPECT_EQ(0u, root["data"]["url"].asString().find("http://")) << root;
  EXPECT_EQ(std::string::npos, root["data"]["url"].asString().find("elsewhere")) << root;
}

TEST_F(ServiceTest, drop_closes_the_connection_without_an_answer) {
  Control("fault?mode=drop");
  auto res = client_->Get("/invoice_getLastestVersion");
  EXPECT_FALSE(res);
  Control("reset");
  Json::Value root;
  EXPECT_TRUE(GetJson("/invoice_getLastestVersion", root));
}

TEST_F(ServiceTest, fault_limited_to_one_endpoint) {
  Control("fault?mode=500&only=Invoice_getFaiaoList");
  auto list =
      client_->Get((std::string("/Invoice_getFaiaoList?business_keyno=") + kMerchantKeyNo).c_str());
  ASSERT_TRUE(list);
  EXPECT_EQ(500, list->status);
  Json::Value root;
  EXPECT_TRUE(GetJson("/invoice_getLastestVersion", root));
}

TEST_F(ServiceTest, control_answers_while_a_slow_answer_waits) {
  Control("fault?mode=slow&seconds=2");
  std::atomic<bool> slow_done{false};
  int slow_status = 0;
  std::thread slow([&] {
    auto client = NewClient();
    auto res = client->Get("/invoice_getLastestVersion");
    slow_status = res ? res->status : -1;
    slow_done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ("ok\n", Control("ping"));
  EXPECT_FALSE(slow_done); // the ping came back while the slow answer was still pending
  slow.join();
  EXPECT_EQ(200, slow_status);
}

TEST_F(ServiceTest, endless_body_streams_until_the_client_leaves) {
  Control("fault?mode=endless");
  size_t received = 0;
  auto res = client_->Get("/invoice_getLastestVersion", [&](const char *, size_t length) {
    received += length;
    return received < (1u << 20);
  });
  EXPECT_FALSE(res);
  EXPECT_EQ(httplib::Error::Canceled, res.error());
  EXPECT_GE(received, 1u << 20);
  Control("reset");
  Json::Value root;
  EXPECT_TRUE(GetJson("/invoice_getLastestVersion", root));
}

// --- what went on the wire ------------------------------------------------------

TEST_F(ServiceTest, request_log_shows_raw_bytes_and_headers) {
  Control("requests?clear=1");
  client_->Get((std::string("/Invoice_getFaiaoList?business_keyno=") + kMerchantKeyNo +
                "&business_userid=\xD3\xC3x\\")
                   .c_str());
  httplib::Headers headers = {{"User-Agent", "Http-connect"}};
  client_->Post("/Invoice_loginbyverify", headers, "phone=13800138000&code=1%262", kForm);
  const std::string text = Control("requests");
  EXPECT_NE(std::string::npos,
            text.find(std::string("GET /Invoice_getFaiaoList?business_keyno=") + kMerchantKeyNo +
                      "&business_userid=\\xD3\\xC3x\\\\ body= "))
      << text;
  EXPECT_NE(std::string::npos,
            text.find("POST /Invoice_loginbyverify body=phone=13800138000&code=1%262 "
                      "content-type=application/x-www-form-urlencoded user-agent=Http-connect\n"))
      << text;
  EXPECT_EQ(std::string::npos, text.find("_control")) << text;
}

// A built setup program given by path is what the version record's URL downloads.
class PublishedInstallerTest : public ServiceTest {
protected:
  void Configure(ServerOptions &options) override {
    std::ofstream(dir_.path() + "/Lumora-1.2-setup.exe", std::ios::binary) << setup_;
    std::string path = dir_.path() + "/Lumora-1.2-setup.exe";
    std::string version_arg = "1.2";
    std::vector<std::string> args = {"invoice-service", "--installer", path, "--version",
                                     version_arg};
    std::vector<char *> argv;
    for (std::string &arg : args)
      argv.push_back(arg.data());
    Options parsed;
    std::string error;
    ASSERT_TRUE(ParseOptions(static_cast<int>(argv.size()), argv.data(), parsed, error)) << error;
    EXPECT_EQ("MoravelUpgrade_1.2.exe", parsed.version.installer);
    options.published_name = parsed.server.published_name;
    options.published_file = parsed.server.published_file;
    change_ = parsed.version;
  }
  const std::string setup_ = std::string("MZ\x90\x00setup", 9);
  VersionChange change_;
};

TEST_F(PublishedInstallerTest, served_as_the_versions_upgrade_installer) {
  std::string error;
  ASSERT_TRUE(ApplyVersionChange(db_, change_, error)) << error;
  Json::Value root;
  ASSERT_TRUE(GetJson("/invoice_getLastestVersion", root));
  EXPECT_EQ("1.2", root["data"]["version_no"].asString());
  const std::string prefix = "http://127.0.0.1:" + std::to_string(port_);
  ASSERT_EQ(prefix + "/download/MoravelUpgrade_1.2.exe", root["data"]["url"].asString());
  auto got = client_->Get("/download/MoravelUpgrade_1.2.exe");
  ASSERT_TRUE(got);
  EXPECT_EQ(200, got->status);
  EXPECT_EQ(setup_, got->body);
  // Published by its new name only.
  EXPECT_EQ(404, client_->Get("/download/MoravelUpgrade_1.3.exe")->status);
}

TEST(options, installer_path_needs_a_version) {
  std::vector<std::string> args = {"invoice-service", "--installer", "/tmp/Lumora-1.2-setup.exe"};
  std::vector<char *> argv;
  for (std::string &arg : args)
    argv.push_back(arg.data());
  Options parsed;
  std::string error;
  EXPECT_FALSE(ParseOptions(static_cast<int>(argv.size()), argv.data(), parsed, error));
  EXPECT_EQ("--installer FILE needs --version", error);
}

// With --cert/--key the same service speaks TLS only, and points downloads at https.
class TlsServiceTest : public ServiceTest {
protected:
  void Configure(ServerOptions &options) override {
    certs_ = dir_.path() + "/certs";
    const std::string make = "bash " TLS_CERTS_SCRIPT " " + certs_ + " >/dev/null";
    ASSERT_EQ(0, std::system(make.c_str()));
    options.cert_file = certs_ + "/good.pem";
    options.key_file = certs_ + "/good.key";
  }
  std::string certs_;
};

TEST_F(TlsServiceTest, serves_https_to_a_client_that_trusts_the_ca_and_nothing_in_plain_text) {
  httplib::SSLClient tls("localhost", port_);
  tls.set_ca_cert_path((certs_ + "/ca.pem").c_str());
  tls.enable_server_certificate_verification(true);
  auto res = tls.Get("/invoice_getLastestVersion");
  ASSERT_TRUE(res) << httplib::to_string(res.error());
  Json::Value root;
  ASSERT_TRUE(ParseJson(res->body, root));
  EXPECT_EQ("https://localhost:" + std::to_string(port_) + "/download/MoravelUpgrade_1.1.exe",
            root["data"]["url"].asString());

  // The bad certificates the client tests use are refused by a verifying client too.
  for (const char *name : {"otherhost", "expired", "untrusted"}) {
    Database db;
    ASSERT_TRUE(db.Open(dir_.path() + "/" + name + ".db"));
    ServerOptions options;
    options.port = 0;
    options.cert_file = certs_ + "/" + name + ".pem";
    options.key_file = certs_ + "/" + name + ".key";
    ServiceServer bad(db, options, nullptr);
    const int port = bad.Bind();
    ASSERT_GT(port, 0) << name;
    std::thread runner([&bad] { bad.Run(); });
    httplib::SSLClient client("localhost", port);
    client.set_ca_cert_path((certs_ + "/ca.pem").c_str());
    client.enable_server_certificate_verification(true);
    auto refused = client.Get("/invoice_getLastestVersion");
    EXPECT_FALSE(refused) << name;
    if (!refused) {
      EXPECT_EQ(httplib::Error::SSLServerVerification, refused.error()) << name;
    }
    bad.Stop();
    runner.join();
  }

  EXPECT_FALSE(client_->Get("/invoice_getLastestVersion")) << "plain HTTP was answered";
}

TEST(options, tls_needs_a_usable_certificate_and_key) {
  std::vector<std::string> args = {"invoice-service", "--cert", "/tmp/x.pem"};
  std::vector<char *> argv;
  for (std::string &arg : args)
    argv.push_back(arg.data());
  Options parsed;
  std::string error;
  EXPECT_FALSE(ParseOptions(static_cast<int>(argv.size()), argv.data(), parsed, error));
  EXPECT_EQ("--cert and --key go together", error);

  TempDir dir;
  Database db;
  ASSERT_TRUE(db.Open(dir.path() + "/service.db"));
  ServerOptions options;
  options.port = 0;
  options.cert_file = dir.path() + "/missing.pem";
  options.key_file = dir.path() + "/missing.key";
  ServiceServer server(db, options, nullptr);
  EXPECT_EQ(-1, server.Bind());
}
