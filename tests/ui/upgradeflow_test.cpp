#include <algorithm>
#include <functional>
#include <mutex>

#include "config/buildsigner.h"
#include "appinstance.h"
#include "flowtest.h"
#include "base/log.h"
#include "ui/installertrust.h"
#include "ui/upgradeflow.h"

namespace {

using Paths = std::vector<std::string>;
using Events = std::vector<std::string>;

// The released setup of the next version and copies of it signed otherwise
// (installer-variants.sh names each): "pinned.exe", "unsigned.exe", "other-key.exe", ...
std::wstring Variant(const wchar_t* name)
{
    return FromHostPath(L"UI_INSTALLER_VARIANTS") + L"\\" + name;
}

// The full path the installer is started by, for a file of the working folder.
std::wstring FullPath(const std::wstring& path)
{
    wchar_t full[MAX_PATH] = {};
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? std::wstring(full, n) : path;
}

std::vector<std::wstring> Ran(const std::wstring& path)
{
    return {FullPath(path)};
}

// Records everything the flow tells the main window, from either thread, and
// answers the prompt with `answer`. The service publishes the released setup.
class upgrade_flow : public FlowTest {
protected:
    void SetUp() override
    {
        FlowTest::SetUp();
        ASSERT_TRUE(HasPublisherKeys(kSignerSha256)) << "configure the build with scripts/test: it pins the keys";
        m_setup = ReadFileBytes(Variant(L"pinned.exe"));
        ASSERT_GT(m_setup.size(), 100000u) << "no released setup";
        const std::wstring files = FolderOf(FromHostPath(L"MORAVEL_SERVICE_URL_PATH")) + L"\\files";
        ASSERT_TRUE(CopyFileW(Variant(L"pinned.exe").c_str(), (files + L"\\MoravelUpgrade_1.1.exe").c_str(), FALSE));
        m_previousSink = SetDebugSink([this](const std::wstring& line) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_debug += std::string(line.begin(), line.end()) + "\n";
        });
    }
    void TearDown() override
    {
        SetDebugSink(m_previousSink);
        FlowTest::TearDown();
    }

    UpgradeHooks Hooks()
    {
        UpgradeHooks hooks;
        hooks.downloadStarting = [this] { Note("Download thread just started."); };
        hooks.report = [this](const DownloadReport& report) {
            Note(std::to_string(report.progress) +
                 (report.message == L"下载开始"   ? " 下载开始"
                  : report.message == L"下载完成" ? " 下载完成"
                                                  : " ?") +
                 (report.succeeded ? "" : " failed"));
            std::lock_guard<std::mutex> lock(m_mutex);
            m_last = report;
        };
        hooks.ask = [this](const std::wstring& text, UINT style) {
            EXPECT_EQ(kUpgradeQuestion, text);
            Note("ask " + std::to_string(style));
            return m_answer;
        };
        hooks.runInstaller = [this](const std::wstring& installer) {
            // A path of the same file, however spelt (Wine may answer in another case).
            m_ran.push_back(FullPath(installer));
            EXPECT_EQ(GetFileAttributesW(installer.c_str()), GetFileAttributesW(m_ran.back().c_str()));
        };
        return hooks;
    }

    void Note(const std::string& event)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(event);
    }

    // Waits for the worker, then delivers its last report as the UI thread would.
    void FinishDownload(CUpgradeFlow& flow)
    {
        flow.Download().Stop(INFINITE);
        flow.OnDownloadReport(m_last);
    }

    void SetVersion(const std::string& query) { ASSERT_TRUE(ServiceControl("version?" + query)); }

    std::mutex m_mutex;
    Events m_events;
    DownloadReport m_last;
    int m_answer = IDOK;
    std::vector<std::wstring> m_ran;
    std::string m_setup;
    std::string m_debug;
    DebugSink m_previousSink;
};

}  // namespace

