// Endpoints against staged answers: every way an answer can be malformed, served
// over loopback HTTP through the real transport.
#include <gtest/gtest.h>

#include <windows.h>

#include "net/accountendpoints.h"
#include "net/companyendpoints.h"
#include "base/log.h"
#include "net/httptransport.h"
#include "net/invoiceendpoints.h"
#include "net/serviceaccess.h"
#include "net/versionendpoint.h"
#include "rawserver.h"

namespace {
RawHttpServer* g_server = nullptr;

class StagedService : public ::testing::Environment {
public:
    void SetUp() override
    {
        g_server = new RawHttpServer();
        const std::string url = g_server->Url("/api/");
        OverrideServiceBaseUrl(url);
    }
    void TearDown() override
    {
        delete g_server;
        g_server = nullptr;
    }
};
::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new StagedService);

class endpoint_answers : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_server && g_server->Listening());
        g_server->Clear();
        m_previousSink = SetDebugSink([this](const std::wstring& line) { m_log.push_back(line); });
    }
    void TearDown() override { SetDebugSink(m_previousSink); }

    void Stage(const std::string& json) { g_server->Push({RawHttpServer::Answer("HTTP/1.1 200 OK", json)}); }
    int Count(const std::wstring& line) const
    {
        int n = 0;
        for (const std::wstring& l : m_log)
            n += l == line;
        return n;
    }

    CHttpTransport transport;
    std::vector<std::wstring> m_log;
    DebugSink m_previousSink;
};

CompanyRecord Filled()
{
    CompanyRecord r;
    r.Name = L"old name";
    r.Address = L"old address";
    r.KeyNo = L"old keyno";
    r.CreditCode = L"old code";
    r.Bank = L"old bank";
    r.Bankaccount = L"old account";
    r.PhoneNumber = L"old phone";
    r.ApplyId = L"old apply";
    r.UserId = L"old user";
    r.Identity = L"old identity";
    return r;
}
}  // namespace

// The envelope: only a numeric code of 200 passes, 1 as well for the login.
TEST_F(endpoint_answers, login_envelope)
{
    struct Case {
        std::string answer;
        bool ok;
    } cases[] = {
        {R"({"code":1,"data":"u9","msg":"ok"})", true},
        {R"({"code":200,"data":"u9"})", true},
        {R"({"code":"200","data":"u9"})", false},       // code as a string
        {R"({"code":true,"data":"u9"})", false},        // a boolean is not the number 1
        {R"({"code":4294967496,"data":"u9"})", false},  // 2^32 + 200 must not wrap to 200
        {R"({"code":null,"data":"u9"})", false},
        {R"({"data":"u9"})", false},
        {R"({"code":0,"data":"u9"})", false},
        {R"({"code":200,"data":null})", false},
        {R"({"code":200})", false},
        {R"({"code":200,"data":5})", false},
        {R"([200,"u9"])", false},
        {"<html>busy</html>", false},
        {"", false},
        {std::string(50000, '['), false},
    };
    for (const Case& c : cases) {
        Stage(c.answer);
        std::wstring user = L"unchanged";
        EXPECT_EQ(LoginByVerifyCode(transport, L"13800138000", L"123456", user), c.ok) << c.answer.substr(0, 60);
        EXPECT_EQ(user, c.ok ? L"u9" : L"unchanged") << c.answer.substr(0, 60);
    }
}

TEST_F(endpoint_answers, key_number)
{
    struct Case {
        std::string answer;
        bool ok;
    } cases[] = {
        {R"({"code":200,"data":{"keyno":"6c75"}})", true},
        {R"({"code":1,"data":{"keyno":"6c75"}})", false},  // 1 is the login's alone
        {R"({"code":200,"data":{"keyno":5}})", false},
        {R"({"code":200,"data":{}})", false},
        {R"({"code":200,"data":null})", false},
        {R"({"code":404,"data":null,"msg":"no such company"})", false},
    };
    for (const Case& c : cases) {
        Stage(c.answer);
        std::wstring keyNo = L"unchanged";
        EXPECT_EQ(GetCompanyKeyNo(transport, L"\u963F\u91CC", keyNo), c.ok) << c.answer;
        EXPECT_EQ(keyNo, c.ok ? L"6c75" : L"unchanged") << c.answer;
    }
}

