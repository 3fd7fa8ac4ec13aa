#include <gtest/gtest.h>

#include "bridge/selleridentity.h"
#include "standins.h"

namespace {

CompanyRecord Previous()
{
    CompanyRecord merchant;
    merchant.Name = L"旧名称";
    merchant.CreditCode = L"旧税号";
    merchant.Bank = L"旧银行";
    merchant.Bankaccount = L"111";
    merchant.Identity = L"_HTOLD";
    return merchant;
}

}  // namespace

// HT: name from #18, tax code from #17; the identity is the tax code as read.
TEST(seller_identity, ht_reads_name_and_tax_code)
{
    ASSERT_TRUE(StandIns::Require(true, false));
    struct Case {
        const char* why;
        std::wstring flags;
        std::wstring name, creditCode, identity;
    } cases[] = {
        {"both fields", L"--seller-name 星辰科技 --seller-tax 91110108MA01C8XK5W", L"星辰科技", L"91110108MA01C8XK5W",
         L"_HT91110108MA01C8XK5W"},
        {"empty tax code gives the bare prefix", L"--seller-name 星辰科技 --seller-tax \"\"", L"星辰科技", L"", L"_HT"},
        // The field holds 100 characters; a longer code is cut to 99.
        {"long tax code is cut to 99", L"--seller-tax " + std::wstring(120, L'7'), L"北京星辰示范科技有限公司",
         std::wstring(99, L'7'), L"_HT" + std::wstring(99, L'7')},
        {"17 children: name keeps its value", L"--target-children 17 --seller-tax 92", L"旧名称", L"92", L"_HT92"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(StandIns::Ht()->Open(c.flags));
        CompanyRecord merchant = Previous();
        EXPECT_EQ(SellerRead::Read, ReadSellerIdentity(merchant));
        EXPECT_EQ(c.name, merchant.Name);
        EXPECT_EQ(c.creditCode, merchant.CreditCode);
        EXPECT_EQ(c.identity, merchant.Identity);
        EXPECT_EQ(L"旧银行", merchant.Bank);
        ASSERT_TRUE(StandIns::Ht()->CloseAll());
    }
}

// BW: the identity is the MD5 of the whole GBK line (digests computed elsewhere).
TEST(seller_identity, bw_splits_the_bank_line)
{
    ASSERT_TRUE(StandIns::Require(false, true));
    struct Case {
        const char* why;
        std::wstring line;
        bool fresh;
        std::wstring bank, account, identity;
    } cases[] = {
        {"bank name then digits", L"中国工商银行北京海淀支行0200004509200123456", true, L"中国工商银行北京海淀支行",
         L"0200004509200123456", L"_BW351eb1065a5d8a6f6d7f331e049d6175"},
        {"two pairs split at the last", L"工商银行123建设银行456", true, L"工商银行123建设银行", L"456",
         L"_BW25bff97b26c93ac2543564a776d3c748"},
        {"space before the digits: no split, default on a fresh record", L"中国银行 12345", true, L"", L"",
         kDefaultBwIdentity},
        {"no digits: default on a fresh record", L"中国银行", true, L"", L"", kDefaultBwIdentity},
        {"no digits: an existing identity stays", L"中国银行", false, L"旧银行", L"111", L"_HTOLD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(StandIns::Bw()->Open(L"--seller-bank-line \"" + c.line + L"\""));
        CompanyRecord merchant = c.fresh ? CompanyRecord() : Previous();
        EXPECT_EQ(SellerRead::Read, ReadSellerIdentity(merchant));
        EXPECT_EQ(c.bank, merchant.Bank);
        EXPECT_EQ(c.account, merchant.Bankaccount);
        EXPECT_EQ(c.identity, merchant.Identity);
        // BW shows no seller name or tax code to read.
        EXPECT_EQ(c.fresh ? L"" : L"旧名称", merchant.Name);
        ASSERT_TRUE(StandIns::Bw()->CloseAll());
    }
}

TEST(seller_identity, no_issuing_window_leaves_record_untouched)
{
    ASSERT_TRUE(StandIns::Require(true, true));
    CompanyRecord merchant = Previous();
    EXPECT_EQ(SellerRead::NoTarget, ReadSellerIdentity(merchant));
    EXPECT_EQ(L"_HTOLD", merchant.Identity);
    EXPECT_EQ(L"旧名称", merchant.Name);
}

// A read that was not answered must not become an identity such as a bare
// "_HT" or the BW default.
TEST(seller_identity, hung_program_leaves_record_untouched)
{
    for (bool ht : {true, false}) {
        SCOPED_TRACE(ht ? "HT" : "BW");
        ASSERT_TRUE(StandIns::Require(ht, !ht));
        StandInProcess* program = ht ? StandIns::Ht() : StandIns::Bw();
        ASSERT_TRUE(program->Open(L""));
        ASSERT_TRUE(program->Hang(4000));
        CompanyRecord merchant = Previous();
        merchant.Identity.clear();
        EXPECT_EQ(SellerRead::Unanswered, ReadSellerIdentity(merchant));
        EXPECT_EQ(L"", merchant.Identity);
        EXPECT_EQ(L"旧税号", merchant.CreditCode);
        EXPECT_EQ(L"旧名称", merchant.Name);
        EXPECT_EQ(L"旧银行", merchant.Bank);
        ASSERT_TRUE(program->WaitResponsive(20000));
    }
}
