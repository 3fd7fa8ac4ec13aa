// The endpoints against the substitute service on loopback: the real client,
// the real server, real HTTP. The service's request log shows the wire.
#include <gtest/gtest.h>

#include <windows.h>

#include <sstream>

#include "net/accountendpoints.h"
#include "net/companyendpoints.h"
#include "base/log.h"
#include "net/httptransport.h"
#include "net/invoiceendpoints.h"
#include "net/serviceaccess.h"
#include "base/textconv.h"
#include "net/versionendpoint.h"
#include "servicefixture.h"
#include "tempdir.h"

namespace {
// Fixed by the service's seed data.
const char kMerchantKeyNo[] = "6c756d6f72612d6d65726368616e7431";
const wchar_t kMerchantKey[] = L"6c756d6f72612d6d65726368616e7431";
const wchar_t kMerchantName[] = L"\u798F\u5DDE\u8DEF\u660E\u4FE1\u606F\u6280\u672F\u6709\u9650\u516C\u53F8";
const wchar_t kDemoPhone[] = L"13800138000";
const wchar_t kDemoUser[] = L"10000001";
const char kForm[] = " content-type=application/x-www-form-urlencoded user-agent=Http-connect";
const char kNoForm[] = " body= content-type= user-agent=Http-connect";

class FixtureService : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(UseFixtureService()) << "MORAVEL_SERVICE_URL_FILE names no service"; }
};
::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new FixtureService);

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

HttpLimits QuickLimits()
{
    HttpLimits limits;
    limits.receiveTimeoutMs = 1000;
    limits.requestDeadlineMs = 5000;
    limits.maxAnswerBytes = 1u << 20;
    return limits;
}

class endpoint_service : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ServiceControl("reset"));
        TakeServiceRequests();
    }
    void TearDown() override { ServiceControl("reset"); }

    std::vector<std::string> Wire() { return Lines(TakeServiceRequests()); }

    CHttpTransport transport{QuickLimits()};
};
}  // namespace

TEST_F(endpoint_service, base_url_comes_from_the_environment)
{
    EXPECT_EQ(ServiceBaseUrl(), FixtureServiceUrl());
}

TEST_F(endpoint_service, login_with_the_sms_code)
{
    EXPECT_TRUE(RequestVerifyCode(transport, kDemoPhone));
    std::string code;
    ASSERT_TRUE(ServiceControl("last-sms?phone=13800138000", &code));
    ASSERT_EQ(code.size(), 6u);
    const std::wstring wideCode(code.begin(), code.end());

    std::wstring user = L"unchanged";
    EXPECT_TRUE(LoginByVerifyCode(transport, kDemoPhone, wideCode, user));
    EXPECT_EQ(user, L"10000001");
    // The code is spent: the same login again is refused.
    std::wstring again = L"unchanged";
    EXPECT_FALSE(LoginByVerifyCode(transport, kDemoPhone, wideCode, again));
    EXPECT_EQ(again, L"unchanged");

    auto wire = Wire();
    ASSERT_EQ(wire.size(), 3u);
    EXPECT_EQ(wire[0], std::string("POST /Invoice_regmobileCode body=phone=13800138000") + kForm);
    EXPECT_EQ(wire[1], "POST /Invoice_loginbyverify body=phone=13800138000&code=" + code + kForm);
}

// Search keys are UTF-8 percent-encoded; the user id goes raw, as GBK.
TEST_F(endpoint_service, search_key_on_the_wire)
{
    struct Case {
        std::wstring key;
        std::wstring userId;
        std::string target;
    } cases[] = {
        {L"\u963F\u91CC", L"u1", "/Invoice_getCompanyList?key=%E9%98%BF%E9%87%8C&user_id=u1"},  // 阿里
        {L"a b", L"u1", "/Invoice_getCompanyList?key=a+b&user_id=u1"},
        {L"a&b", L"u1", "/Invoice_getCompanyList?key=a%26b&user_id=u1"},
        {L"ab", L"u1&key=x", "/Invoice_getCompanyList?key=ab&user_id=u1%26key%3Dx"},
        {L"ab", L"", "/Invoice_getCompanyList?key=ab&user_id="},
        {L"ab", L"\u963F", "/Invoice_getCompanyList?key=ab&user_id=\\xB0\\xA2"},  // GBK bytes go out as bytes
        // Text GBK cannot hold: the key keeps it (UTF-8), the raw value has no bytes for it.
        {L"\uD55C a", L"u1", "/Invoice_getCompanyList?key=%ED%95%9C+a&user_id=u1"},
        {L"ab", L"u\uD55C", "/Invoice_getCompanyList?key=ab&user_id="},
    };
    for (const Case& c : cases) {
        std::vector<CompanyRecord> hits;
        GetCompanyList(transport, c.key, c.userId, hits);
        auto wire = Wire();
        ASSERT_EQ(wire.size(), 1u) << c.target;
        EXPECT_EQ(wire[0], "GET " + c.target + kNoForm);
    }
}