// Versions are dotted numbers compared number by number; anything else never counts
// as later, so a mistyped or hostile record cannot start an upgrade.
TEST(upgrade_version, later_means_a_larger_number)
{
    struct Case {
        const wchar_t* offered;
        const wchar_t* own;
        bool newer;
    } cases[] = {
        // Forward only, by number, not by text.
        {L"1.2", L"1.1", true},
        {L"1.10", L"1.9", true},
        {L"2", L"1.9.9", true},
        {L"1.1.1", L"1.1", true},
        {L"01.2", L"1.1", true},
        {L"99999999999999999999999.0", L"99999999999999999999998.9", true},
        {L"1.1", L"1.1", false},
        {L"1.1.0", L"1.1", false},
        {L"1.01", L"1.1", false},
        {L"1.0", L"1.1", false},
        {L"1.9", L"1.10", false},
        {L"0.9", L"1.1", false},
        // Not dotted numbers, on either side.
        {L"1.2 ", L"1.1", false},
        {L" 1.2", L"1.1", false},
        {L"1..2", L"1.1", false},
        {L".2", L"1.1", false},
        {L"1.2.", L"1.1", false},
        {L"v1.2", L"1.1", false},
        {L"1.2-beta", L"1.1", false},
        {L"1.2", L"1.1a", false},
        {L"1.2", L"", false},
        {L"", L"1.1", false},
        {L"\xFF11.\xFF12", L"1.1", false},  // full-width digits
        {L"1.2\n", L"1.1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.offered, c.offered + wcslen(c.offered)) << " after "
                                        << std::string(c.own, c.own + wcslen(c.own)));
        EXPECT_EQ(c.newer, IsNewerVersion(c.offered, c.own));
    }
    // A hostile length is refused, not compared.
    EXPECT_FALSE(IsNewerVersion(std::wstring(100, L'9'), L"1.1"));
    EXPECT_FALSE(IsNewerVersion(L"1." + std::wstring(40, L'0') + L".1", L"1.1"));
}

// A version record naming our own version or an older one starts nothing: no download,
// no prompt, and an installer of that name already on disk is not offered either.
TEST_F(upgrade_flow, only_a_later_version_is_taken)
{
    SetVersion("no=1.1&force=1&installer=MoravelUpgrade_1.1.exe");
    ASSERT_TRUE(CopyFileW(Variant(L"pinned.exe").c_str(), m_dir.File(L"MoravelUpgrade_1.1.exe").c_str(), FALSE));
    for (const wchar_t* own : {L"1.1", L"1.1.0", L"1.2", L"1.10", L"1.1 ", L""}) {
        SCOPED_TRACE(testing::Message() << "own \"" << std::string(own, own + wcslen(own)) << "\"");
        CUpgradeFlow flow(Hooks(), kSignerSha256);
        EXPECT_EQ(UpgradeStep::None, flow.Check(m_transport, own));
        EXPECT_FALSE(flow.Prompt());
        EXPECT_FALSE(flow.Download().IsRunning());
        EXPECT_EQ(Paths{"GET /invoice_getLastestVersion"}, TakeRequestPaths());
    }
    EXPECT_EQ(Events{}, m_events);
    EXPECT_TRUE(m_ran.empty());

    // The same record is taken by an older program: the refusals were the versions.
    for (const wchar_t* own : {L"1.0", L"1.0.9", L"0.9"}) {
        SCOPED_TRACE(testing::Message() << "own " << std::string(own, own + wcslen(own)));
        ScopedWorkDir dir;
        m_events.clear();
        CUpgradeFlow flow(Hooks(), kSignerSha256);
        EXPECT_EQ(UpgradeStep::DownloadStarted, flow.Check(m_transport, own));
        FinishDownload(flow);
        EXPECT_TRUE(m_setup == ReadFileBytes(dir.File(L"MoravelUpgrade_1.1.exe")));
        EXPECT_EQ(Ran(dir.File(L"MoravelUpgrade_1.1.exe")), std::vector<std::wstring>(m_ran.end() - 1, m_ran.end()));
    }
}

