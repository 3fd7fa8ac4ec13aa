// The real Moravel.exe on a slow network: its service URL is the latency proxy's
// (Moravel_slownettest), 150 ms a round trip, in front of a service of its own. The
// merchant types and clicks; a thread of the test keeps asking the main window for an
// answer (WM_NULL) the whole time, as Windows does before it greys a window out.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "answerprobe.h"
#include "driver.h"
#include "servicefixture.h"
#include "standinclient.h"

namespace {

const SIZE kMain = {462, 730};
const wchar_t kMerchantName[] = L"福州路明信息技术有限公司";
const wchar_t kMerchantTax[] = L"91350100M000100Y43";
const wchar_t kMerchantKey[] = L"6c756d6f72612d6d65726368616e7431";
const wchar_t kIdentity[] = L"_HT91350100M000100Y43";
const wchar_t kHit[] = L"上海ABC国际贸易有限公司";
const UINT kExitCommand = 6;  // the tray menu's "退出"

// Longer than any network wait should ever hold the window: a request on the window's
// thread costs one round trip on a kept-alive connection and two on a new one (300 ms here).
const double kAnswerBoundMs = 250;

// What an edit of another process holds now.
std::wstring EditText(HWND edit)
{
    wchar_t buf[256] = {};
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &n))
        return L"(no answer)";
    return buf;
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

// The proxy's request log: request lines by connection number.
std::map<int, std::vector<std::string>> RequestsByConnection(const std::string& stats)
{
    std::map<int, std::vector<std::string>> by;
    std::istringstream lines(stats);
    std::string line;
    while (std::getline(lines, line)) {
        int connection = 0;
        char rest[512] = {};
        if (std::sscanf(line.c_str(), "request %d %511[^\n]", &connection, rest) == 2)
            by[connection].push_back(rest);
    }
    return by;
}

class e2e_slownet : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(UseFixtureService());
        ASSERT_TRUE(ServiceControl("reset"));
        ASSERT_TRUE(ServiceControl("version?no=1.1&force=0&installer=MoravelUpgrade_1.1.exe"));
        // Normal relaying at the fixture's 150 ms.
        std::string rtt;
        ASSERT_TRUE(ProxyControl("reset"));
        ASSERT_TRUE(ProxyControl("rtt?ms=150", &rtt)) << "no latency proxy";
        TakeServiceRequests();
    }

    // A known merchant at work with an issuing window open; the main window up.
    void Start()
    {
        ASSERT_TRUE(m_inst.Ok());
        const std::wstring section = std::wstring(L"Com") + kIdentity;
        ASSERT_TRUE(m_inst.SetProfileValue(L"User", L"Id", L"10000001"));
        ASSERT_TRUE(m_inst.SetProfileValue(L"Com", L"Id", kIdentity));
        ASSERT_TRUE(m_inst.SetProfileValue(section, L"CN", kMerchantName));
        ASSERT_TRUE(m_inst.SetProfileValue(section, L"TC", kMerchantTax));
        ASSERT_TRUE(m_inst.SetProfileValue(section, L"KN", kMerchantKey));
        m_standIn =
            StandInProcess::Start(L"Aisino.Framework.Startup.exe",
                                  std::wstring(L"--seller-name ") + kMerchantName + L" --seller-tax " + kMerchantTax,
                                  m_inst.File(L"fields.log"));
        ASSERT_NE(m_standIn, nullptr);
        m_app = std::make_unique<AppProcess>(m_inst.Exe(), m_inst.Bin());
        ASSERT_TRUE(WaitUntil([&] { return (m_main = FindHost(m_app->Pid(), kMain)) != nullptr; }, 30000))
            << "no main window";
        ASSERT_TRUE(WaitUntil([&] { return !EditsWithin(m_app->Pid(), ScreenRect(m_main)).empty(); }, 5000))
            << "no search box";
        m_search = EditsWithin(m_app->Pid(), ScreenRect(m_main)).front();
    }

    // Typed as a person types, a key every 150 ms (a round trip): searches overlap keys.
    void TypeSearch(const std::wstring& text)
    {
        Type(m_search, L"");
        for (wchar_t c : text) {
            SendMessageW(m_search, WM_CHAR, c, 1);
            Sleep(150);
        }
    }

    HWND Popup() const
    {
        for (HWND wnd : TopWindows(m_app->Pid(), L"SOUIHOST"))
            if (wnd != m_main && WindowSize(wnd).cy != kMessageBox.cy)
                return wnd;
        return nullptr;
    }

    // "abc" typed and its hits on screen: the service got the search for the whole text,
    // and its answer has had time to come back and be drawn.
    void SearchHits(std::string* requests)
    {
        TypeSearch(L"abc");
        ASSERT_TRUE(WaitUntil(
            [&] {
                return (*requests += TakeServiceRequests()).find("GET /Invoice_getCompanyList?key=abc") !=
                       std::string::npos;
            },
            10000))
            << "no search for the whole text";
        ASSERT_TRUE(WaitUntil([&] { return Popup() != nullptr; }, 5000)) << "no search pop-up";
        Sleep(600);
    }

    // The first row's import button, right of the row, left of any scroll bar.
    void ClickFirstImport()
    {
        HWND popup = Popup();
        ASSERT_NE(popup, nullptr);
        Click(popup, POINT{WindowSize(popup).cx - 47, 24});
    }

    static std::string Dump() { return RunAndRead(L"invoicing_dump.exe", 20000); }

    AppInstallation m_inst;
    std::unique_ptr<StandInProcess> m_standIn;
    std::unique_ptr<AppProcess> m_app;
    HWND m_main = nullptr;
    HWND m_search = nullptr;
};

}  // namespace

