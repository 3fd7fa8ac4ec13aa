#include <gtest/gtest.h>

#include <windows.h>

#include "net/httptransport.h"
#include "rawserver.h"
#include "tempdir.h"

namespace {
using Reply = RawHttpServer::Reply;

// Short bounds so that stalls end quickly; the defaults are seconds.
HttpLimits QuickLimits()
{
    HttpLimits limits;
    limits.connectTimeoutMs = 2000;
    limits.sendTimeoutMs = 2000;
    limits.receiveTimeoutMs = 700;
    limits.requestDeadlineMs = 5000;
    return limits;
}

std::string Head(const std::string& request)
{
    return request.substr(0, request.find("\r\n\r\n") + 2);
}

bool HasLine(const std::string& request, const std::string& line)
{
    return ("\r\n" + Head(request)).find("\r\n" + line + "\r\n") != std::string::npos;
}
}  // namespace

// Where the host, port and path come from.
TEST(transport_split_url, cases)
{
    struct Case {
        const char* url;
        const char* host;
        const char* page;
        unsigned port;
        bool secure;
    } cases[] = {
        {"http://127.0.0.1:8080/a/b?x=1&y=2", "127.0.0.1", "/a/b?x=1&y=2", 8080, false},
        {"http://example.test/Invoice_addFaiao", "example.test", "/Invoice_addFaiao", 80, false},
        {"http://example.test", "example.test", "", 80, false},  // no '/' after the host: empty path
        {"http://example.test:81", "example.test", "", 81, false},
        {"example.test/x", "example.test", "/x", 80, false},   // no scheme: taken as it is
        {"see http://h:9/p", "h", "/p", 9, false},             // the scheme is found anywhere
        {"http://h:70000/", "h", "/", 70000 & 0xFFFF, false},  // kept in 16 bits
        {"http://h:/p", "h", "/p", 0, false},                  // atoi of nothing
        {"https://example.test/Invoice_addFaiao", "example.test", "/Invoice_addFaiao", 443, true},
        {"https://localhost:8443/a?u=http://b/", "localhost", "/a?u=http://b/", 8443, true},
        {"https://example.test", "example.test", "", 443, true},
        // Only a leading "https://" is secure, in any case; anything else never reaches h.
        {"see https://h/p", "see https", "//h/p", 0, false},
        {"HTTPS://h/p", "h", "/p", 443, true},
        {"hTtPs://h:8443/p", "h", "/p", 8443, true},
        {"HTTP://h/p", "h", "/p", 80, false},
    };
    for (const Case& c : cases) {
        UrlParts parts = CHttpTransport::SplitUrl(c.url);
        EXPECT_EQ(parts.host, c.host) << c.url;
        EXPECT_EQ(parts.page, c.page) << c.url;
        EXPECT_EQ(parts.port, c.port) << c.url;
        EXPECT_EQ(parts.secure, c.secure) << c.url;
    }
}

TEST(transport_request, post_goes_out_unchanged)
{
    RawHttpServer server({{RawHttpServer::Answer("HTTP/1.1 200 OK", "{\"code\":200}")}});
    ASSERT_TRUE(server.Listening());
    CHttpTransport transport(QuickLimits());
    const std::string body = "phone=13800000000&code=\xB0\xA2 1";
    EXPECT_EQ(transport.Request(server.Url("/svc/Invoice_loginbyverify"), true,
                                "Content-Type:application/x-www-form-urlencoded", body),
              "{\"code\":200}");
    EXPECT_EQ(transport.LastError(), HttpErrorNone);

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& r = requests[0];
    EXPECT_EQ(r.substr(0, r.find("\r\n")), "POST /svc/Invoice_loginbyverify HTTP/1.1");
    EXPECT_TRUE(HasLine(r, "User-Agent: Http-connect")) << Head(r);
    EXPECT_TRUE(HasLine(r, "Host: 127.0.0.1:" + std::to_string(server.Port()))) << Head(r);
    EXPECT_NE(Head(r).find("Content-Type:"), std::string::npos) << Head(r);
    EXPECT_NE(Head(r).find("application/x-www-form-urlencoded"), std::string::npos) << Head(r);
    EXPECT_EQ(r.substr(r.find("\r\n\r\n") + 4), body);  // GBK bytes and the space as passed
}

