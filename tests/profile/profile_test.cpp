#include <gtest/gtest.h>

#include <windows.h>

#include "profile/profile.h"
#include "tempdir.h"

namespace {

std::string Ops(const ScopedWorkDir& dir)
{
    return ReadFileBytes(dir.File(L"ops.dat"));
}

// Lines of the file without line ends, so the checks do not depend on CRLF.
std::string Lines(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

}  // namespace

TEST(profile_read, missing_file_gives_empty_values)
{
    ScopedWorkDir dir;
    EXPECT_EQ(ReadStoredUser(), "");
    EXPECT_EQ(ReadCompanyId(), L"");
    std::string kn = "x", tc = "x", cn = "x";
    ReadCompanyProfile(L"_HT123", kn, tc, cn);
    EXPECT_EQ(kn, "");
    EXPECT_EQ(tc, "");
    EXPECT_EQ(cn, "");
    EXPECT_EQ(Ops(dir), "") << "reading must not create the file";
}

TEST(profile_read, section_and_key_names_ignore_case)
{
    ScopedWorkDir dir;
    WriteFileBytes(dir.File(L"ops.dat"), "[user]\r\nid=u-77\r\n[COM_ht9]\r\nkn=K\r\ntC=T\r\nCn=N\r\n");
    EXPECT_EQ(ReadStoredUser(), "u-77");
    std::string kn, tc, cn;
    ReadCompanyProfile(L"_HT9", kn, tc, cn);
    EXPECT_EQ(kn, "K");
    EXPECT_EQ(tc, "T");
    EXPECT_EQ(cn, "N");
}

// Each key has its own capacity; a longer value comes back cut to capacity less one.
TEST(profile_read, long_values_are_cut_at_capacity)
{
    ScopedWorkDir dir;
    const std::string longValue(700, 'A');
    WriteStoredUser(longValue);
    WriteCompanyId(std::wstring(700, L'B'));
    WriteCompanyNameAndTaxCode(L"_HTX", longValue, longValue);
    WriteCompanyKeyNo(L"_HTX", longValue);

    EXPECT_EQ(ReadStoredUser().size(), 99u);
    EXPECT_EQ(ReadCompanyId().size(), 99u);
    std::string kn, tc, cn;
    ReadCompanyProfile(L"_HTX", kn, tc, cn);
    EXPECT_EQ(kn.size(), 299u);
    EXPECT_EQ(tc.size(), 299u);
    EXPECT_EQ(cn.size(), 499u);
}

TEST(profile_write, chinese_values_round_trip_in_the_ansi_code_page)
{
    ScopedWorkDir dir;
    const std::string name = "\xB0\xA2\xC0\xEF";  // 阿里 in GBK
    WriteCompanyNameAndTaxCode(L"_BWabc", name, "91350100M000100Y43");
    std::string kn, tc, cn;
    ReadCompanyProfile(L"_BWABC", kn, tc, cn);
    EXPECT_EQ(cn, name);
    EXPECT_EQ(tc, "91350100M000100Y43");
    EXPECT_NE(Ops(dir).find(name), std::string::npos) << "the file is text in code page 936";
}

TEST(profile_write, new_section_keeps_key_order_and_empty_values)
{
    ScopedWorkDir dir;
    WriteCompanyNameAndTaxCode(L"_HT1", "", "");
    WriteCompanyKeyNo(L"_HT1", "k1");
    EXPECT_EQ(Lines(Ops(dir)), "[Com_HT1]\nCN=\nTC=\nKN=k1\n");
}

TEST(profile_write, empty_identity_addresses_the_com_section)
{
    ScopedWorkDir dir;
    WriteCompanyId(L"_HT5");
    WriteCompanyNameAndTaxCode(L"", "n", "t");
    EXPECT_EQ(ReadCompanyId(), L"_HT5");
    EXPECT_EQ(Lines(Ops(dir)), "[Com]\nId=_HT5\nCN=n\nTC=t\n");
}

TEST(profile_write, identities_are_kept_apart)
{
    ScopedWorkDir dir;
    WriteCompanyNameAndTaxCode(L"_HTA", "a-name", "a-code");
    WriteCompanyKeyNo(L"_HTA", "a-key");
    WriteCompanyNameAndTaxCode(L"_BWB", "b-name", "b-code");
    WriteCompanyKeyNo(L"_BWB", "b-key");
    WriteCompanyId(L"_BWB");
    WriteCompanyId(L"_HTA");

    std::string kn, tc, cn;
    ReadCompanyProfile(L"_HTA", kn, tc, cn);
    EXPECT_EQ(kn + tc + cn, "a-keya-codea-name");
    ReadCompanyProfile(L"_BWB", kn, tc, cn);
    EXPECT_EQ(kn + tc + cn, "b-keyb-codeb-name");
}

TEST(profile_write, existing_file_keeps_its_other_sections)
{
    ScopedWorkDir dir;
    WriteFileBytes(dir.File(L"ops.dat"), "[Other]\r\nkeep=1\r\n[User]\r\nId=old\r\n[Com_HT2]\r\nKN=k2\r\n");
    WriteStoredUser("new-user");
    WriteCompanyNameAndTaxCode(L"_HT2", "n2", "t2");

    const std::string text = Lines(Ops(dir));
    EXPECT_NE(text.find("[Other]\nkeep=1\n"), std::string::npos) << text;
    EXPECT_EQ(ReadStoredUser(), "new-user");
    std::string kn, tc, cn;
    ReadCompanyProfile(L"_HT2", kn, tc, cn);
    EXPECT_EQ(kn + tc + cn, "k2t2n2");
}

// A value or identity with a line break would inject keys or sections; it is
// refused and the file stays as it was.
TEST(profile_write, values_that_would_break_the_file_are_refused)
{
    ScopedWorkDir dir;
    WriteStoredUser("u1");
    WriteCompanyNameAndTaxCode(L"_HT3", "n3", "t3");
    const std::string before = Ops(dir);

    EXPECT_FALSE(WriteStoredUser("u2\r\n[User]\r\nId=evil"));
    EXPECT_FALSE(WriteCompanyKeyNo(L"_HT3", "k\nTC=evil"));
    EXPECT_FALSE(WriteCompanyNameAndTaxCode(L"_HT3", "fine", "t\r\nx=y"));
    EXPECT_FALSE(WriteCompanyId(L"_HT3]\r\n[User"));
    EXPECT_FALSE(WriteCompanyNameAndTaxCode(L"_HT]x", "n", "t"));

    EXPECT_EQ(Ops(dir), before);
    EXPECT_TRUE(WriteStoredUser("u3"));
    EXPECT_EQ(ReadStoredUser(), "u3");
}
