#include <gtest/gtest.h>

#include "credit_code.h"

// Codes published by real registries: the algorithm must agree with them.
TEST(credit_code, check_char_matches_published_codes) {
  for (const std::string code : {"91350100M000100Y43", "91110000802100433B"}) {
    EXPECT_TRUE(IsValidCreditCode(code)) << code;
    EXPECT_EQ(code[17], CreditCodeCheckChar(code.substr(0, 17))) << code;
  }
}

TEST(credit_code, rejects_malformed_codes) {
  struct Case {
    const char *code;
    const char *why;
  };
  const Case cases[] = {
      {"91350100M000100Y44", "wrong check character"},
      {"91350100M000100Y4", "17 characters"},
      {"91350100M000100Y433", "19 characters"},
      {"91350100m000100Y43", "lower-case letter"},
      {"91350100I000100Y43", "I is not in the alphabet"},
      {"91350100O000100Y43", "O is not in the alphabet"},
      {"91350100M000100Y4Z", "Z is never a check character"},
      {"", "empty"},
  };
  for (const Case &c : cases)
    EXPECT_FALSE(IsValidCreditCode(c.code)) << c.why;
}

// A check value of 31 wraps to '0' rather than running off the alphabet.
TEST(credit_code, check_value_zero_wraps) {
  // Search the 17-character prefixes 9135010000000000d for one whose check is '0'.
  bool found = false;
  for (char d = '0'; d <= '9' && !found; ++d) {
    for (char e = '0'; e <= '9' && !found; ++e) {
      std::string prefix = std::string("913501000000000") + d + e;
      if (CreditCodeCheckChar(prefix) == '0') {
        found = true;
        EXPECT_TRUE(IsValidCreditCode(prefix + "0"));
      }
    }
  }
  EXPECT_TRUE(found);
}

TEST(credit_code, org_code_check) {
  // 80210043-3 is the organisation code inside 91110000802100433B.
  EXPECT_EQ('3', OrgCodeCheckChar("80210043"));
  EXPECT_EQ('\0', OrgCodeCheckChar("8021004"));
}
