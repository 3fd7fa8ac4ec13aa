#include <gtest/gtest.h>

#include "form.h"
#include "gbk.h"

TEST(form, raw_value_decodes_escapes_and_keeps_plus) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"a%26b%3Dc%23d%25e%2Bf", "a&b=c#d%e+f"},
      {"a+b", "a+b"},
      {"6222 0000", "6222 0000"},
      {"%0D%0A%01", "\r\n\x01"},
      // Raw GBK bytes pass through; escaped GBK bytes come back as bytes.
      {"\xB0\xA2\xC0\xEF", "\xB0\xA2\xC0\xEF"},
      {"%B0%a2", "\xB0\xA2"},
      // Not an escape: kept as sent.
      {"100%", "100%"},
      {"%4", "%4"},
      {"%zz", "%zz"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(c.out, DecodeRawValue(c.in)) << c.in;
}

TEST(form, encoded_value_turns_plus_into_space) {
  EXPECT_EQ("a b", DecodeEncodedValue("a+b"));
  EXPECT_EQ("a+b", DecodeEncodedValue("a%2Bb"));
  EXPECT_EQ("a&b", DecodeEncodedValue("a%26b"));
  EXPECT_EQ("阿里", DecodeEncodedValue("%E9%98%BF%E9%87%8C"));
}

// The two parameter kinds end as the same UTF-8 text.
TEST(form, params_to_utf8) {
  EXPECT_EQ("阿里", EncodedParamToUtf8("%E9%98%BF%E9%87%8C"));
  EXPECT_EQ("阿里 巴巴", EncodedParamToUtf8("%E9%98%BF%E9%87%8C+%E5%B7%B4%E5%B7%B4"));
  // GBK where UTF-8 was due is still understood.
  EXPECT_EQ("阿里", EncodedParamToUtf8("%B0%A2%C0%EF"));
  EXPECT_EQ("阿里", RawParamToUtf8("\xB0\xA2\xC0\xEF"));
  EXPECT_EQ("阿里", RawParamToUtf8("%B0%A2%C0%EF"));
  EXPECT_EQ("誠", RawParamToUtf8("\xD5\\"));
  EXPECT_EQ("a+b", RawParamToUtf8("a+b"));
}

TEST(form, parse_fields_keeps_values_undecoded) {
  FormFields fields = ParseFormFields("phone=138&&code=12%263&flag&code=second&=x");
  std::string value;
  ASSERT_TRUE(FindField(fields, "phone", value));
  EXPECT_EQ("138", value);
  ASSERT_TRUE(FindField(fields, "code", value));
  EXPECT_EQ("12%263", value); // the first of two wins
  ASSERT_TRUE(FindField(fields, "flag", value));
  EXPECT_EQ("", value);
  EXPECT_FALSE(FindField(fields, "missing", value));
  EXPECT_TRUE(ParseFormFields("").empty());
}

TEST(gbk, conversions_replace_what_cannot_convert) {
  EXPECT_EQ("\xB0\xA2", Utf8ToGbk("阿"));
  EXPECT_EQ("\x80", Utf8ToGbk("€")); // code page 936, not plain GBK
  EXPECT_EQ("a?b", Utf8ToGbk("a\xF0\x9F\x98\x80"
                             "b")); // emoji: not in GBK
  EXPECT_EQ("a?b", Utf8ToGbk("a\xE9\x98"
                             "b")); // truncated UTF-8
  EXPECT_EQ("a\xEF\xBF\xBD"
            "b",
            GbkToUtf8("a\xFF"
                      "b")); // 0xFF is no GBK lead byte
  EXPECT_EQ("", GbkToUtf8(""));
}

TEST(gbk, utf8_validation) {
  EXPECT_TRUE(IsValidUtf8("abc 阿里"));
  EXPECT_FALSE(IsValidUtf8("\xB0\xA2"));     // GBK
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));     // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")); // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE9\x98"));     // truncated
}
