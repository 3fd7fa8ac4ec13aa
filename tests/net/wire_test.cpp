#include <gtest/gtest.h>

#include "net/answer.h"
#include "net/wireencoding.h"

// Encoded values: the text's UTF-8, percent-encoded.
TEST(wire_encoded, cases)
{
    struct Case {
        std::wstring in;
        std::string out;
    } cases[] = {
        {L"\u963F\u91CC", "%E9%98%BF%E9%87%8C"},  // 阿里
        {L"a b", "a+b"},
        {L"a&b", "a%26b"},
        {L"AZaz09-_.~", "AZaz09-_.~"},
        {L"+/%=#?", "%2B%2F%25%3D%23%3F"},
        {L"", ""},
        {L"\uD55C a", "%ED%95%9C+a"},  // text GBK cannot hold
        // A surrogate pair is one character; a lone surrogate is none and becomes U+FFFD.
        {{wchar_t(0xD83D), wchar_t(0xDE00)}, "%F0%9F%98%80"},
        {{wchar_t(0xD800), L'x', wchar_t(0xDC00)}, "%EF%BF%BDx%EF%BF%BD"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8PercentEncode(c.in), c.out) << c.out;
}

// Raw values: bytes unchanged, except those that would end or add a parameter.
TEST(wire_raw, cases)
{
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"10000001", "10000001"},
        {"6222 0000 1234", "6222 0000 1234"},                // a space stays a space
        {"\xB0\xA2\x95\x5C", "\xB0\xA2\x95\x5C"},            // GBK bytes, trail 0x5C included
        {"u1&business_keyno=x", "u1%26business_keyno%3Dx"},  // cannot add a parameter
        {"a#b", "a%23b"},                                    // cannot cut the query
        {"100%+", "100%25%2B"},                              // cannot be read as an escape or a space
        {std::string("a\r\nb\t\x7F\0c", 8), "a%0D%0Ab%09%7F%00c"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EscapeRawValue(c.in), c.out) << c.in;
    // Wide text goes out as its GBK bytes, escaped the same way; without a GBK form, as nothing.
    EXPECT_EQ(EscapeRawValue(std::wstring(L"\u963F\u661E&")), "\xB0\xA2\x95\x5C%26");
    EXPECT_EQ(EscapeRawValue(std::wstring(L"1\uD55C")), "");
}

// Times read like atoi.
TEST(answer_seconds, cases)
{
    struct Case {
        const char* in;
        std::int32_t out;
    } cases[] = {
        {"1700000000", 1700000000},  {"1700000000abc", 1700000000},     {"abc", 0}, {"", 0}, {"  -5x", -5}, {"+7", 7},
        {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SecondsFromText(c.in), c.out) << c.in;
}

TEST(answer_em_tags, one_pass_each)
{
    EXPECT_EQ(RemoveEmTags(L"<em>\u963F\u91CC</em>\u5DF4\u5DF4"), L"\u963F\u91CC\u5DF4\u5DF4");
    EXPECT_EQ(RemoveEmTags(L"a<em>b</em>c<em>d</em>"), L"abcd");
    // A tag that a removal forms is left alone.
    EXPECT_EQ(RemoveEmTags(L"<<em>em>x"), L"<em>x");
    EXPECT_EQ(RemoveEmTags(L"x<</em>/em>"), L"x</em>");
}

TEST(answer_parse, malformed_answers_fail_without_throwing)
{
    Json::Value root;
    EXPECT_FALSE(ParseAnswer("", root));
    EXPECT_FALSE(ParseAnswer("<html>busy</html>", root));
    EXPECT_FALSE(ParseAnswer(std::string(100000, '['), root));  // deeper than jsoncpp allows
    EXPECT_FALSE(ParseAnswer("{\"code\":200", root));
    EXPECT_TRUE(ParseAnswer("{\"code\":200}", root));
}