// Typing, choosing a hit and importing it over 150 ms round trips fills the right company and
// records it once; the window answers throughout, and the searches' reads share connections.
TEST_F(e2e_slownet, typed_search_and_import_fill_the_right_company_and_the_window_keeps_answering)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(ProxyControl("reset"));
    AnswerProbe probe(m_main, kAnswerBoundMs);
    std::string requests;
    ASSERT_NO_FATAL_FAILURE(SearchHits(&requests));
    ASSERT_NO_FATAL_FAILURE(ClickFirstImport());

    std::string dump;
    EXPECT_TRUE(WaitUntil([&] { return JsonValue(dump = Dump(), "buyer", "name") == kHit; }, 20000)) << dump;
    EXPECT_FALSE(JsonValue(dump, "buyer", "taxNumber").empty()) << dump;
    EXPECT_FALSE(JsonValue(dump, "buyer", "addressPhone").empty()) << dump;
    EXPECT_FALSE(JsonValue(dump, "buyer", "bankAccount").empty()) << dump;
    EXPECT_TRUE(WaitUntil(
        [&] { return (requests += TakeServiceRequests()).find("POST /Invoice_addFaiao") != std::string::npos; },
        10000));
    Sleep(3000);  // two polls more
    const double longest = probe.Stop();
    std::printf("longest unanswered WM_NULL while typing, importing and polling at 150 ms: %.1f ms "
                "(%d probes, %d over %.0f ms)\n",
                longest, probe.Probes(), probe.Stalls(), kAnswerBoundMs);
    EXPECT_LT(longest, kAnswerBoundMs);

    requests += TakeServiceRequests();
    EXPECT_EQ(Count(requests, "POST /Invoice_addFaiao "), 1u) << requests;
    std::string stats;
    ASSERT_TRUE(ProxyControl("stats", &stats));
    int gets = 0, getConnections = 0, posts = 0;
    for (const auto& [connection, lines] : RequestsByConnection(stats)) {
        int here = 0;
        for (const std::string& line : lines) {
            if (line.rfind("GET ", 0) == 0)
                ++here;
            if (line.rfind("POST ", 0) == 0) {
                ++posts;
                // A state change goes on a connection of its own: nothing can make it go twice.
                EXPECT_EQ(lines.size(), 1u) << "connection " << connection << " carried more than its POST\n" << stats;
            }
        }
        gets += here;
        getConnections += here > 0;
    }
    std::printf("proxy: %d GETs on %d connections, %d POSTs\n", gets, getConnections, posts);
    EXPECT_EQ(posts, 1) << stats;
    // Searches, polls and the company read: at most a connection for each that may wait at
    // once, and reads after the first ride one already open.
    EXPECT_GE(gets, 5) << stats;
    EXPECT_LT(getConnections, gets) << stats;
    EXPECT_LE(getConnections, 3) << stats;
}

