#include "seed.h"

#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include "credit_code.h"
#include "database.h"

const char *const kMerchantName = "福州路明信息技术有限公司";
const char *const kMerchantCreditCode = "91350100M000100Y43";
const char *const kMerchantKeyNo = "6c756d6f72612d6d65726368616e7431";
const char *const kDemoPhone = "13800138000";
const char *const kDemoUserId = "10000001";

namespace {

constexpr int kGeneratedCompanies = 300;
constexpr std::uint32_t kRandomSeed = 20240601;
constexpr std::int64_t kSeedEpoch = 1733011200; // 2024-12-01 00:00 UTC

struct City {
  const char *name;
  const char *division;
  const char *area_code;
  const char *districts[2];
};

const City kCities[] = {
    {"北京", "110000", "010", {"朝阳区", "海淀区"}},
    {"上海", "310000", "021", {"浦东新区", "徐汇区"}},
    {"天津", "120000", "022", {"和平区", "南开区"}},
    {"重庆", "500000", "023", {"渝中区", "江北区"}},
    {"广州", "440100", "020", {"天河区", "越秀区"}},
    {"深圳", "440300", "0755", {"南山区", "福田区"}},
    {"杭州", "330100", "0571", {"西湖区", "拱墅区"}},
    {"南京", "320100", "025", {"鼓楼区", "玄武区"}},
    {"苏州", "320500", "0512", {"姑苏区", "吴中区"}},
    {"武汉", "420100", "027", {"江汉区", "武昌区"}},
    {"成都", "510100", "028", {"锦江区", "武侯区"}},
    {"西安", "610100", "029", {"雁塔区", "碑林区"}},
    {"福州", "350100", "0591", {"鼓楼区", "台江区"}},
    {"厦门", "350200", "0592", {"思明区", "湖里区"}},
    {"长沙", "430100", "0731", {"岳麓区", "芙蓉区"}},
    {"郑州", "410100", "0371", {"金水区", "二七区"}},
    {"济南", "370100", "0531", {"历下区", "市中区"}},
    {"青岛", "370200", "0532", {"市南区", "崂山区"}},
    {"合肥", "340100", "0551", {"蜀山区", "包河区"}},
    {"宁波", "330200", "0574", {"鄞州区", "海曙区"}},
};

const char *const kWords[] = {"华信", "恒通", "宏达", "金鼎", "瑞丰", "鼎盛", "天成", "远航",
                              "博雅", "新锐", "中联", "汇通", "盛世", "永泰", "安泰", "明辉",
                              "嘉禾", "润泽", "星辰", "腾飞", "卓越", "同创", "光明", "长青",
                              "云帆", "众合", "德信", "和美", "海纳", "启明"};

const char *const kIndustries[] = {"科技",     "贸易",     "物流",     "建筑工程", "电子",
                                   "食品",     "医药",     "文化传媒", "餐饮管理", "信息技术",
                                   "机械设备", "化工",     "服装",     "环保科技", "教育咨询",
                                   "家居用品", "汽车服务", "农业发展"};

const char *const kStreets[] = {"人民路", "中山路", "解放路", "建设路",   "和平路",   "长江路",
                                "科技路", "新华街", "文化路", "创业大道", "滨江大道", "金融街"};

const char *const kBanks[] = {"中国工商银行", "中国建设银行", "中国农业银行", "中国银行",
                              "交通银行",     "招商银行",     "兴业银行",     "中信银行"};

template <typename T, size_t N> constexpr size_t Count(const T (&)[N]) { return N; }

// Draws straight from mt19937, whose output the standard fixes, so every platform
// seeds the same data (the distributions are implementation-defined).
class Dice {
public:
  explicit Dice(std::uint32_t seed) : engine_(seed) {}
  size_t Below(size_t n) { return static_cast<size_t>(engine_() % n); }
  std::string Digits(size_t count, bool nonzero_first) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
      char lowest = (i == 0 && nonzero_first) ? '1' : '0';
      out += static_cast<char>(lowest + Below(static_cast<size_t>('9' - lowest + 1)));
    }
    return out;
  }
  std::string Hex(size_t count) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < count; ++i)
      out += kHex[Below(16)];
    return out;
  }

private:
  std::mt19937 engine_;
};

std::string MakeCreditCode(Dice &dice, const City &city) {
  std::string org = dice.Digits(8, false);
  org += OrgCodeCheckChar(org);
  std::string first17 = std::string("91") + city.division + org;
  return first17 + CreditCodeCheckChar(first17);
}