// 誠 and 運 end in the byte 0x5C in GBK: the names must survive both directions.
TEST_F(endpoint_service, search_then_company_info)
{
    const std::wstring fragment = L"\u8AA0\u904B";  // 誠運
    std::vector<CompanyRecord> hits;
    ASSERT_TRUE(GetCompanyList(transport, fragment, kDemoUser, hits));
    ASSERT_EQ(hits.size(), 2u);
    for (const CompanyRecord& hit : hits) {
        EXPECT_NE(hit.Name.find(fragment), std::wstring::npos) << "marks or bytes left in the name";
        EXPECT_EQ(hit.Name.find(L"<em>"), std::wstring::npos);
        EXPECT_EQ(hit.KeyNo.size(), 32u);
    }

    CompanyRecord company = hits[0];
    company.UserId = L"mine";
    ASSERT_TRUE(GetCompanyInfo(transport, company.KeyNo, company));
    EXPECT_EQ(company.Name, hits[0].Name);
    EXPECT_EQ(company.CreditCode.size(), 18u);
    EXPECT_FALSE(company.Address.empty());
    EXPECT_FALSE(company.Bank.empty());
    EXPECT_FALSE(company.Bankaccount.empty());
    EXPECT_FALSE(company.PhoneNumber.empty());
    EXPECT_EQ(company.UserId, L"mine");

    auto wire = Wire();
    ASSERT_EQ(wire.size(), 2u);
    EXPECT_EQ(wire[1], "GET /Invoice_getCompanyInfo?KeyNo=" + WideToGbk(hits[0].KeyNo) + kNoForm);

    CompanyRecord unknown = company;
    EXPECT_FALSE(GetCompanyInfo(transport, L"00000000000000000000000000000000", unknown));
    EXPECT_EQ(unknown.Name, company.Name);
}

TEST_F(endpoint_service, key_number_by_exact_name)
{
    std::wstring keyNo;
    ASSERT_TRUE(GetCompanyKeyNo(transport, kMerchantName, keyNo));
    EXPECT_EQ(keyNo, L"6c756d6f72612d6d65726368616e7431");
    std::wstring kept = L"kept";
    EXPECT_FALSE(GetCompanyKeyNo(transport, L"\u6CA1\u6709\u8FD9\u5BB6", kept));  // 没有这家
    EXPECT_EQ(kept, L"kept");

    auto wire = Wire();
    ASSERT_EQ(wire.size(), 2u);
    EXPECT_EQ(
        wire[0],
        "GET /Invoice_getCompanyKeyno?company_name=%E7%A6%8F%E5%B7%9E%E8%B7%AF%E6%98%8E%E4%BF%A1%E6%81%AF%E6%8A%80"
        "%E6%9C%AF%E6%9C%89%E9%99%90%E5%85%AC%E5%8F%B8" +
            std::string(kNoForm));
}

TEST_F(endpoint_service, add_list_and_use_again)
{
    CompanyRecord buyer;
    buyer.Name = L"\u6D4B\u8BD5 \u516C\u53F8";  // 测试 公司: the space becomes '+'
    buyer.Address = L"\u798F\u5DDE\u5E02";      // 福州市
    buyer.KeyNo = L"k1&company_name=forged";    // raw, yet cannot forge a parameter
    buyer.CreditCode = L"91350100M000100Y43";
    buyer.Bank = L"\u5DE5\u5546\u94F6\u884C";  // 工商银行
    buyer.Bankaccount = L"6222 0000";          // raw: the space stays
    ASSERT_TRUE(AddInvoiceRecord(transport, kMerchantKey, kDemoUser, buyer));

    auto wire = Wire();
    ASSERT_EQ(wire.size(), 1u);
    EXPECT_EQ(wire[0], std::string("POST /Invoice_addFaiao body=business_keyno=") + kMerchantKeyNo +
                           "&business_userid=10000001"
                           "&company_name=%E6%B5%8B%E8%AF%95+%E5%85%AC%E5%8F%B8"
                           "&company_keyno=k1%26company_name%3Dforged"
                           "&company_taxid=91350100M000100Y43"
                           "&company_address=%E7%A6%8F%E5%B7%9E%E5%B8%82"
                           "&company_phone="
                           "&bank_name=%E5%B7%A5%E5%95%86%E9%93%B6%E8%A1%8C"
                           "&bank_accounts=6222\\x200000" +
                           kForm);

    std::vector<InvoiceRecord> records;
    ASSERT_TRUE(GetInvoiceRecordList(transport, kMerchantKey, kDemoUser, records));
    const InvoiceRecord* added = nullptr;
    for (const InvoiceRecord& r : records)
        if (r.company_keyno == buyer.KeyNo)
            added = &r;
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->company_name, buyer.Name);
    EXPECT_EQ(added->company_address, buyer.Address);
    EXPECT_EQ(added->bank_name, buyer.Bank);
    EXPECT_EQ(added->bank_accounts, buyer.Bankaccount);
    EXPECT_EQ(added->company_taxid, buyer.CreditCode);
    EXPECT_EQ(added->business_keyno, L"6c756d6f72612d6d65726368616e7431");
    EXPECT_GT(added->create_time, 1600000000);

    const std::string applyId = WideToGbk(added->apply_id);
    Wire();
    EXPECT_TRUE(UpdateInvoiceRecordDate(transport, kMerchantKey, added->apply_id));
    EXPECT_FALSE(UpdateInvoiceRecordDate(transport, kMerchantKey, L"999999999"));
    wire = Wire();
    ASSERT_EQ(wire.size(), 2u);
    EXPECT_EQ(wire[0], std::string("POST /Invoice_updateFaiaoDate body=business_keyno=") + kMerchantKeyNo +
                           "&apply_id=" + applyId + kForm);
}