TEST_F(endpoint_answers, search_with_no_usable_list_leaves_the_array)
{
    const char* answers[] = {
        R"({"code":200,"data":[]})",
        R"({"code":200,"data":{"KeyNo":"k","Name":"n"}})",
        R"({"code":200,"data":null})",
        R"({"code":1,"data":[{"KeyNo":"k","Name":"n"}]})",
    };
    for (const char* answer : answers) {
        Stage(answer);
        std::vector<CompanyRecord> hits(1, Filled());
        EXPECT_FALSE(GetCompanyList(transport, L"ab", L"u1", hits)) << answer;
        ASSERT_EQ(hits.size(), 1u) << answer;
        EXPECT_EQ(hits[0].Name, L"old name");
    }
}

TEST_F(endpoint_answers, search_skips_unreadable_hits)
{
    // GBK in the answer: 阿里 in <em>, then 巴巴; 昞 whose trail byte 0x5C is escaped as "\\".
    Stage("{\"code\":200,\"data\":["
          "{\"KeyNo\":\"k1\",\"Name\":\"<em>\xB0\xA2\xC0\xEF</em>\xB0\xCD\xB0\xCD\"},"
          "{\"Name\":\"no key\"},"
          "{\"KeyNo\":\"k3\",\"Name\":\"\x95\\\\\"},"
          "{\"KeyNo\":5,\"Name\":\"numeric key\"},"
          "{\"KeyNo\":\"k5\",\"Name\":[\"array\"]},"
          "7,"
          "{\"KeyNo\":\"k7\",\"Name\":5},"
          "{\"KeyNo\":\"k8\",\"Name\":null}"
          "]}");
    std::vector<CompanyRecord> hits(1, Filled());
    EXPECT_TRUE(GetCompanyList(transport, L"\u963F\u91CC", L"u1", hits));
    ASSERT_EQ(hits.size(), 5u);
    EXPECT_EQ(hits[1].Name, L"\u963F\u91CC\u5DF4\u5DF4");
    EXPECT_EQ(hits[1].KeyNo, L"k1");
    EXPECT_EQ(hits[1].CreditCode, L"");  // a new record, nothing carried over
    EXPECT_EQ(hits[2].Name, L"\u661E");
    EXPECT_EQ(hits[3].Name, L"5");
    EXPECT_EQ(hits[4].Name, L"");
    EXPECT_EQ(Count(L"Something was wrong 4"), 4);
}

