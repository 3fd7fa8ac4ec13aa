#include <gtest/gtest.h>

#include "ui/inputtext.h"

TEST(inputtext_mobile, accepts_exactly_the_listed_ranges)
{
    struct Case {
        const char* number;
        bool accepted;
    } cases[] = {
        // every accepted prefix
        {"13012345678", true}, {"13912345678", true}, {"14712345678", true}, {"15012345678", true},
        {"15312345678", true}, {"15512345678", true}, {"15912345678", true}, {"18012345678", true},
        {"18212345678", true}, {"18512345678", true}, {"18912345678", true},
        // prefixes outside the ranges
        {"15412345678", false}, {"18112345678", false}, {"18312345678", false}, {"18412345678", false},
        {"14512345678", false}, {"17012345678", false}, {"17712345678", false}, {"12012345678", false},
        // length and stray characters: the match covers the whole text
        {"1381234567", false}, {"138123456789", false}, {"", false}, {"+8613812345678", false},
        {"138 12345678", false}, {"138\t12345678", false}, {"\t13812345678", false}, {" 13812345678", false},
        {"13812345678\n", false}, {"1381234567a", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsMobileNumber(c.number), c.accepted) << '"' << c.number << '"';
}

TEST(inputtext_trim, drops_only_spaces_at_the_ends)
{
    EXPECT_EQ(TrimSpaces(L"  13812345678 "), L"13812345678");
    EXPECT_EQ(TrimSpaces(L"   "), L"");
    EXPECT_EQ(TrimSpaces(L""), L"");
    EXPECT_EQ(TrimSpaces(L"\t a b \x3000"), L"\t a b \x3000");
}