TEST(transport_request, get_sends_no_body_and_keeps_the_query)
{
    RawHttpServer server({{RawHttpServer::Answer("HTTP/1.1 200 OK", "ok")}});
    CHttpTransport transport(QuickLimits());
    EXPECT_EQ(transport.Request(server.Url("/Invoice_getCompanyInfo?KeyNo=ab%26c"), false, "", ""), "ok");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].substr(0, requests[0].find("\r\n")), "GET /Invoice_getCompanyInfo?KeyNo=ab%26c HTTP/1.1");
    EXPECT_EQ(requests[0].substr(requests[0].find("\r\n\r\n") + 4), "");
    EXPECT_EQ(Head(requests[0]).find("Content-Type"), std::string::npos);
}

// The whole head as WinINet writes it for our flags: the reload flag alone (no
// caching header of any kind), our agent, and the close that keeps every request
// on a connection of its own.
TEST(transport_request, head_byte_for_byte)
{
    struct Case {
        const char* what;
        bool post;
        const char* path;
        std::string headers;
        std::string body;
        std::string expected;  // "PORT" stands for the server's port
    } cases[] = {
        // A read keeps its connection for the next one.
        {"GET", false, "/Invoice_getCompanyInfo?KeyNo=ab%26c", "", "",
         "GET /Invoice_getCompanyInfo?KeyNo=ab%26c HTTP/1.1\r\n"
         "Host: 127.0.0.1:PORT\r\n"
         "User-Agent: Http-connect\r\n"
         "\r\n"},
        // A state change closes its own.
        {"POST", true, "/Invoice_addFaiao", "Content-Type:application/x-www-form-urlencoded", "a=1&b=%E9",
         "POST /Invoice_addFaiao HTTP/1.1\r\n"
         "User-Agent: Http-connect\r\n"
         "Host: 127.0.0.1:PORT\r\n"
         "Content-Length: 9\r\n"
         "Connection: close\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\n"
         "\r\n"},
    };
    for (const Case& c : cases) {
        RawHttpServer server({{RawHttpServer::Answer("HTTP/1.1 200 OK", "ok")}});
        CHttpTransport transport(QuickLimits());
        EXPECT_EQ(transport.Request(server.Url(c.path), c.post, c.headers, c.body), "ok") << c.what;
        auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u) << c.what;
        std::string expected = c.expected;
        const size_t port = expected.find("PORT");
        if (port != std::string::npos)
            expected.replace(port, 4, std::to_string(server.Port()));
        EXPECT_EQ(requests[0], expected + c.body) << c.what;
    }
}