// Where an installer may come from. Under a TLS service only a TLS link, whatever the
// spelling of the schemes; under a plain one only the hosts the build names.
TEST(upgrade_link, allowed_only_where_the_service_says)
{
    const std::vector<std::wstring> sites = {L"http://share.example.test/fapiao/e.html", L"http://Site.Example.test/"};
    struct Case {
        const wchar_t* link;
        const wchar_t* service;
        bool allowed;
    } cases[] = {
        // A TLS service: a plain link would hand the installer over in the clear.
        {L"https://cdn.example.test/x.exe", L"https://svc.example.test/", true},
        {L"HTTPS://svc.example.test/x.exe", L"https://svc.example.test/", true},
        {L"https://svc.example.test:8443/x.exe", L"HTTPS://svc.example.test/", true},
        {L"http://svc.example.test/x.exe", L"https://svc.example.test/", false},
        {L"HTTP://svc.example.test/x.exe", L"https://svc.example.test/", false},
        {L"http://svc.example.test/x.exe", L"HTTPS://svc.example.test/", false},
        {L"ftp://svc.example.test/x.exe", L"https://svc.example.test/", false},
        {L"file:///C:/x.exe", L"https://svc.example.test/", false},
        {L"//svc.example.test/x.exe", L"https://svc.example.test/", false},
        {L"x.exe", L"https://svc.example.test/", false},
        // A plain service: its own host, or the share and site hosts, in any case.
        {L"http://svc.example.test:8765/download/x.exe", L"http://svc.example.test:8765/", true},
        {L"http://SVC.example.test/x.exe", L"http://svc.example.test:8765/", true},
        {L"https://svc.example.test/x.exe", L"http://svc.example.test/", true},
        {L"http://share.example.test/x.exe", L"http://svc.example.test/", true},
        {L"http://site.example.test/x.exe", L"http://svc.example.test/", true},
        {L"http://elsewhere.test/x.exe", L"http://svc.example.test/", false},
        {L"http://svc.example.test.elsewhere.test/x.exe", L"http://svc.example.test/", false},
        // Host parts that read differently to someone else.
        {L"http://svc.example.test@elsewhere.test/x.exe", L"http://svc.example.test/", false},
        {L"http://elsewhere.test\\@svc.example.test/x.exe", L"http://svc.example.test/", false},
        {L"http://svc.example.test\\x.exe", L"http://svc.example.test/", false},
        {L"http://svc.example.test:80:81/x.exe", L"http://svc.example.test/", false},
        {L"http://svc.example.test:/x.exe", L"http://svc.example.test/", false},
        {L"http://[::1]/x.exe", L"http://svc.example.test/", false},
        {L"http://svc.example.test/x .exe", L"http://svc.example.test/", false},
        {L"http://svc.example.test/x\r\n.exe", L"http://svc.example.test/", false},
        {L"http:///x.exe", L"http://svc.example.test/", false},
        {L"", L"http://svc.example.test/", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.link, c.link + wcslen(c.link)) << " under "
                                        << std::string(c.service, c.service + wcslen(c.service)));
        EXPECT_EQ(c.allowed, IsInstallerLinkAllowed(c.link, c.service, sites));
    }
}

// Through the flow: a link elsewhere under the plain service downloads and offers nothing.
TEST_F(upgrade_flow, link_elsewhere_is_not_followed)
{
    SetVersion("no=2.0&force=1&installer=MoravelUpgrade_1.1.exe&origin=http%3A%2F%2Felsewhere.test%3A1");
    CUpgradeFlow flow(Hooks(), kSignerSha256);
    EXPECT_EQ(UpgradeStep::None, flow.Check(m_transport, L"1.1"));
    EXPECT_FALSE(flow.Download().IsRunning());
    EXPECT_EQ(Paths{"GET /invoice_getLastestVersion"}, TakeRequestPaths());
    EXPECT_EQ(Events{}, m_events);
    EXPECT_NE(m_debug.find("http://elsewhere.test:1/download/MoravelUpgrade_1.1.exe is not one"), std::string::npos)
        << m_debug;
    ASSERT_TRUE(ServiceControl("reset"));
}