TEST_F(endpoint_service, history_list_of_the_seeded_merchant)
{
    std::vector<InvoiceRecord> records;
    ASSERT_TRUE(GetInvoiceRecordList(transport, kMerchantKey, kDemoUser, records));
    ASSERT_FALSE(records.empty());
    bool wx = false;
    for (const InvoiceRecord& r : records) {
        EXPECT_FALSE(r.company_name.empty());
        EXPECT_GE(r.update_time, r.create_time);
        wx = wx || r.apply_from == L"wx";
    }
    EXPECT_TRUE(wx);
    auto wire = Wire();
    ASSERT_EQ(wire.size(), 1u);
    EXPECT_EQ(wire[0], std::string("GET /Invoice_getFaiaoList?business_keyno=") + kMerchantKeyNo +
                           "&business_userid=10000001" + kNoForm);
}

TEST_F(endpoint_service, version_and_installer_download)
{
    VersionRecord version;
    ASSERT_TRUE(GetLatestVersion(transport, version));
    EXPECT_EQ(version.version_no, L"1.1");
    EXPECT_EQ(version.force_update, L"0");
    auto wire = Wire();
    ASSERT_EQ(wire.size(), 1u);
    EXPECT_EQ(wire[0], std::string("GET /invoice_getLastestVersion") + kNoForm);

    ScopedWorkDir dir;
    const std::wstring target = L"MoravelUpgrade_" + version.version_no + L".exe";  // relative, as the app does
    CHttpTransport worker(QuickLimits());
    ASSERT_TRUE(worker.DownloadToFile(version.url, target, false));
    EXPECT_EQ(ReadFileBytes(dir.File(target)), "MZ substitute installer\n");
    EXPECT_FALSE(worker.DownloadToFile(version.url + L".missing", L"other.exe", false));
    EXPECT_EQ(GetFileAttributesW(L"other.exe"), INVALID_FILE_ATTRIBUTES);
}

// Every fault of the service ends in the failure result, with outputs untouched.
TEST_F(endpoint_service, faults_end_in_failure)
{
    const char* modes[] = {
        "404",
        "500",
        "nonjson",
        "wrongtypes",
        "wrongtypes&kind=code",
        "wrongtypes&kind=data",
        "emptydata",
        "slow&seconds=3",
        "drop",
        "endless",
    };
    for (const char* mode : modes) {
        ASSERT_TRUE(ServiceControl(std::string("fault?mode=") + mode)) << mode;
        const ULONGLONG start = GetTickCount64();

        std::vector<CompanyRecord> hits(1);
        EXPECT_FALSE(GetCompanyList(transport, L"ab", kDemoUser, hits)) << mode;
        EXPECT_EQ(hits.size(), 1u) << mode;
        std::vector<InvoiceRecord> records(1);
        EXPECT_FALSE(GetInvoiceRecordList(transport, kMerchantKey, kDemoUser, records)) << mode;
        EXPECT_EQ(records.size(), 1u) << mode;
        std::wstring keyNo = L"kept";
        EXPECT_FALSE(GetCompanyKeyNo(transport, kMerchantName, keyNo)) << mode;
        EXPECT_EQ(keyNo, L"kept") << mode;
        VersionRecord version;
        EXPECT_FALSE(GetLatestVersion(transport, version)) << mode;
        EXPECT_EQ(version.version_no, L"") << mode;
        EXPECT_FALSE(AddInvoiceRecord(transport, kMerchantKey, kDemoUser, CompanyRecord())) << mode;

        // Bounded by the receive timeout (1 s) and the answer cap, not by the service.
        EXPECT_LT(GetTickCount64() - start, 15000u) << mode;
    }

    // Strings turned into numbers: every hit is unreadable, the call itself succeeds.
    ASSERT_TRUE(ServiceControl("fault?mode=wrongtypes&kind=fields"));
    std::vector<std::wstring> log;
    DebugSink previous = SetDebugSink([&log](const std::wstring& line) { log.push_back(line); });
    std::vector<CompanyRecord> hits;
    EXPECT_TRUE(GetCompanyList(transport, L"\u8AA0\u904B", kDemoUser, hits));
    SetDebugSink(previous);
    EXPECT_TRUE(hits.empty());
    EXPECT_EQ(std::count(log.begin(), log.end(), L"Something was wrong 4"), 2);

    // And the service is back to normal afterwards.
    ASSERT_TRUE(ServiceControl("reset"));
    std::wstring keyNo;
    EXPECT_TRUE(GetCompanyKeyNo(transport, kMerchantName, keyNo));
}
