// The transport over TLS, against the substitute service serving each test
// certificate (tools/service/tls-certs.sh); the prefix trusts the test CA only.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "net/httptransport.h"
#include "net/serviceaccess.h"
#include "net/versionendpoint.h"
#include "servicefixture.h"
#include "tempdir.h"

namespace {
std::wstring Environment(const wchar_t* name)
{
    wchar_t buffer[4096] = {};
    DWORD n = GetEnvironmentVariableW(name, buffer, ARRAYSIZE(buffer));
    return n > 0 && n < ARRAYSIZE(buffer) ? std::wstring(buffer, n) : std::wstring();
}

// What the service behind the URL file in `variable` logged: one line per request it answered.
std::string ServiceLog(const wchar_t* variable)
{
    std::wstring path = Environment(variable);
    path.resize(path.size() - 3);  // "...\url"
    return ReadFileBytes(path + L"service.log");
}

const char kVersion[] = "invoice_getLastestVersion";
}  // namespace

TEST(transport_tls, trusted_certificate_carries_requests_and_downloads)
{
    const std::string base = ServiceUrlFromFile(L"TLS_URL_FILE_GOOD");
    ASSERT_EQ(base.compare(0, 18, "https://localhost:"), 0) << base;
    CHttpTransport transport;
    const HttpExchange got = transport.Exchange(base + kVersion, false, "", "");
    EXPECT_EQ(got.error, HttpErrorNone);
    EXPECT_EQ(got.status, 200u);
    // A long URL (a pasted search text) is no reason to refuse the answer.
    const HttpExchange longer = transport.Exchange(base + kVersion + "?pad=" + std::string(5000, 'a'), false, "", "");
    EXPECT_EQ(longer.error, HttpErrorNone);
    EXPECT_EQ(longer.status, 200u);
    const HttpExchange posted = transport.Exchange(base + "Invoice_regmobileCode", true,
                                                   "Content-Type:application/x-www-form-urlencoded",
                                                   "phone=13800138000");
    EXPECT_EQ(posted.error, HttpErrorNone);
    EXPECT_NE(posted.body.find("\"code\":200"), std::string::npos) << posted.body;

    OverrideServiceBaseUrl(base);
    VersionRecord latest;
    ASSERT_TRUE(GetLatestVersion(transport, latest));
    EXPECT_EQ(latest.url.compare(0, 18, L"https://localhost:"), 0);
    ScopedWorkDir dir;
    ASSERT_TRUE(transport.DownloadToFile(latest.url, dir.File(L"got.exe"), false));
    EXPECT_EQ(ReadFileBytes(dir.File(L"got.exe")), "MZ substitute installer\n");
}

// Each refusal ends like a failed send, before anything reaches the service or the parser.
TEST(transport_tls, refused_certificates_fail_like_a_send)
{
    const wchar_t* cases[] = {L"TLS_URL_FILE_OTHERHOST", L"TLS_URL_FILE_EXPIRED", L"TLS_URL_FILE_UNTRUSTED"};
    for (const wchar_t* variable : cases) {
        SCOPED_TRACE(testing::Message() << std::string(variable, variable + wcslen(variable)));
        const std::string base = ServiceUrlFromFile(variable);
        ASSERT_EQ(base.compare(0, 18, "https://localhost:"), 0) << base;

        CHttpTransport transport;
        const HttpExchange got = transport.Exchange(base + kVersion, false, "", "");
        EXPECT_EQ(got.error, HttpErrorSend);
        EXPECT_EQ(got.status, 0u);
        EXPECT_TRUE(got.body.empty());
        EXPECT_EQ(transport.LastError(), HttpErrorSend);

        OverrideServiceBaseUrl(base);
        VersionRecord latest;
        latest.version_no = L"as before";
        EXPECT_FALSE(GetLatestVersion(transport, latest));
        EXPECT_EQ(latest.version_no, L"as before");

        ScopedWorkDir dir;
        const std::wstring wideBase(base.begin(), base.end());
        EXPECT_FALSE(transport.DownloadToFile(wideBase + L"download/MoravelUpgrade_1.1.exe", dir.File(L"got.exe"),
                                              false));
        EXPECT_EQ(GetFileAttributesW(dir.File(L"got.exe").c_str()), INVALID_FILE_ATTRIBUTES);

        const std::string log = ServiceLog(variable);
        EXPECT_EQ(log.find("GET /"), std::string::npos) << log;
    }
}

// A redirect from https to http would hand the answer to anyone on the path: refused
// like a failed send, the plain answer never returned.
TEST(transport_tls, redirect_to_plain_http_fails_like_a_send)
{
    const std::string base = ServiceUrlFromFile(L"TLS_URL_FILE_GOOD");
    std::string plain = ServiceUrlFromFile(L"TLS_URL_FILE_PLAIN");
    ASSERT_EQ(plain.compare(0, 7, "http://"), 0) << plain;
    plain.pop_back();  // the origin, without its '/'
    std::string to;
    for (char c : plain)
        to += c == ':' ? "%3A" : c == '/' ? "%2F" : std::string(1, c);
    ASSERT_TRUE(ServiceControl("fault?mode=redirect&to=" + to));

    CHttpTransport transport;
    const HttpExchange got = transport.Exchange(base + kVersion, false, "", "");
    EXPECT_EQ(got.error, HttpErrorSend);
    EXPECT_TRUE(got.body.empty());
    ScopedWorkDir dir;
    const std::wstring wideBase(base.begin(), base.end());
    EXPECT_FALSE(transport.DownloadToFile(wideBase + L"download/MoravelUpgrade_1.1.exe", dir.File(L"got.exe"), false));
    EXPECT_EQ(GetFileAttributesW(dir.File(L"got.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(ServiceControl("reset"));
}