// The start is announced before the worker exists, then its two reports arrive,
// and only the end of the download brings the prompt; OK runs the installer.
TEST_F(upgrade_flow, download_reports_in_order_then_prompts)
{
    struct Case {
        const char* why;
        const char* force;
        int answer;
        UINT style;
        bool runs;
    } cases[] = {
        {"optional, accepted", "0", IDOK, 0x1041, true},
        {"optional, declined", "0", IDCANCEL, 0x1041, false},
        {"forced: OK only", "1", IDOK, 0x1040, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ScopedWorkDir dir;
        m_events.clear();
        m_ran.clear();
        m_answer = c.answer;
        SetVersion(std::string("no=2.0&installer=MoravelUpgrade_1.1.exe&force=") + c.force);
        CUpgradeFlow flow(Hooks(), kSignerSha256);
        ASSERT_EQ(UpgradeStep::DownloadStarted, flow.Check(m_transport, L"1.1"));
        FinishDownload(flow);
        EXPECT_EQ(
            (Events{"Download thread just started.", "0 下载开始", "100 下载完成", "ask " + std::to_string(c.style)}),
            m_events);
        EXPECT_EQ(c.runs ? Ran(dir.File(L"MoravelUpgrade_2.0.exe")) : std::vector<std::wstring>{}, m_ran);
        EXPECT_TRUE(m_setup == ReadFileBytes(dir.File(L"MoravelUpgrade_2.0.exe")));
    }
}

// An installer already on disk is offered at once, without a download, when the
// publisher signed it: with one of the pinned keys, in a certificate meant for code
// signing, valid when it signed (a timestamp proves when). Anything else of that name is
// refused and deleted, so the next start downloads again. While the question is up the
// checked file cannot be written, renamed or deleted: what was checked is what runs.
TEST_F(upgrade_flow, only_the_publishers_installer_is_offered)
{
    auto copy = [](const wchar_t* variant) {
        return [variant](const std::wstring& target) {
            return CopyFileW(Variant(variant).c_str(), target.c_str(), FALSE) != 0;
        };
    };
    auto changed = [this](size_t at) {
        return [this, at](const std::wstring& target) {
            std::string bytes = m_setup;
            bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
            return WriteFileBytes(target, bytes);
        };
    };
    struct Case {
        const char* why;
        std::function<bool(const std::wstring&)> make;
        const wchar_t* pin;
        bool offered;
        const char* said;   // in the debug line of a refusal
        bool link = false;  // the case is a symbolic link
    } cases[] = {
        // The keys pinned, in the certificates of their lifetime.
        {"signed as released", copy(L"pinned.exe"), kSignerSha256, true, ""},
        {"a renewed certificate on the same key", copy(L"renewed.exe"), kSignerSha256, true, ""},
        {"a certificate on the next key announced", copy(L"next-key.exe"), kSignerSha256, true, ""},
        {"expired since, timestamped while valid", copy(L"expired-stamped.exe"), kSignerSha256, true, ""},
        // The publisher's key is not enough.
        {"expired, without a timestamp", copy(L"expired-unstamped.exe"), kSignerSha256, false,
         "signature not accepted"},
        {"a certificate not meant for code signing", copy(L"not-code-signing.exe"), kSignerSha256, false,
         "not meant for code signing"},
        // Not the publisher's key.
        {"unsigned", copy(L"unsigned.exe"), kSignerSha256, false, "signature not accepted"},
        {"another key, same CA", copy(L"other-key.exe"), kSignerSha256, false, "another key"},
        {"the publisher's key, from a CA the system does not trust", copy(L"untrusted-ca.exe"), kSignerSha256, false,
         "signature not accepted"},
        {"a link to the publisher's installer",
         [](const std::wstring& t) { return CreateSymbolicLinkW(t.c_str(), Variant(L"pinned.exe").c_str(), 0x2) != 0; },
         kSignerSha256, false, "not a plain file", true},
        {"one byte changed after signing", changed(m_setup.size() / 2), kSignerSha256, false, "signature not accepted"},
        {"one header byte changed after signing", changed(0x100), kSignerSha256, false, "signature not accepted"},
        {"truncated",
         [this](const std::wstring& t) { return WriteFileBytes(t, m_setup.substr(0, m_setup.size() - 1000)); },
         kSignerSha256, false, "signature not accepted"},
        {"empty", [](const std::wstring& t) { return WriteFileBytes(t, ""); }, kSignerSha256, false, "refused"},
        {"a directory", [](const std::wstring& t) { return CreateDirectoryW(t.c_str(), nullptr) != 0; }, kSignerSha256,
         false, "refused"},
    };
    SetVersion("no=2.0&force=0&installer=MoravelUpgrade_1.1.exe");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ScopedWorkDir dir;
        m_events.clear();
        m_ran.clear();
        m_debug.clear();
        const std::wstring installer = dir.File(L"MoravelUpgrade_2.0.exe");
        ASSERT_TRUE(c.make(installer));
        // Wine 8 answers CreateSymbolicLinkW with success and makes nothing usable
        // (measured: no entry of that name afterwards).
        const DWORD attributes = GetFileAttributesW(installer.c_str());
        if (c.link && (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
            std::printf("skipped \"%s\": this system shows no reparse point\n", c.why);
            continue;
        }
        const std::string before = ReadFileBytes(installer);
        UpgradeHooks hooks = Hooks();
        DWORD writeError = 0, renamed = 1, deleted = 1;
        auto ask = hooks.ask;
        hooks.ask = [&](const std::wstring& text, UINT style) {
            HANDLE writer = CreateFileW(installer.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
            writeError = writer == INVALID_HANDLE_VALUE ? GetLastError() : 0;
            if (writer != INVALID_HANDLE_VALUE)
                CloseHandle(writer);
            renamed = MoveFileExW(installer.c_str(), dir.File(L"moved.exe").c_str(), 0);
            deleted = DeleteFileW(installer.c_str());
            return ask(text, style);
        };
        CUpgradeFlow flow(hooks, c.pin);
        EXPECT_EQ(c.offered ? UpgradeStep::Offered : UpgradeStep::None, flow.Check(m_transport, L"1.1"));
        EXPECT_EQ(Paths{"GET /invoice_getLastestVersion"}, TakeRequestPaths());
        if (c.offered) {
            EXPECT_EQ(Events{"ask 4161"}, m_events);
            EXPECT_EQ(Ran(installer), m_ran);
            EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), writeError);
            EXPECT_FALSE(renamed);
            EXPECT_FALSE(deleted);
            EXPECT_TRUE(before == ReadFileBytes(installer));
            EXPECT_EQ(std::string::npos, m_debug.find("refused")) << m_debug;
        } else {
            EXPECT_EQ(Events{}, m_events);
            EXPECT_TRUE(m_ran.empty());
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(installer.c_str())) << "not deleted";
            EXPECT_NE(m_debug.find("MoravelUpgrade_2.0.exe refused: "), std::string::npos) << m_debug;
            EXPECT_NE(m_debug.find(c.said), std::string::npos) << m_debug;
            EXPECT_NE(m_debug.find("; deleted."), std::string::npos) << m_debug;
            // The next start downloads it again.
            CUpgradeFlow next(Hooks(), kSignerSha256);
            EXPECT_EQ(UpgradeStep::DownloadStarted, next.Check(m_transport, L"1.1"));
            FinishDownload(next);
            TakeRequestPaths();
        }
    }
}

