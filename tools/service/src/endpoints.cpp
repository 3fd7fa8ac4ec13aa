#include "endpoints.h"

#include <ctime>

#include "database.h"

namespace {

constexpr std::int64_t kSmsCodeLifetime = 600;
constexpr int kSearchLimit = 20;
constexpr int kHistoryLimit = 100;
constexpr int kLoginSuccessCode = 1; // the login call answers 1, every other call 200

struct EndpointInfo {
  const char *name;
  const char *method;
};

const EndpointInfo kEndpoints[] = {
    {"Invoice_regmobileCode", "POST"},    {"Invoice_loginbyverify", "POST"},
    {"Invoice_getCompanyList", "GET"},    {"Invoice_getCompanyInfo", "GET"},
    {"Invoice_getCompanyKeyno", "GET"},   {"Invoice_getFaiaoList", "GET"},
    {"Invoice_addFaiao", "POST"},         {"Invoice_updateFaiaoDate", "POST"},
    {"invoice_getLastestVersion", "GET"},
};

JsonNode Failure(int code, const std::string &msg) {
  return MakeEnvelope(code, JsonNode::Null(), msg);
}

const std::string kIdeographicSpace = "\xE3\x80\x80";

bool IsAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Strips ASCII white space and the ideographic space U+3000 from both ends.
std::string Trim(std::string text) {
  for (;;) {
    if (!text.empty() && IsAsciiSpace(text.back()))
      text.pop_back();
    else if (text.size() >= kIdeographicSpace.size() &&
             text.compare(text.size() - kIdeographicSpace.size(), kIdeographicSpace.size(),
                          kIdeographicSpace) == 0)
      text.resize(text.size() - kIdeographicSpace.size());
    else
      break;
  }
  size_t begin = 0;
  for (;;) {
    if (begin < text.size() && IsAsciiSpace(text[begin]))
      ++begin;
    else if (text.compare(begin, kIdeographicSpace.size(), kIdeographicSpace) == 0)
      begin += kIdeographicSpace.size();
    else
      break;
  }
  return text.substr(begin);
}

std::string RawField(const FormFields &fields, const char *name) {
  std::string value;
  FindField(fields, name, value);
  return Trim(RawParamToUtf8(value));
}

std::string EncodedField(const FormFields &fields, const char *name) {
  std::string value;
  FindField(fields, name, value);
  return Trim(EncodedParamToUtf8(value));
}

bool IsDigits(const std::string &text) {
  if (text.empty())
    return false;
  for (char c : text)
    if (c < '0' || c > '9')
      return false;
  return true;
}

bool IsMobileNumber(const std::string &phone) {
  return phone.size() == 11 && phone[0] == '1' && IsDigits(phone);
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLower(std::string text) {
  for (char &c : text)
    c = AsciiLower(c);
  return text;
}

// Wraps every occurrence of `fragment` in `name` (ASCII letters without regard to
// case) in <em></em>. UTF-8 is self-synchronising, so a byte match of valid UTF-8
// always starts and ends on character boundaries.
std::string MarkFragment(const std::string &name, const std::string &fragment) {
  if (fragment.empty())
    return name;
  const std::string haystack = AsciiLower(name);
  const std::string needle = AsciiLower(fragment);
  std::string out;
  size_t pos = 0;
  for (;;) {
    size_t hit = haystack.find(needle, pos);
    if (hit == std::string::npos)
      break;
    out += name.substr(pos, hit - pos);
    out += "<em>" + name.substr(hit, needle.size()) + "</em>";
    pos = hit + needle.size();
  }
  out += name.substr(pos);
  return out;
}

JsonNode InvoiceToJson(const InvoiceRow &row) {
  JsonNode node = JsonNode::Object();
  node.Set("apply_id", JsonNode::String(std::to_string(row.apply_id)));
  node.Set("business_keyno", JsonNode::String(row.business_keyno));
  node.Set("fapiao_code", JsonNode::String(row.fapiao_code));
  node.Set("user_id", JsonNode::String(row.business_userid));
  node.Set("company_keyno", JsonNode::String(row.company_keyno));
  node.Set("company_name", JsonNode::String(row.company_name));
  node.Set("company_taxid", JsonNode::String(row.company_taxid));
  node.Set("company_address", JsonNode::String(row.company_address));
  node.Set("company_phone", JsonNode::String(row.company_phone));
  node.Set("bank_name", JsonNode::String(row.bank_name));
  node.Set("bank_accounts", JsonNode::String(row.bank_accounts));
  node.Set("apply_mark", JsonNode::String(row.apply_mark));
  node.Set("apply_from", JsonNode::String(row.apply_from));
  node.Set("create_time", JsonNode::String(std::to_string(row.create_time)));
  node.Set("update_time", JsonNode::String(std::to_string(row.update_time)));
  return node;
}

} // namespace

JsonNode MakeEnvelope(int code, JsonNode data, const std::string &msg) {
  JsonNode envelope = JsonNode::Object();
  envelope.Set("code", JsonNode::Number(code));
  envelope.Set("data", std::move(data));
  envelope.Set("msg", JsonNode::String(msg));
  return envelope;
}

Endpoints::Endpoints(Database &db, SmsSink sms, Clock clock)
    : db_(db), sms_(std::move(sms)), clock_(std::move(clock)), random_(std::random_device{}()) {
  if (!clock_)
    clock_ = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
}

const char *Endpoints::MethodOf(const std::string &name) {
  for (const EndpointInfo &info : kEndpoints)
    if (name == info.name)
      return info.method;
  return nullptr;
}

bool Endpoints::Handle(const std::string &name, const FormFields &fields, const std::string &origin,
                       JsonNode &envelope) {
  if (name == "Invoice_regmobileCode")
    envelope = RegMobileCode(fields);
  else if (name == "Invoice_loginbyverify")
    envelope = LoginByVerify(fields);
  else if (name == "Invoice_getCompanyList")
    envelope = GetCompanyList(fields);
  else if (name == "Invoice_getCompanyInfo")
    envelope = GetCompanyInfo(fields);
  else if (name == "Invoice_getCompanyKeyno")
    envelope = GetCompanyKeyNo(fields);
  else if (name == "Invoice_getFaiaoList")
    envelope = GetFaiaoList(fields);
  else if (name == "Invoice_addFaiao")
    envelope = AddFaiao(fields);
  else if (name == "Invoice_updateFaiaoDate")
    envelope = UpdateFaiaoDate(fields);
  else if (name == "invoice_getLastestVersion")
    envelope = GetLatestVersion(origin);
  else
    return false;
  return true;
}

std::string Endpoints::NewSmsCode() {
  std::lock_guard<std::mutex> lock(random_mutex_);
  std::string code;
  for (int i = 0; i < 6; ++i)
    code += static_cast<char>('0' + random_() % 10);
  return code;
}

JsonNode Endpoints::RegMobileCode(const FormFields &fields) {
  std::string phone = RawField(fields, "phone");
  if (!IsMobileNumber(phone))
    return Failure(400, "手机号格式不正确");
  std::string code = NewSmsCode();
  if (!db_.StoreSmsCode(phone, code, clock_()))
    return Failure(500, "验证码发送失败");
  if (sms_)
    sms_(phone, code);
  return MakeEnvelope(200, JsonNode::Null(), "验证码已发送");
}

JsonNode Endpoints::LoginByVerify(const FormFields &fields) {
  std::string phone = RawField(fields, "phone");
  std::string code = RawField(fields, "code");
  std::int64_t now = clock_();
  if (!IsMobileNumber(phone) || code.empty() ||
      !db_.ConsumeSmsCode(phone, code, now, kSmsCodeLifetime))
    return Failure(0, "验证码错误或已过期");
  std::string user_id = db_.FindOrCreateUser(phone, now);
  if (user_id.empty())
    return Failure(500, "登录失败");
  return MakeEnvelope(kLoginSuccessCode, JsonNode::String(user_id), "登录成功");
}

JsonNode Endpoints::GetCompanyList(const FormFields &fields) {
  std::string key = EncodedField(fields, "key");
  JsonNode hits = JsonNode::Array();
  for (const CompanyRow &row : db_.SearchCompanies(key, kSearchLimit)) {
    JsonNode hit = JsonNode::Object();
    hit.Set("KeyNo", JsonNode::String(row.keyno));
    hit.Set("Name", JsonNode::String(MarkFragment(row.name, key)));
    hits.Append(std::move(hit));
  }
  return MakeEnvelope(200, std::move(hits), "ok");
}

JsonNode Endpoints::GetCompanyInfo(const FormFields &fields) {
  CompanyRow row;
  if (!db_.FindCompanyByKeyNo(RawField(fields, "KeyNo"), row))
    return Failure(404, "企业不存在");
  JsonNode data = JsonNode::Object();
  data.Set("KeyNo", JsonNode::String(row.keyno));
  data.Set("Name", JsonNode::String(row.name));
  data.Set("CreditCode", JsonNode::String(row.credit_code));
  data.Set("Address", JsonNode::String(row.address));
  data.Set("PhoneNumber", JsonNode::String(row.phone));
  data.Set("Bank", JsonNode::String(row.bank));
  data.Set("Bankaccount", JsonNode::String(row.bank_account));
  return MakeEnvelope(200, std::move(data), "ok");
}

JsonNode Endpoints::GetCompanyKeyNo(const FormFields &fields) {
  CompanyRow row;
  if (!db_.FindCompanyByName(EncodedField(fields, "company_name"), row))
    return Failure(404, "企业不存在");
  JsonNode data = JsonNode::Object();
  data.Set("keyno", JsonNode::String(row.keyno));
  return MakeEnvelope(200, std::move(data), "ok");
}

JsonNode Endpoints::GetFaiaoList(const FormFields &fields) {
  std::string business_keyno = RawField(fields, "business_keyno");
  if (business_keyno.empty())
    return Failure(400, "缺少 business_keyno");
  JsonNode records = JsonNode::Array();
  for (const InvoiceRow &row : db_.ListInvoices(business_keyno, kHistoryLimit))
    records.Append(InvoiceToJson(row));
  return MakeEnvelope(200, std::move(records), "ok");
}

JsonNode Endpoints::AddFaiao(const FormFields &fields) {
  InvoiceRow row;
  row.business_keyno = RawField(fields, "business_keyno");
  row.business_userid = RawField(fields, "business_userid");
  row.company_name = EncodedField(fields, "company_name");
  row.company_keyno = RawField(fields, "company_keyno");
  row.company_taxid = RawField(fields, "company_taxid");
  row.company_address = EncodedField(fields, "company_address");
  row.company_phone = RawField(fields, "company_phone");
  row.bank_name = EncodedField(fields, "bank_name");
  row.bank_accounts = RawField(fields, "bank_accounts");
  row.apply_from = "pc";
  if (row.business_keyno.empty())
    return Failure(400, "缺少 business_keyno");
  if (row.company_name.empty())
    return Failure(400, "缺少 company_name");
  row.create_time = row.update_time = clock_();
  std::int64_t apply_id = db_.InsertInvoice(row);
  if (apply_id == 0)
    return Failure(500, "保存失败");
  JsonNode data = JsonNode::Object();
  data.Set("apply_id", JsonNode::String(std::to_string(apply_id)));
  return MakeEnvelope(200, std::move(data), "ok");
}

JsonNode Endpoints::UpdateFaiaoDate(const FormFields &fields) {
  std::string business_keyno = RawField(fields, "business_keyno");
  std::string apply_id = RawField(fields, "apply_id");
  std::int64_t now = clock_();
  if (!IsDigits(apply_id) || apply_id.size() > 18 ||
      !db_.TouchInvoice(business_keyno, std::stoll(apply_id), now))
    return Failure(404, "记录不存在");
  JsonNode data = JsonNode::Object();
  data.Set("apply_id", JsonNode::String(apply_id));
  data.Set("update_time", JsonNode::String(std::to_string(now)));
  return MakeEnvelope(200, std::move(data), "ok");
}

JsonNode Endpoints::GetLatestVersion(const std::string &origin) {
  VersionRow row;
  if (!db_.GetVersion(row))
    return Failure(404, "没有版本信息");
  JsonNode data = JsonNode::Object();
  data.Set("version_id", JsonNode::String(row.version_id));
  data.Set("description", JsonNode::String(row.description));
  data.Set("force_update", JsonNode::String(row.force_update));
  data.Set("is_lastest_version", JsonNode::String("1"));
  data.Set("url", JsonNode::String(origin + "/download/" + row.installer));
  data.Set("version_no", JsonNode::String(row.version_no));
  data.Set("release_date", JsonNode::String(std::to_string(row.release_date)));
  return MakeEnvelope(200, std::move(data), "ok");
}