// The service goes silent (it accepts and never answers) with hits on screen: for 20 s of
// polling and typing the window answers and what the merchant types appears; the import
// started meanwhile ends as a failed company answer does, with the hit's name alone,
// once the read's timeout has passed.
TEST_F(e2e_slownet, silent_service_leaves_typing_free_and_the_import_ends_on_the_hit_alone)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    std::string requests;
    ASSERT_NO_FATAL_FAILURE(SearchHits(&requests));
    ASSERT_TRUE(ProxyControl("mode?m=silent"));
    AnswerProbe probe(m_main, kAnswerBoundMs);
    const double start = NowMs();
    ASSERT_NO_FATAL_FAILURE(ClickFirstImport());
    Sleep(500);

    std::wstring typed;
    std::string dump;
    double filledAt = 0;
    for (int i = 0; NowMs() - start < 20000; ++i) {
        if (i % 8 == 0) {
            typed.clear();
            Type(m_search, L"");
        }
        const wchar_t c = static_cast<wchar_t>(L'a' + i % 26);
        SendMessageW(m_search, WM_CHAR, c, 1);
        typed += c;
        EXPECT_EQ(EditText(m_search), typed) << "after " << (NowMs() - start) / 1000 << " s";
        if (!filledAt && JsonValue(dump = Dump(), "buyer", "name") == kHit)
            filledAt = NowMs() - start;
        Sleep(400);
    }
    const double longest = probe.Stop();
    std::printf("longest unanswered WM_NULL over 20 s with a silent service: %.1f ms (%d probes, %d over %.0f ms); "
                "hit's name in after %.1f s\n",
                longest, probe.Probes(), probe.Stalls(), kAnswerBoundMs, filledAt / 1000);
    EXPECT_LT(longest, kAnswerBoundMs);
    EXPECT_EQ(m_app->WaitExit(0), STILL_ACTIVE);
    // The read times out after 10 s; the fill follows at once.
    EXPECT_GT(filledAt, 0) << "the import did not end within 20 s: " << dump;
    EXPECT_EQ(JsonValue(dump, "buyer", "name"), kHit) << dump;
    EXPECT_EQ(JsonValue(dump, "buyer", "taxNumber"), L"") << dump;
    EXPECT_EQ(FindHost(m_app->Pid(), kMessageBox), nullptr) << "a message box is open";
}

// "退出" while an import waits on a silent service: the process ends within a second and
// nothing reaches the invoicing program.
TEST_F(e2e_slownet, exit_during_an_import_in_flight_ends_at_once_and_writes_nothing)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    std::string requests;
    ASSERT_NO_FATAL_FAILURE(SearchHits(&requests));
    ASSERT_TRUE(ProxyControl("mode?m=silent"));
    m_standIn->TakeLog();
    ASSERT_NO_FATAL_FAILURE(ClickFirstImport());
    std::string stats;
    ASSERT_TRUE(WaitUntil(
        [&] { return ProxyControl("stats", &stats) && stats.find("GET /Invoice_getCompanyInfo") != std::string::npos; },
        5000))
        << "the import never asked\n"
        << stats;
    Sleep(300);

    ASSERT_TRUE(PostMessageW(m_main, WM_COMMAND, kExitCommand, 0));
    const double start = NowMs();
    const DWORD code = m_app->WaitExit(5000);
    const double took = NowMs() - start;
    std::printf("\"退出\" with an import in flight: the process ended after %.0f ms\n", took);
    EXPECT_NE(code, STILL_ACTIVE);
    EXPECT_LT(took, 1000);
    // A program still running has until past the read's timeout to write.
    Sleep(code == STILL_ACTIVE ? 11000 : 500);
    EXPECT_TRUE(m_standIn->TakeLog().empty()) << "something was written into the issuing window";
    EXPECT_EQ(JsonValue(Dump(), "buyer", "name"), L"");
}