CompanyRow MakeCompany(Dice &dice, const City &city, const std::string &name) {
  CompanyRow row;
  row.keyno = dice.Hex(32);
  row.name = name;
  row.credit_code = MakeCreditCode(dice, city);
  row.address = std::string(city.name) + "市" + city.districts[dice.Below(2)] +
                kStreets[dice.Below(Count(kStreets))] + std::to_string(1 + dice.Below(399)) + "号";
  if (dice.Below(2) == 0)
    row.address +=
        std::to_string(1 + dice.Below(20)) + "栋" + std::to_string(101 + dice.Below(1800)) + "室";
  row.phone =
      std::string(city.area_code) + "-" + std::to_string(2 + dice.Below(7)) + dice.Digits(7, false);
  const char *bank = kBanks[dice.Below(Count(kBanks))];
  row.bank = dice.Below(3) == 0
                 ? std::string(bank) + city.name + city.districts[dice.Below(2)] + "支行"
                 : std::string(bank) + city.name + "分行";
  row.bank_account = dice.Digits(16 + dice.Below(4), true);
  return row;
}

const City &CityNamed(const std::string &name) {
  for (const City &city : kCities)
    if (name == city.name)
      return city;
  return kCities[0];
}

// Hand-picked names: GBK trail bytes 0x5C (誠 運 衆 錦), a shared fragment,
// full-width brackets, and ASCII letters for case-blind search.
struct FixedCompany {
  const char *city;
  const char *name;
  const char *address; // empty: generated
};

const FixedCompany kFixedCompanies[] = {
    {"深圳", "深圳誠運物流有限公司", ""},
    {"厦门", "厦门誠運科技有限公司", ""},
    {"广州", "广州衆誠貿易有限公司", ""},
    {"杭州", "杭州錦綸紡織有限公司", "杭州市拱墅区運河路88号"},
    {"北京", "北京星光科技（集团）有限公司", ""},
    {"上海", "上海ABC国际贸易有限公司", ""},
};

InvoiceRow MakeInvoice(Dice &dice, const CompanyRow &buyer, int index) {
  InvoiceRow row;
  row.business_keyno = kMerchantKeyNo;
  row.business_userid = kDemoUserId;
  row.fapiao_code = "0" + dice.Digits(11, false);
  row.company_keyno = buyer.keyno;
  row.company_name = buyer.name;
  row.company_taxid = buyer.credit_code;
  row.company_address = buyer.address;
  row.company_phone = buyer.phone;
  row.bank_name = buyer.bank;
  row.bank_accounts = buyer.bank_account;
  row.apply_mark = index % 4 == 1 ? "月结客户" : "";
  row.apply_from = index % 3 == 2 ? "wx" : "pc";
  row.create_time = kSeedEpoch + index * 86400 + static_cast<std::int64_t>(dice.Below(36000));
  row.update_time = row.create_time + static_cast<std::int64_t>(dice.Below(7200));
  return row;
}

} // namespace

VersionRow DefaultVersion() {
  VersionRow row;
  row.version_id = "1";
  row.version_no = "1.1";
  row.description = "修复已知问题，提升稳定性";
  row.force_update = "0";
  row.installer = "MoravelUpgrade_1.1.exe";
  row.release_date = kSeedEpoch;
  return row;
}

bool SeedDatabase(Database &db) {
  if (!db.ResetSchema() || !db.Begin())
    return false;
  Dice dice(kRandomSeed);
  std::set<std::string> names;
  std::vector<CompanyRow> companies;
  bool ok = true;

  CompanyRow merchant;
  merchant.keyno = kMerchantKeyNo;
  merchant.name = kMerchantName;
  merchant.credit_code = kMerchantCreditCode;
  merchant.address = "福州市鼓楼区五四路158号环球广场18层";
  merchant.phone = "0591-87110000";
  merchant.bank = "中国工商银行福州分行";
  merchant.bank_account = "1402023109600012345";
  names.insert(merchant.name);
  ok = ok && db.InsertCompany(merchant);

  for (const FixedCompany &fixed : kFixedCompanies) {
    CompanyRow row = MakeCompany(dice, CityNamed(fixed.city), fixed.name);
    if (*fixed.address)
      row.address = fixed.address;
    names.insert(row.name);
    companies.push_back(row);
  }
  while (static_cast<int>(companies.size()) < kGeneratedCompanies) {
    const City &city = kCities[dice.Below(Count(kCities))];
    std::string name = std::string(city.name) + kWords[dice.Below(Count(kWords))] +
                       kIndustries[dice.Below(Count(kIndustries))] + "有限公司";
    if (!names.insert(name).second)
      continue;
    companies.push_back(MakeCompany(dice, city, name));
  }
  for (const CompanyRow &row : companies)
    ok = ok && db.InsertCompany(row);

  ok = ok && db.InsertUser(kDemoUserId, kDemoPhone, kSeedEpoch) &&
       db.InsertUser("10000002", "13900139000", kSeedEpoch);

  // A history for the merchant: every buyer a different company, some marked "wx".
  for (int i = 0; i < 8; ++i) {
    const CompanyRow &buyer = companies[(i * 37 + 3) % companies.size()];
    ok = ok && db.InsertInvoice(MakeInvoice(dice, buyer, i)) != 0;
  }
  ok = ok && db.SetVersion(DefaultVersion());
  return db.Commit() && ok;
}