// A build that pins no certificate never downloads nor offers an installer, and
// refuses one it is asked to offer.
TEST_F(upgrade_flow, without_a_pinned_certificate_nothing_is_offered)
{
    SetVersion("no=2.0&force=0&installer=MoravelUpgrade_1.1.exe");
    CUpgradeFlow flow(Hooks(), L"");
    EXPECT_EQ(UpgradeStep::None, flow.Check(m_transport, L"1.1"));
    EXPECT_FALSE(flow.Download().IsRunning());
    EXPECT_EQ(Paths{"GET /invoice_getLastestVersion"}, TakeRequestPaths());
    ASSERT_TRUE(CopyFileW(Variant(L"pinned.exe").c_str(), m_dir.File(L"MoravelUpgrade_2.0.exe").c_str(), FALSE));
    EXPECT_FALSE(flow.Prompt());
    EXPECT_EQ(Events{}, m_events);
    EXPECT_TRUE(m_ran.empty());
    EXPECT_NE(m_debug.find("pins no publisher key"), std::string::npos) << m_debug;
}

// A downloaded installer swapped for another file before the prompt is checked as
// what it is then: not offered, not opened.
TEST_F(upgrade_flow, installer_swapped_after_download_is_not_opened)
{
    for (const wchar_t* swapped : {L"other-key.exe", L"unsigned.exe"}) {
        SCOPED_TRACE(std::string(swapped, swapped + wcslen(swapped)));
        ScopedWorkDir dir;
        m_events.clear();
        m_ran.clear();
        SetVersion("no=2.0&force=1&installer=MoravelUpgrade_1.1.exe");
        CUpgradeFlow flow(Hooks(), kSignerSha256);
        ASSERT_EQ(UpgradeStep::DownloadStarted, flow.Check(m_transport, L"1.1"));
        flow.Download().Stop(INFINITE);
        ASSERT_TRUE(m_setup == ReadFileBytes(dir.File(L"MoravelUpgrade_2.0.exe")));
        ASSERT_TRUE(CopyFileW(Variant(swapped).c_str(), dir.File(L"MoravelUpgrade_2.0.exe").c_str(), FALSE));
        flow.OnDownloadReport(m_last);
        EXPECT_EQ((Events{"Download thread just started.", "0 下载开始", "100 下载完成"}), m_events);
        EXPECT_TRUE(m_ran.empty());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dir.File(L"MoravelUpgrade_2.0.exe").c_str()));
    }
}