TEST_F(endpoint_answers, company_info_fills_in_order_until_a_field_fails)
{
    const std::string fields =
        R"("Name":"N","Address":"A","Bank":"B","CreditCode":"C","PhoneNumber":"P","Bankaccount":"BA")";
    struct Case {
        const char* what;
        std::string answer;
        CompanyRecord expect;
        bool wrong3;
    } cases[] = {
        {"complete", "{\"code\":200,\"data\":{" + fields + "}}", Filled(), false},
        {"CreditCode null", R"({"code":200,"data":{"Name":"N","Address":"A","Bank":"B","CreditCode":null}})", Filled(),
         true},
        {"PhoneNumber a number",
         R"({"code":200,"data":{"Name":"N","Address":"A","Bank":"B","CreditCode":"C","PhoneNumber":5,"Bankaccount":"BA"}})",
         Filled(), true},
        {"Name an object", R"({"code":200,"data":{"Name":{},"Address":"A","Bank":"B","CreditCode":"C"}})", Filled(),
         true},
        {"Name a number", R"({"code":200,"data":{"Name":5,"CreditCode":"C","PhoneNumber":"P","Bankaccount":"BA"}})",
         Filled(), false},
    };
    // What each case leaves behind.
    cases[0].expect.Name = L"N", cases[0].expect.Address = L"A", cases[0].expect.Bank = L"B";
    cases[0].expect.CreditCode = L"C", cases[0].expect.PhoneNumber = L"P", cases[0].expect.Bankaccount = L"BA";
    cases[1].expect.Name = L"N", cases[1].expect.Address = L"A";
    cases[2].expect.Name = L"N", cases[2].expect.Address = L"A", cases[2].expect.CreditCode = L"C";
    cases[2].expect.Bank = L"B";
    cases[4].expect.Name = L"5", cases[4].expect.Address = L"", cases[4].expect.Bank = L"";
    cases[4].expect.CreditCode = L"C", cases[4].expect.PhoneNumber = L"P", cases[4].expect.Bankaccount = L"BA";

    for (const Case& c : cases) {
        m_log.clear();
        Stage(c.answer);
        CompanyRecord r = Filled();
        EXPECT_TRUE(GetCompanyInfo(transport, L"k1", r)) << c.what;
        EXPECT_EQ(r.Name, c.expect.Name) << c.what;
        EXPECT_EQ(r.Address, c.expect.Address) << c.what;
        EXPECT_EQ(r.CreditCode, c.expect.CreditCode) << c.what;
        EXPECT_EQ(r.Bank, c.expect.Bank) << c.what;
        EXPECT_EQ(r.PhoneNumber, c.expect.PhoneNumber) << c.what;
        EXPECT_EQ(r.Bankaccount, c.expect.Bankaccount) << c.what;
        EXPECT_EQ(r.KeyNo, L"old keyno") << c.what;
        EXPECT_EQ(r.ApplyId, L"old apply") << c.what;
        EXPECT_EQ(Count(L"Something was wrong 3"), c.wrong3 ? 1 : 0) << c.what;
    }

    for (const char* answer : {R"({"code":200,"data":null})", R"({"code":200})", R"({"code":"200","data":{}})"}) {
        Stage(answer);
        CompanyRecord r = Filled();
        EXPECT_FALSE(GetCompanyInfo(transport, L"k1", r)) << answer;
        EXPECT_EQ(r.Name, L"old name") << answer;
    }
}

TEST_F(endpoint_answers, invoice_list_skips_unreadable_records)
{
    auto record = [](const std::string& id, const std::string& changes) {
        std::string r = R"({"apply_id":"ID","business_keyno":"bk","fapiao_code":"fc","user_id":"u",)"
                        R"("company_keyno":"ck","company_name":"cn","company_taxid":"ct","company_address":"ca",)"
                        R"("bank_name":"bn","bank_accounts":"ba","apply_mark":"am","apply_from":"wx",)"
                        R"("create_time":"1700000000","update_time":"1700000100")";
        r.replace(r.find("ID"), 2, id);
        return r + changes + "}";
    };
    // jsoncpp keeps the last of two equal keys, so a change is appended as a duplicate key.
    Stage("{\"code\":200,\"data\":[" + record("1", "") + "," + record("2", ",\"create_time\":1700000000") + "," +
          record("3", ",\"company_name\":null,\"update_time\":\"1700000200abc\",\"create_time\":\"abc\"") + "," +
          record("4", ",\"apply_from\":null") + "," + record("5", ",\"bank_name\":[1]") + "," +
          record("6", ",\"apply_mark\":5") + ",\"x\"]}");
    std::vector<InvoiceRecord> records(1);
    EXPECT_TRUE(GetInvoiceRecordList(transport, L"bk", L"u", records));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1].apply_id, L"1");
    EXPECT_EQ(records[1].apply_from, L"wx");
    EXPECT_EQ(records[1].create_time, 1700000000);
    EXPECT_EQ(records[1].update_time, 1700000100);
    EXPECT_EQ(records[2].apply_id, L"3");
    EXPECT_EQ(records[2].company_name, L"");
    EXPECT_EQ(records[2].create_time, 0);
    EXPECT_EQ(records[2].update_time, 1700000200);
    EXPECT_EQ(records[3].apply_mark, L"5");
    EXPECT_EQ(Count(L"Something was wrong 1"), 4);

    for (const char* answer : {R"({"code":200,"data":[]})", R"({"code":200,"data":"x"})", R"({"code":0,"data":[]})"}) {
        Stage(answer);
        std::vector<InvoiceRecord> untouched(2);
        EXPECT_FALSE(GetInvoiceRecordList(transport, L"bk", L"u", untouched)) << answer;
        EXPECT_EQ(untouched.size(), 2u) << answer;
    }
}

