#include <gtest/gtest.h>

#include "ui/inputtext.h"

TEST(inputtext_mobile, accepts_exactly_the_listed_ranges)
{
    struct Case {
        const wchar_t* number;
        bool accepted;
    } cases[] = {
        // every accepted prefix
        {L"13012345678", true},
        {L"13912345678", true},
        {L"14712345678", true},
        {L"15012345678", true},
        {L"15312345678", true},
        {L"15512345678", true},
        {L"15912345678", true},
        {L"18012345678", true},
        {L"18212345678", true},
        {L"18512345678", true},
        {L"18912345678", true},
        // prefixes outside the ranges
        {L"15412345678", false},
        {L"18112345678", false},
        {L"18312345678", false},
        {L"18412345678", false},
        {L"14512345678", false},
        {L"17012345678", false},
        {L"17712345678", false},
        {L"12012345678", false},
        // length and stray characters: the match covers the whole text
        {L"1381234567", false},
        {L"138123456789", false},
        {L"", false},
        {L"+8613812345678", false},
        {L"138 12345678", false},
        {L"138\t12345678", false},
        {L"\t13812345678", false},
        {L" 13812345678", false},
        {L"13812345678\n", false},
        {L"1381234567a", false},
        // digits of other forms are not the service's digits
        {L"1381234567\uFF18", false},
        {L"1381234567\u0668", false},
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
