#include <gtest/gtest.h>

#include <regex>

#include "bridge/bankline.h"
#include "bridge/md5.h"
#include "base/textconv.h"

namespace {

struct SplitCase {
    const char* why;
    std::string line;  // GBK bytes
    bool splits;
    std::string bank, account;
};

std::string Gbk(const wchar_t* text)
{
    return WideToGbk(text);
}

std::vector<SplitCase> SplitCases()
{
    return {
        {"bank name then digits", Gbk(L"中国工商银行北京海淀支行0200004509200123456"), true,
         Gbk(L"中国工商银行北京海淀支行"), "0200004509200123456"},
        {"text after the digits is ignored", Gbk(L"中国银行123号"), true, Gbk(L"中国银行"), "123"},
        {"two pairs: the last split byte wins", Gbk(L"工商银行123建设银行456"), true, Gbk(L"工商银行123建设银行"),
         "456"},
        {"space before the digits", Gbk(L"中国银行 12345"), false, "", ""},
        {"no digits", Gbk(L"中国银行"), false, "", ""},
        {"digits only", "12345", false, "", ""},
        {"ASCII letters before digits", "Bank of China123", false, "", ""},
        {"empty", "", false, "", ""},
        // The set is about bytes: the byte before the digits decides, not the character.
        {"CJK whose trail byte 0xA1 is outside the set", Gbk(L"啊123"), false, "", ""},
        {"full-width Latin whose trail byte 0xC1 is inside", Gbk(L"ＡＢ123"), true, Gbk(L"ＡＢ"), "123"},
        {"trail byte 0x9B counts", Gbk(L"龥7"), true, Gbk(L"龥"), "7"},
        {"lone byte 0xBB counts",
         "x\xBB"
         "42",
         true, "x\xBB", "42"},
        {"lone byte 0xFE does not",
         "x\xFE"
         "42",
         false, "", ""},
        // '.' stops at line breaks: the first line that can split is taken.
        {"split in the first line", Gbk(L"甲1\n乙2"), true, Gbk(L"甲"), "1"},
        {"split only after a break", Gbk(L"银行\n乙2"), true, Gbk(L"乙"), "2"},
        {"break between bank and digits", Gbk(L"银行\r123"), false, "", ""},
    };
}

}  // namespace

TEST(bank_line, split_table)
{
    for (const SplitCase& c : SplitCases()) {
        SCOPED_TRACE(c.why);
        std::optional<BankLineSplit> split = SplitSellerBankLine(c.line);
        ASSERT_EQ(c.splits, split.has_value());
        if (!split)
            continue;
        EXPECT_EQ(c.bank, split->bank);
        EXPECT_EQ(c.account, split->account);
    }
}

// The scan stands for the ECMAScript search with the pattern's own GBK text,
// run byte by byte; the same table through std::regex must agree.
TEST(bank_line, split_agrees_with_the_gbk_regex)
{
    const std::regex pattern(Gbk(L"(.*[一-龥])(\\d+)"), std::regex::ECMAScript);
    for (const SplitCase& c : SplitCases()) {
        SCOPED_TRACE(c.why);
        std::smatch match;
        bool found = std::regex_search(c.line, match, pattern);
        std::optional<BankLineSplit> split = SplitSellerBankLine(c.line);
        ASSERT_EQ(found, split.has_value());
        if (!found)
            continue;
        EXPECT_EQ(match[1].str(), split->bank);
        EXPECT_EQ(match[2].str(), split->account);
    }
}

// RFC 1321 test suite, lowercase.
TEST(md5, rfc1321_vectors)
{
    const std::pair<std::string, std::string> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [input, digest] : vectors)
        EXPECT_EQ(digest, Md5Hex(input)) << input;
}
