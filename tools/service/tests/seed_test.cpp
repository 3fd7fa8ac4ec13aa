#include <gtest/gtest.h>

#include "credit_code.h"
#include "database.h"
#include "gbk.h"
#include "seed.h"
#include "temp_dir.h"

namespace {

bool IsLowerHex32(const std::string &text) {
  if (text.size() != 32)
    return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
      return false;
  return true;
}

std::vector<CompanyRow> AllCompanies(Database &db) {
  return db.SearchCompanies("有限公司", 100000);
}

} // namespace

TEST(seed, companies_are_well_formed) {
  TempDir dir;
  Database db;
  ASSERT_TRUE(db.Open(dir.path() + "/s.db"));
  ASSERT_TRUE(SeedDatabase(db));
  std::vector<CompanyRow> companies = AllCompanies(db);
  ASSERT_GE(companies.size(), 300u);
  ASSERT_EQ(static_cast<int>(companies.size()), db.CompanyCount());
  int with_trail_5c = 0;
  for (const CompanyRow &row : companies) {
    EXPECT_TRUE(IsValidCreditCode(row.credit_code)) << row.name << " " << row.credit_code;
    EXPECT_EQ(row.credit_code[16], OrgCodeCheckChar(row.credit_code.substr(8, 8)))
        << row.credit_code;
    EXPECT_TRUE(IsLowerHex32(row.keyno)) << row.keyno;
    EXPECT_FALSE(row.address.empty() || row.phone.empty() || row.bank.empty());
    EXPECT_EQ(std::string::npos, row.bank_account.find_first_not_of("0123456789"));
    // Every name converts to GBK and back unchanged.
    EXPECT_EQ(row.name, GbkToUtf8(Utf8ToGbk(row.name)));
    if (Utf8ToGbk(row.name).find('\\') != std::string::npos)
      ++with_trail_5c;
  }
  EXPECT_GE(with_trail_5c, 2);
  CompanyRow merchant;
  ASSERT_TRUE(db.FindCompanyByName(kMerchantName, merchant));
  EXPECT_EQ(kMerchantKeyNo, merchant.keyno);
  EXPECT_EQ(8u, db.ListInvoices(kMerchantKeyNo, 100).size());
}

// Tests and demo scripts rely on the same data after every seeding.
TEST(seed, is_deterministic) {
  TempDir dir;
  Database first, second;
  ASSERT_TRUE(first.Open(dir.path() + "/a.db") && second.Open(dir.path() + "/b.db"));
  ASSERT_TRUE(SeedDatabase(first) && SeedDatabase(second));
  std::vector<CompanyRow> a = AllCompanies(first), b = AllCompanies(second);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].keyno, b[i].keyno);
    EXPECT_EQ(a[i].credit_code, b[i].credit_code);
    EXPECT_EQ(a[i].address, b[i].address);
  }
}
