#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <string>

#include "form.h"
#include "json_writer.h"

class Database;

// {"code": code, "data": data, "msg": msg}, the shape of every answer.
JsonNode MakeEnvelope(int code, JsonNode data, const std::string &msg);

// The nine service calls, from decoded request fields to the JSON envelope
// {"code": number, "data": ..., "msg": text}. Text in the envelope is UTF-8; the
// HTTP layer converts it to GBK.
class Endpoints {
public:
  // Receives every SMS code instead of a phone network.
  using SmsSink = std::function<void(const std::string &phone, const std::string &code)>;
  using Clock = std::function<std::int64_t()>;

  Endpoints(Database &db, SmsSink sms, Clock clock = nullptr);

  // "GET" or "POST" for one of the nine endpoint names, nullptr for anything else.
  static const char *MethodOf(const std::string &name);

  // Answers endpoint `name` (no leading '/') given its query or form fields; `origin`
  // ("http://127.0.0.1:8080") is where the download link of the version record points.
  // False when `name` is not an endpoint.
  bool Handle(const std::string &name, const FormFields &fields, const std::string &origin,
              JsonNode &envelope);

private:
  JsonNode RegMobileCode(const FormFields &fields);
  JsonNode LoginByVerify(const FormFields &fields);
  JsonNode GetCompanyList(const FormFields &fields);
  JsonNode GetCompanyInfo(const FormFields &fields);
  JsonNode GetCompanyKeyNo(const FormFields &fields);
  JsonNode GetFaiaoList(const FormFields &fields);
  JsonNode AddFaiao(const FormFields &fields);
  JsonNode UpdateFaiaoDate(const FormFields &fields);
  JsonNode GetLatestVersion(const std::string &origin);

  std::string NewSmsCode();

  Database &db_;
  SmsSink sms_;
  Clock clock_;
  std::mutex random_mutex_;
  std::mt19937 random_;
};
