#include <gtest/gtest.h>

#include <windows.h>

#include "net/diag.h"
#include "net/textconv.h"

TEST(textconv_gbk, ansi_code_page_is_936)
{
    // Everything below assumes a Chinese Windows; under Wine this needs LANG=zh_CN.UTF-8.
    EXPECT_EQ(GetACP(), 936u);
}

TEST(textconv_gbk, wide_to_gbk_cases)
{
    struct Case {
        const wchar_t* in;
        std::string out;
    } cases[] = {
        {L"\u963F\u91CC", "\xB0\xA2\xC0\xEF"},                 // 阿里
        {L"", ""},
        {L"abc 123", "abc 123"},
        {L"\u8FD0\u661E", "\xD4\xCB\x95\x5C"},                   // 昞 ends in 0x5C, a backslash byte
        {L"\u5F20\u4E09\uD55C", ""},                           // Hangul has no GBK form: whole text empty
        {L"\u00C0", ""},                                       // best fit would give 'A'
        {L"A\xD800", ""},                                      // lone surrogate
        {L"\U0001F600", ""},                                   // outside the BMP
    };
    for (const Case& c : cases)
        EXPECT_EQ(WideToGbk(c.in), c.out) << "input of " << wcslen(c.in) << " characters";
}

TEST(textconv_gbk, gbk_round_trip_with_5c_trail_byte)
{
    const std::wstring text = L"\u6B22\u8FCE\u5F00\u7968";  // 欢迎开票
    const std::string gbk = WideToGbk(text);
    ASSERT_FALSE(gbk.empty());
    EXPECT_EQ(GbkToWide(gbk), text);
    EXPECT_EQ(GbkToWide("\x95\x5C"), L"\u661E");  // trail byte is a backslash
}

TEST(textconv_debug, response_text_is_readable_and_keeps_length)
{
    EXPECT_EQ(ResponseToDebugText("{\"code\":0}"), L"{\"code\":0}");
    EXPECT_EQ(ResponseToDebugText("\xB0\xA2\xC0\xEF"), L"\u963F\u91CC");
    EXPECT_EQ(ResponseToDebugText(""), L"");
}

TEST(diag_sink, captures_lines_until_removed)
{
    std::vector<std::wstring> seen;
    SetDebugSink([&](const std::wstring& line) { seen.push_back(line); });
    DebugLine(L"Version=1.1");
    DebugLine(L"Something was wrong 4");
    SetDebugSink({});
    DebugLine(L"not captured");
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"Version=1.1", L"Something was wrong 4"}));
}