// Answers hold buyers' tax numbers and bank accounts, and the poll asks every 1.5 s:
// none of them is written to the URL cache on disk.
TEST(transport_request, answers_stay_out_of_the_url_cache)
{
    RawHttpServer server({{RawHttpServer::Answer("HTTP/1.1 200 OK", "{\"code\":200}")}});
    const std::string url = server.Url("/Invoice_getFaiaoList?business_keyno=k");
    {
        CHttpTransport transport(QuickLimits());
        ASSERT_EQ(transport.Request(url, false, "", ""), "{\"code\":200}");
    }
    DWORD size = 0;
    EXPECT_FALSE(GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// A service that reads a state-changing request and then drops the connection without a
// word has perhaps acted on it: it must not be sent again behind our back, however the
// connection before it ended. Each comes on a connection of its own; a read may be asked
// again on a fresh connection when the kept one turns out dead.
TEST(transport_request, a_dropped_request_is_sent_once)
{
    const std::string form = "Content-Type:application/x-www-form-urlencoded";
    struct Case {
        const char* path;
        bool post;
    } cases[] = {
        {"/Invoice_regmobileCode", true},
        {"/Invoice_loginbyverify", true},
        {"/Invoice_addFaiao", true},
        {"/Invoice_updateFaiaoDate", true},
        {"/Invoice_getFaiaoList?business_keyno=k", false},
    };
    for (const Case& c : cases) {
        RawHttpServer server({{RawHttpServer::KeepAliveAnswer("HTTP/1.1 200 OK", "{}"), 0, 0, true},
                              {""},
                              {RawHttpServer::KeepAliveAnswer("HTTP/1.1 200 OK", "again"), 0, 0, true}});
        CHttpTransport transport(QuickLimits());
        EXPECT_EQ(transport.Request(server.Url("/invoice_getLastestVersion"), false, "", ""), "{}") << c.path;
        const std::string answer =
            transport.Request(server.Url(c.path), c.post, c.post ? form : "", c.post ? "phone=1" : "");

        const std::string line = std::string(c.post ? "POST " : "GET ") + c.path + " HTTP/1.1\r\n";
        int arrived = 0;
        for (const RawHttpServer::Arrival& a : server.Arrivals()) {
            if (a.bytes.compare(0, line.size(), line) != 0)
                continue;
            ++arrived;
            if (c.post) {
                EXPECT_FALSE(a.reused) << c.path << ": sent on a reused connection";
            }
        }
        if (c.post) {
            EXPECT_EQ(answer, "") << c.path;
            EXPECT_EQ(transport.LastError(), HttpErrorSend) << c.path;
            EXPECT_EQ(arrived, 1) << c.path;
        } else {
            EXPECT_GE(arrived, 1) << c.path;
            EXPECT_LE(arrived, 2) << c.path;
        }
    }
}

// Reads share one kept-alive connection (one round trip a search); a POST never rides it,
// nor a connection a server kept open against its "Connection: close".
TEST(transport_request, reads_share_a_connection_and_posts_never_do)
{
    const std::string form = "Content-Type:application/x-www-form-urlencoded";
    const auto kept = [](const char* body) {
        RawHttpServer::Reply r{RawHttpServer::KeepAliveAnswer("HTTP/1.1 200 OK", body), 0, 0, true};
        r.ignoreClose = true;
        return r;
    };
    RawHttpServer server({kept("1"), kept("2"), kept("3"), kept("4"), kept("5")});
    CHttpTransport transport(QuickLimits());
    EXPECT_EQ(transport.Request(server.Url("/Invoice_getCompanyList?key=a"), false, "", ""), "1");
    EXPECT_EQ(transport.Request(server.Url("/Invoice_getCompanyList?key=ab"), false, "", ""), "2");
    EXPECT_EQ(transport.Request(server.Url("/Invoice_addFaiao"), true, form, "a=1"), "3");
    EXPECT_EQ(transport.Request(server.Url("/Invoice_updateFaiaoDate"), true, form, "a=2"), "4");
    EXPECT_EQ(transport.Request(server.Url("/Invoice_getCompanyList?key=abc"), false, "", ""), "5");
    const std::vector<RawHttpServer::Arrival> arrivals = server.Arrivals();
    ASSERT_EQ(arrivals.size(), 5u);
    const bool reused[] = {false, true, false, false, true};
    for (size_t i = 0; i < arrivals.size(); ++i)
        EXPECT_EQ(reused[i], arrivals[i].reused) << arrivals[i].bytes.substr(0, arrivals[i].bytes.find('\r'));
}

// Each worker has a transport of its own; a read that is over must leave its connection to
// whichever worker reads next, or every worker opens one (a round trip more each time).
TEST(transport_request, a_finished_read_leaves_its_connection_to_another_transport)
{
    const auto kept = [](const char* body) {
        return RawHttpServer::Reply{RawHttpServer::KeepAliveAnswer("HTTP/1.1 200 OK", body), 0, 0, true};
    };
    RawHttpServer server({kept("1"), kept("2"), kept("3")});
    CHttpTransport search(QuickLimits()), import(QuickLimits());
    EXPECT_EQ(search.Request(server.Url("/Invoice_getCompanyList?key=a"), false, "", ""), "1");
    EXPECT_EQ(import.Request(server.Url("/Invoice_getCompanyInfo?KeyNo=k"), false, "", ""), "2");
    EXPECT_EQ(search.Request(server.Url("/Invoice_getCompanyList?key=ab"), false, "", ""), "3");
    const std::vector<RawHttpServer::Arrival> arrivals = server.Arrivals();
    ASSERT_EQ(arrivals.size(), 3u);
    EXPECT_FALSE(arrivals[0].reused);
    EXPECT_TRUE(arrivals[1].reused) << "the second transport opened a connection of its own";
    EXPECT_TRUE(arrivals[2].reused);
}

// Exactly once where a kept connection is there to be misused: the server holds the read's
// connection open (against a close too) and drops the POST after reading it. The POST went
// out once, on a connection of its own, and the read after it still finds the kept one.
TEST(transport_request, a_dropped_post_beside_a_kept_connection_is_sent_once_on_a_fresh_one)
{
    RawHttpServer::Reply kept{RawHttpServer::KeepAliveAnswer("HTTP/1.1 200 OK", "{}"), 0, 0, true};
    kept.ignoreClose = true;
    RawHttpServer server({kept, {""}, kept});
    CHttpTransport transport(QuickLimits());
    ASSERT_EQ(transport.Request(server.Url("/Invoice_getCompanyList?key=a"), false, "", ""), "{}");
    EXPECT_EQ(server.Accepted(), 1);

    EXPECT_EQ(transport.Request(server.Url("/Invoice_addFaiao"), true, "Content-Type:application/x-www-form-urlencoded",
                                "a=1"),
              "");
    EXPECT_EQ(transport.LastError(), HttpErrorSend);
    EXPECT_EQ(server.Accepted(), 2);

    EXPECT_EQ(transport.Request(server.Url("/Invoice_getCompanyList?key=ab"), false, "", ""), "{}");
    EXPECT_EQ(server.Accepted(), 2) << "the read's connection was not kept: the case shows nothing";

    const std::vector<RawHttpServer::Arrival> arrivals = server.Arrivals();
    ASSERT_EQ(arrivals.size(), 3u);
    EXPECT_EQ(arrivals[1].bytes.compare(0, 23, "POST /Invoice_addFaiao "), 0) << arrivals[1].bytes;
    EXPECT_FALSE(arrivals[1].reused);
    EXPECT_TRUE(arrivals[2].reused);
}

TEST(transport_request, empty_url_fails_with_14_and_sends_nothing)
{
    RawHttpServer server({{RawHttpServer::Answer("HTTP/1.1 200 OK", "x")}});
    CHttpTransport transport(QuickLimits());
    EXPECT_EQ(transport.Request("", true, "Content-Type:application/x-www-form-urlencoded", "a=1"), "");
    EXPECT_EQ(transport.LastError(), HttpErrorEmptyUrl);
    Sleep(100);
    EXPECT_TRUE(server.Requests().empty());
}

// What each kind of answer turns into: the body, or empty with the failure code.
TEST(transport_request, answers)
{
    const std::string nul("a\0b", 3);
    HttpLimits small = QuickLimits();
    small.maxAnswerBytes = 1000;
    struct Case {
        const char* what;
        std::string reply;
        std::string body;
        HttpInterfaceError error;
    } cases[] = {
        {"200", RawHttpServer::Answer("HTTP/1.1 200 OK", "{\"code\":200}"), "{\"code\":200}", HttpErrorNone},
        {"500 keeps its body", RawHttpServer::Answer("HTTP/1.1 500 Internal Server Error", "{\"code\":500}"),
         "{\"code\":500}", HttpErrorNone},
        {"404 drops its body", RawHttpServer::Answer("HTTP/1.1 404 Not Found", "{\"code\":404}"), "",
         HttpErrorNotFound},
        {"a NUL byte is data", RawHttpServer::Answer("HTTP/1.1 200 OK", nul), nul, HttpErrorNone},
        {"body without length, ended by close", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nabc", "abc",
         HttpErrorNone},
        // The service died mid-answer: a cut JSON text must not pass for a whole one.
        {"shorter than Content-Length", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\n{\"co", "",
         HttpErrorRead},
        {"announced over the cap", "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nConnection: close\r\n\r\n", "",
         HttpErrorTooLarge},
        {"over the cap without length", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(3000, 'x'), "",
         HttpErrorTooLarge},
        {"closed without an answer", "", "", HttpErrorSend},
    };
    for (const Case& c : cases) {
        RawHttpServer server({{c.reply}});
        CHttpTransport transport(small);
        EXPECT_EQ(transport.Request(server.Url("/x"), false, "", ""), c.body) << c.what;
        EXPECT_EQ(transport.LastError(), c.error) << c.what;
    }
}

// A long history arrives over many reads into a body sized from its length: every
// byte in order, and an answer of exactly the cap is still whole.
TEST(transport_request, long_answer_with_length_arrives_whole)
{
    std::string body(50000, '\0');
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>('a' + i * 7 % 26);
    HttpLimits limits = QuickLimits();
    limits.maxAnswerBytes = body.size();
    RawHttpServer server({{RawHttpServer::Answer("HTTP/1.1 200 OK", body)}});
    CHttpTransport transport(limits);
    EXPECT_TRUE(transport.Request(server.Url("/Invoice_getFaiaoList"), false, "", "") == body);
    EXPECT_EQ(transport.LastError(), HttpErrorNone);
}

TEST(transport_request, last_error_survives_a_success)
{
    RawHttpServer server(
        {{RawHttpServer::Answer("HTTP/1.1 404 Not Found", "")}, {RawHttpServer::Answer("HTTP/1.1 200 OK", "ok")}});
    CHttpTransport transport(QuickLimits());
    EXPECT_EQ(transport.Request(server.Url("/a"), false, "", ""), "");
    EXPECT_EQ(transport.Request(server.Url("/b"), false, "", ""), "ok");
    EXPECT_EQ(transport.LastError(), HttpErrorNotFound);
}

// A dead or silent service ends in a failure after the receive timeout, not never.
TEST(transport_request, stalls_end_in_failure)
{
    struct Case {
        const char* what;
        Reply reply;
    } cases[] = {
        {"no status line", {"", 4000}},
        {"head but no body", {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n{\"c", 4000}},
    };
    for (const Case& c : cases) {
        RawHttpServer server({c.reply});
        CHttpTransport transport(QuickLimits());
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(transport.Request(server.Url("/slow"), false, "", ""), "") << c.what;
        EXPECT_NE(transport.LastError(), HttpErrorNone) << c.what;
        EXPECT_LT(GetTickCount64() - start, 3500u) << c.what << ": the timeout was not applied";
    }
}

// A service that keeps sending a byte now and then never trips the receive
// timeout; the whole exchange still has an end.
TEST(transport_request, trickling_answer_hits_the_deadline)
{
    RawHttpServer server({{RawHttpServer::Answer("HTTP/1.1 200 OK", std::string(200, 'x')), 0, 100}});
    HttpLimits limits = QuickLimits();
    limits.requestDeadlineMs = 1500;
    CHttpTransport transport(limits);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(transport.Request(server.Url("/x"), false, "", ""), "");
    EXPECT_EQ(transport.LastError(), HttpErrorRead);
    EXPECT_LT(GetTickCount64() - start, 10000u);
}

TEST(transport_request, nobody_listening)
{
    unsigned short port;
    {
        RawHttpServer closed;
        port = closed.Port();
    }
    CHttpTransport transport(QuickLimits());
    EXPECT_EQ(transport.Request("http://127.0.0.1:" + std::to_string(port) + "/x", false, "", ""), "");
    EXPECT_NE(transport.LastError(), HttpErrorNone);
}

class transport_download : public ::testing::Test {
protected:
    ScopedWorkDir dir;
    CHttpTransport transport{QuickLimits()};
    std::wstring Target() const { return dir.File(L"MoravelUpgrade_2.0.exe"); }
    static std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
};

TEST_F(transport_download, complete_answer_replaces_the_target)
{
    const std::string payload = std::string("MZ\0\x01", 4) + std::string(3u << 20, 'p');  // over one 1 MiB read
    RawHttpServer server({{RawHttpServer::Answer("HTTP/1.1 200 OK", payload)}});
    ASSERT_TRUE(WriteFileBytes(Target(), "old"));
    EXPECT_TRUE(transport.DownloadToFile(Wide(server.Url("/download/setup.exe")), Target(), false));
    EXPECT_EQ(ReadFileBytes(Target()), payload);
    EXPECT_EQ(GetFileAttributesW((Target() + L".part").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A failed download must never leave something that looks like an installer.
TEST_F(transport_download, failures_leave_no_file)
{
    const std::string cut = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\nMZ";
    struct Case {
        const char* what;
        std::string reply;
    } cases[] = {
        {"404 page", RawHttpServer::Answer("HTTP/1.1 404 Not Found", "<html>missing</html>")},
        {"500 page", RawHttpServer::Answer("HTTP/1.1 500 Internal Server Error", "oops")},
        {"cut short", cut},
    };
    for (const Case& c : cases) {
        RawHttpServer server({{c.reply}});
        EXPECT_FALSE(transport.DownloadToFile(Wide(server.Url("/download/setup.exe")), Target(), false)) << c.what;
        EXPECT_EQ(GetFileAttributesW(Target().c_str()), INVALID_FILE_ATTRIBUTES) << c.what;
        EXPECT_EQ(GetFileAttributesW((Target() + L".part").c_str()), INVALID_FILE_ATTRIBUTES) << c.what;
    }
    // Nobody there at all.
    EXPECT_FALSE(transport.DownloadToFile(L"http://127.0.0.1:1/x", Target(), false));
    EXPECT_EQ(GetFileAttributesW(Target().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(transport_download, trickling_download_hits_the_deadline)
{
    RawHttpServer server({{RawHttpServer::Answer("HTTP/1.1 200 OK", std::string(200, 'x')), 0, 100}});
    HttpLimits limits = QuickLimits();
    limits.downloadDeadlineMs = 1500;
    transport.SetLimits(limits);
    EXPECT_FALSE(transport.DownloadToFile(Wide(server.Url("/x")), Target(), false));
    EXPECT_EQ(GetFileAttributesW(Target().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(transport_download, failure_keeps_an_existing_target)
{
    RawHttpServer server({{RawHttpServer::Answer("HTTP/1.1 500 Internal Server Error", "oops")}});
    ASSERT_TRUE(WriteFileBytes(Target(), "old"));
    EXPECT_FALSE(transport.DownloadToFile(Wide(server.Url("/x")), Target(), false));
    EXPECT_EQ(ReadFileBytes(Target()), "old");
}

TEST_F(transport_download, fail_if_exists_touches_nothing)
{
    RawHttpServer server({{RawHttpServer::Answer("HTTP/1.1 200 OK", "new")}});
    ASSERT_TRUE(WriteFileBytes(Target(), "old"));
    EXPECT_FALSE(transport.DownloadToFile(Wide(server.Url("/x")), Target(), true));
    EXPECT_EQ(ReadFileBytes(Target()), "old");
    Sleep(100);
    EXPECT_TRUE(server.Requests().empty());
    // With no file there, the flag does not stand in the way.
    ASSERT_TRUE(DeleteFileW(Target().c_str()));
    EXPECT_TRUE(transport.DownloadToFile(Wide(server.Url("/x")), Target(), true));
    EXPECT_EQ(ReadFileBytes(Target()), "new");
}

// The download is no exception: dropped once, asked for once.
TEST_F(transport_download, a_dropped_download_is_asked_for_once)
{
    RawHttpServer server({{RawHttpServer::KeepAliveAnswer("HTTP/1.1 200 OK", "MZ"), 0, 0, true},
                          {""},
                          {RawHttpServer::KeepAliveAnswer("HTTP/1.1 200 OK", "MZ"), 0, 0, true}});
    EXPECT_TRUE(transport.DownloadToFile(Wide(server.Url("/download/old.exe")), dir.File(L"old.exe"), false));
    EXPECT_FALSE(transport.DownloadToFile(Wide(server.Url("/download/setup.exe")), Target(), false));
    int arrived = 0;
    for (const RawHttpServer::Arrival& a : server.Arrivals()) {
        arrived += a.bytes.compare(0, 24, "GET /download/setup.exe ") == 0;
        EXPECT_FALSE(a.reused) << "sent on a reused connection";
    }
    EXPECT_EQ(arrived, 1);
    EXPECT_EQ(GetFileAttributesW(Target().c_str()), INVALID_FILE_ATTRIBUTES);
}