TEST_F(endpoint_answers, version_is_all_or_nothing)
{
    const std::string data = R"("version_id":"7","description":12,"force_update":"1","is_lastest_version":"0",)"
                             R"("url":"http://h/download/MoravelUpgrade_2.0.exe","version_no":"2.0",)"
                             R"("release_date":"1700000000")";
    Stage("{\"code\":200,\"data\":{" + data + "}}");
    VersionRecord v;
    ASSERT_TRUE(GetLatestVersion(transport, v));
    EXPECT_EQ(v.version_no, L"2.0");
    EXPECT_EQ(v.description, L"12");
    EXPECT_EQ(v.force_update, L"1");
    EXPECT_EQ(v.url, L"http://h/download/MoravelUpgrade_2.0.exe");
    EXPECT_EQ(v.release_date, 1700000000);

    for (const std::string& answer :
         {"{\"code\":200,\"data\":{" + data + ",\"url\":null}}",
          "{\"code\":200,\"data\":{" + data + ",\"release_date\":1}}", std::string(R"({"code":200,"data":null})")}) {
        Stage(answer);
        VersionRecord kept;
        kept.version_no = L"1.0";
        EXPECT_FALSE(GetLatestVersion(transport, kept)) << answer;
        EXPECT_EQ(kept.version_no, L"1.0");
        EXPECT_EQ(kept.url, L"");
    }
}

// The reporting calls used to claim success whatever happened.
TEST_F(endpoint_answers, reports_tell_refusal_from_success)
{
    struct Case {
        std::string reply;
        bool ok;
    } cases[] = {
        {RawHttpServer::Answer("HTTP/1.1 200 OK", R"({"code":200,"data":{"apply_id":"9"}})"), true},
        {RawHttpServer::Answer("HTTP/1.1 200 OK", R"({"code":400,"data":null})"), false},
        {RawHttpServer::Answer("HTTP/1.1 500 Internal Server Error", R"({"code":500})"), false},
        {RawHttpServer::Answer("HTTP/1.1 404 Not Found", ""), false},
    };
    for (const Case& c : cases) {
        g_server->Push({c.reply});
        EXPECT_EQ(AddInvoiceRecord(transport, L"bk", L"u", CompanyRecord()), c.ok) << c.reply;
        g_server->Push({c.reply});
        EXPECT_EQ(UpdateInvoiceRecordDate(transport, L"bk", L"9"), c.ok) << c.reply;
        g_server->Push({c.reply});
        EXPECT_EQ(RequestVerifyCode(transport, L"13800138000"), c.ok) << c.reply;
    }
}

// Every non-empty answer reaches the debug log as text; an empty one does not.
TEST_F(endpoint_answers, answers_are_logged)
{
    Stage("{\"code\":0,\"msg\":\"\xB4\xED\"}");  // 错
    RequestVerifyCode(transport, L"1");
    ASSERT_EQ(m_log.size(), 1u);
    EXPECT_EQ(m_log[0], L"{\"code\":0,\"msg\":\"\u9519\"}");
    m_log.clear();
    Stage("");
    RequestVerifyCode(transport, L"1");
    EXPECT_TRUE(m_log.empty());
}
