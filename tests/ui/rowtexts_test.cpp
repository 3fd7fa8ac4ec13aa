#include <gtest/gtest.h>

#include <climits>

#include "ui/rowtexts.h"

namespace {

std::wstring Chars(std::size_t count)
{
    std::wstring text;
    for (std::size_t i = 0; i < count; ++i)
        text += static_cast<wchar_t>(L'一' + i);
    return text;
}

}  // namespace

// The cut sits exactly past the longest text shown whole.
TEST(row_texts, names_are_cut_past_their_width)
{
    struct Case {
        const char* why;
        std::wstring (*format)(const std::wstring&);
        std::size_t length;
        std::wstring expected;
    } cases[] = {
        {"search: empty", SearchRowText, 0, L""},
        {"search: 20 whole", SearchRowText, 20, Chars(20)},
        {"search: 21 cut to 19", SearchRowText, 21, Chars(19) + L"..."},
        {"search: 60 cut to 19", SearchRowText, 60, Chars(19) + L"..."},
        {"history: 14 whole", HistoryRowText, 14, Chars(14)},
        {"history: 15 cut to 13", HistoryRowText, 15, Chars(13) + L"..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(c.expected, c.format(Chars(c.length)));
    }
}

// Only the clock time, in the zone asked for; a time no calendar holds gives nothing.
TEST(row_texts, history_time_is_the_clock_time)
{
    TIME_ZONE_INFORMATION beijing{};
    beijing.Bias = -480;
    struct Case {
        const char* why;
        std::int64_t seconds;
        std::wstring expected;
    } cases[] = {
        {"epoch", 0, L"08:00:00"},        {"date dropped", 1700000000, L"06:13:20"},
        {"before 1970", -1, L"07:59:59"}, {"far past", INT64_MIN, L""},
        {"far future", INT64_MAX, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(c.expected, HistoryRowTime(c.seconds, &beijing));
    }
    EXPECT_EQ(8u, HistoryRowTime(1700000000).size());
}

// Only the exact "wx" marks a row.
TEST(row_texts, background_marks_wx_only)
{
    EXPECT_EQ(L"#FFF8DC", HistoryRowBackground(L"wx"));
    for (const wchar_t* other : {L"WX", L"Wx", L"pc", L"", L"wx "})
        EXPECT_EQ(L"#FFFFFF", HistoryRowBackground(other)) << other;
}
