// The transport over TLS, against the substitute service serving each test
// certificate (tools/service/tls-certs.sh); the prefix trusts the test CA only.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
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
    const HttpExchange posted = transport.Exchange(
        base + "Invoice_regmobileCode", true, "Content-Type:application/x-www-form-urlencoded", "phone=13800138000");
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
        EXPECT_FALSE(
            transport.DownloadToFile(wideBase + L"download/MoravelUpgrade_1.1.exe", dir.File(L"got.exe"), false));
        EXPECT_EQ(GetFileAttributesW(dir.File(L"got.exe").c_str()), INVALID_FILE_ATTRIBUTES);

        const std::string log = ServiceLog(variable);
        EXPECT_EQ(log.find("GET /"), std::string::npos) << log;
    }
}

// The origin (scheme, host, port) of a service's URL, percent-encoded for a control request.
std::string EncodedOrigin(const wchar_t* variable)
{
    std::string origin = ServiceUrlFromFile(variable);
    origin.pop_back();  // without its '/'
    std::string encoded;
    for (char c : origin)
        encoded += c == ':' ? "%3A" : c == '/' ? "%2F" : std::string(1, c);
    return encoded;
}

// The requests the service behind the URL file in `variable` received since the last
// call (its control page records each on arrival, before answering).
std::string TakeRequestsOf(const wchar_t* variable)
{
    CHttpTransport transport;
    return transport.Request(ServiceUrlFromFile(variable) + "_control/requests?clear=1", false, "", "");
}

// Redirects are ours to follow, never WinINet's: a 307 or 308 to a POST would send its
// body (a mobile number and SMS code, a buyer's record) again, wherever the answer
// names, before any check could stop it. A POST answered with any redirect fails like
// a failed send, and the place it named hears nothing.
TEST(transport_tls, redirected_post_is_never_sent_again)
{
    const std::string base = ServiceUrlFromFile(L"TLS_URL_FILE_GOOD");
    TakeRequestsOf(L"TLS_URL_FILE_PLAIN");
    TakeRequestsOf(L"TLS_URL_FILE_GOOD_SECOND");
    struct Case {
        const char* why;
        const wchar_t* to;
        int status;
    } cases[] = {
        {"307 to plain http", L"TLS_URL_FILE_PLAIN", 307},
        {"308 to plain http", L"TLS_URL_FILE_PLAIN", 308},
        {"302 to plain http", L"TLS_URL_FILE_PLAIN", 302},
        {"307 to another https service", L"TLS_URL_FILE_GOOD_SECOND", 307},
        {"303 to another https service", L"TLS_URL_FILE_GOOD_SECOND", 303},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(
            ServiceControl("fault?mode=redirect&status=" + std::to_string(c.status) + "&to=" + EncodedOrigin(c.to)));
        CHttpTransport transport;
        const HttpExchange got =
            transport.Exchange(base + "Invoice_loginbyverify", true, "Content-Type:application/x-www-form-urlencoded",
                               "phone=13800138000&code=123456");
        EXPECT_EQ(got.error, HttpErrorSend);
        EXPECT_TRUE(got.body.empty());
    }
    EXPECT_TRUE(ServiceControl("reset"));
    EXPECT_EQ(TakeRequestsOf(L"TLS_URL_FILE_PLAIN"), "");
    EXPECT_EQ(TakeRequestsOf(L"TLS_URL_FILE_GOOD_SECOND"), "");
}

// A GET over https follows a redirect to another https address (a download moved to
// another server), a few hops at most.
TEST(transport_tls, get_follows_https_redirects_a_few_hops)
{
    const std::string base = ServiceUrlFromFile(L"TLS_URL_FILE_GOOD");
    const std::string second = ServiceUrlFromFile(L"TLS_URL_FILE_GOOD_SECOND");
    ASSERT_TRUE(ServiceControl("fault?mode=redirect&status=302&to=" + EncodedOrigin(L"TLS_URL_FILE_GOOD_SECOND")));
    CHttpTransport transport;
    const HttpExchange got = transport.Exchange(base + kVersion, false, "", "");
    EXPECT_EQ(got.error, HttpErrorNone);
    EXPECT_EQ(got.status, 200u);
    // The answer names the service that gave it.
    EXPECT_NE(got.body.find(second.substr(8, second.size() - 9)), std::string::npos) << got.body;
    ScopedWorkDir dir;
    const std::wstring wideBase(base.begin(), base.end());
    EXPECT_TRUE(transport.DownloadToFile(wideBase + L"download/MoravelUpgrade_1.1.exe", dir.File(L"got.exe"), false));
    EXPECT_EQ(ReadFileBytes(dir.File(L"got.exe")), "MZ substitute installer\n");

    // Redirected to itself: followed kMaxRedirects times, then refused.
    ASSERT_TRUE(ServiceControl("fault?mode=redirect&status=307&to=" + EncodedOrigin(L"TLS_URL_FILE_GOOD")));
    std::string requests;
    ASSERT_TRUE(ServiceControl("requests?clear=1", &requests));
    EXPECT_EQ(transport.Exchange(base + kVersion, false, "", "").error, HttpErrorSend);
    ASSERT_TRUE(ServiceControl("requests?clear=1", &requests));
    size_t asked = 0;
    for (size_t at = requests.find(kVersion); at != std::string::npos; at = requests.find(kVersion, at + 1))
        ++asked;
    EXPECT_EQ(asked, static_cast<size_t>(CHttpTransport::kMaxRedirects + 1)) << requests;
    EXPECT_FALSE(transport.DownloadToFile(wideBase + L"download/MoravelUpgrade_1.1.exe", dir.File(L"loop.exe"), false));
    EXPECT_EQ(GetFileAttributesW(dir.File(L"loop.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(ServiceControl("reset"));
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