// A download that did not arrive whole leaves no installer and no prompt, and
// the next start downloads again.
TEST_F(upgrade_flow, failed_download_leaves_nothing_to_offer)
{
    struct Case {
        const char* why;
        std::string setup;
    } cases[] = {
        {"installer missing on the service", "version?no=2.0&installer=missing.exe"},
        {"connection dropped", "fault?mode=drop&only=download/MoravelUpgrade_1.1.exe"},
        {"server error", "fault?mode=500&only=download/MoravelUpgrade_1.1.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ScopedWorkDir dir;
        m_events.clear();
        SetVersion("no=2.0&force=1&installer=MoravelUpgrade_1.1.exe");
        ASSERT_TRUE(ServiceControl(c.setup));
        CUpgradeFlow flow(Hooks(), kSignerSha256);
        ASSERT_EQ(UpgradeStep::DownloadStarted, flow.Check(m_transport, L"1.1"));
        FinishDownload(flow);
        EXPECT_EQ((Events{"Download thread just started.", "0 下载开始", "100 下载完成 failed"}), m_events);
        EXPECT_TRUE(m_ran.empty());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dir.File(L"MoravelUpgrade_2.0.exe").c_str()));
        ASSERT_TRUE(ServiceControl("reset"));
    }
}

// A version that could name a file outside the working folder is refused
// outright: no file, no download, no prompt. (The substitute service publishes
// no such version, so its answer is handed over directly, with a URL that
// would download.)
TEST_F(upgrade_flow, unsafe_version_is_refused)
{
    VersionRecord latest;
    latest.force_update = L"1";
    const std::string base = FixtureServiceUrl();
    latest.url = std::wstring(base.begin(), base.end()) + L"download/MoravelUpgrade_1.1.exe";
    for (const wchar_t* version : {L"..\\..\\evil", L"../evil", L"C:evil", L"a?b", L"..", L"x\ny", L"sub\\x"}) {
        SCOPED_TRACE(testing::Message() << "version " << std::string(version, version + wcslen(version)));
        latest.version_no = version;
        CUpgradeFlow flow(Hooks(), kSignerSha256);
        EXPECT_EQ(UpgradeStep::None, flow.Consider(latest, L"1.1"));
        EXPECT_FALSE(flow.Download().IsRunning());
        flow.Prompt();
    }
    EXPECT_EQ(Paths{}, TakeRequestPaths());
    EXPECT_EQ(Events{}, m_events);
    // Nothing at all was written in the working folder.
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(m_dir.File(L"*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    int entries = 0;
    do
        ++entries;
    while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_EQ(2, entries);  // "." and ".."

    // The same record with a plain version does download: the refusal was the name.
    latest.version_no = L"2.0";
    CUpgradeFlow flow(Hooks(), kSignerSha256);
    EXPECT_EQ(UpgradeStep::DownloadStarted, flow.Consider(latest, L"1.1"));
    FinishDownload(flow);
    EXPECT_TRUE(m_setup == ReadFileBytes(m_dir.File(L"MoravelUpgrade_2.0.exe")));
}

// A check while the download runs starts no second one; ending the flow (the
// main window closing) waits for the running download to finish.
TEST_F(upgrade_flow, one_download_at_a_time_and_close_waits)
{
    SetVersion("no=2.0&force=0&installer=MoravelUpgrade_1.1.exe");
    ASSERT_TRUE(ServiceControl("fault?mode=slow&seconds=2&only=download/MoravelUpgrade_1.1.exe"));
    m_answer = IDCANCEL;
    {
        CUpgradeFlow flow(Hooks(), kSignerSha256);
        ASSERT_EQ(UpgradeStep::DownloadStarted, flow.Check(m_transport, L"1.1"));
        EXPECT_TRUE(flow.Download().IsRunning());
        EXPECT_EQ(UpgradeStep::None, flow.Check(m_transport, L"1.1"));
    }
    EXPECT_EQ((Events{"Download thread just started.", "0 下载开始", "100 下载完成"}), m_events);
    EXPECT_TRUE(m_setup == ReadFileBytes(m_dir.File(L"MoravelUpgrade_2.0.exe")));
    const Paths requests = TakeRequestPaths();
    EXPECT_EQ(1, std::count(requests.begin(), requests.end(), "GET /download/MoravelUpgrade_1.1.exe"));
    EXPECT_EQ(2, std::count(requests.begin(), requests.end(), "GET /invoice_getLastestVersion"));
}

// No usable answer about the version: nothing happens.
TEST_F(upgrade_flow, failed_version_request_does_nothing)
{
    for (const char* mode : {"500", "nonjson", "drop", "wrongtypes"}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(ServiceControl(std::string("fault?mode=") + mode));
        CUpgradeFlow flow(Hooks(), kSignerSha256);
        EXPECT_EQ(UpgradeStep::None, flow.Check(m_transport, L"1.1"));
    }
    EXPECT_EQ(Events{}, m_events);
}
