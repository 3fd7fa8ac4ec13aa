#include <algorithm>
#include <mutex>

#include "flowtest.h"
#include "ui/upgradeflow.h"

namespace {

using Paths = std::vector<std::string>;
using Events = std::vector<std::string>;

// Records everything the flow tells the main window, from either thread, and
// answers the prompt with `answer`.
class UpgradeFlowTest : public FlowTest {
protected:
    UpgradeHooks Hooks()
    {
        UpgradeHooks hooks;
        hooks.downloadStarting = [this] { Note("Download thread just started."); };
        hooks.report = [this](const DownloadReport& report) {
            Note(std::to_string(report.progress) + (report.message == L"下载开始"   ? " 下载开始"
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
        hooks.runInstaller = [this](const std::wstring& installer) { m_ran.push_back(installer); };
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
};

const std::string kSeededInstaller = "MZ substitute installer\n";

}  // namespace

// Only the exact own version means "up to date"; any other one is new, older too.
TEST_F(UpgradeFlowTest, version_comparison_is_exact) {
    SetVersion("no=1.1&force=0&installer=MoravelUpgrade_1.1.exe");
    {
        CUpgradeFlow flow(Hooks());
        EXPECT_EQ(UpgradeStep::None, flow.Check(m_transport, L"1.1"));
    }
    EXPECT_EQ(Paths{"GET /invoice_getLastestVersion"}, TakeRequestPaths());
    EXPECT_EQ(Events{}, m_events);

    for (const wchar_t* own : {L"1.2", L"1.10", L"1.1 ", L""}) {
        SCOPED_TRACE(testing::Message() << "own \"" << std::string(own, own + wcslen(own)) << "\"");
        ScopedWorkDir dir;
        CUpgradeFlow flow(Hooks());
        EXPECT_EQ(UpgradeStep::DownloadStarted, flow.Check(m_transport, own));
        FinishDownload(flow);
        EXPECT_EQ(kSeededInstaller, ReadFileBytes(dir.File(L"MoravelUpgrade_1.1.exe")));
    }
}

// The start is announced before the worker exists, then its two reports arrive,
// and only the end of the download brings the prompt; OK runs the installer.
TEST_F(UpgradeFlowTest, download_reports_in_order_then_prompts) {
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
        CUpgradeFlow flow(Hooks());
        ASSERT_EQ(UpgradeStep::DownloadStarted, flow.Check(m_transport, L"1.1"));
        FinishDownload(flow);
        EXPECT_EQ((Events{"Download thread just started.", "0 下载开始", "100 下载完成",
                          "ask " + std::to_string(c.style)}),
                  m_events);
        EXPECT_EQ(c.runs ? std::vector<std::wstring>{L"MoravelUpgrade_2.0.exe"} : std::vector<std::wstring>{},
                  m_ran);
        EXPECT_EQ(kSeededInstaller, ReadFileBytes(dir.File(L"MoravelUpgrade_2.0.exe")));
    }
}

// An installer already on disk is offered at once, without a download.
TEST_F(UpgradeFlowTest, present_installer_is_offered_without_download) {
    SetVersion("no=2.0&force=0&installer=MoravelUpgrade_1.1.exe");
    ASSERT_TRUE(WriteFileBytes(m_dir.File(L"MoravelUpgrade_2.0.exe"), "MZ kept"));
    CUpgradeFlow flow(Hooks());
    EXPECT_EQ(UpgradeStep::Offered, flow.Check(m_transport, L"1.1"));
    EXPECT_EQ(Events{"ask 4161"}, m_events);
    EXPECT_EQ(std::vector<std::wstring>{L"MoravelUpgrade_2.0.exe"}, m_ran);
    EXPECT_EQ(Paths{"GET /invoice_getLastestVersion"}, TakeRequestPaths());
    EXPECT_EQ("MZ kept", ReadFileBytes(m_dir.File(L"MoravelUpgrade_2.0.exe")));
}

// A download that did not arrive whole leaves no installer and no prompt, and
// the next start downloads again.
TEST_F(UpgradeFlowTest, failed_download_leaves_nothing_to_offer) {
    struct Case {
        const char* why;
        std::string setup;
        bool directoryInTheWay;
    } cases[] = {
        {"installer missing on the service", "version?no=2.0&installer=missing.exe", false},
        {"connection dropped", "fault?mode=drop&only=download/MoravelUpgrade_1.1.exe", false},
        {"server error", "fault?mode=500&only=download/MoravelUpgrade_1.1.exe", false},
        {"a directory of that name", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ScopedWorkDir dir;
        m_events.clear();
        SetVersion("no=2.0&force=1&installer=MoravelUpgrade_1.1.exe");
        if (!c.setup.empty()) {
            ASSERT_TRUE(ServiceControl(c.setup));
        }
        if (c.directoryInTheWay) {
            ASSERT_TRUE(CreateDirectoryW(dir.File(L"MoravelUpgrade_2.0.exe").c_str(), nullptr));
        }
        CUpgradeFlow flow(Hooks());
        ASSERT_EQ(UpgradeStep::DownloadStarted, flow.Check(m_transport, L"1.1"));
        FinishDownload(flow);
        EXPECT_EQ((Events{"Download thread just started.", "0 下载开始", "100 下载完成 failed"}), m_events);
        EXPECT_TRUE(m_ran.empty());
        if (!c.directoryInTheWay) {
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dir.File(L"MoravelUpgrade_2.0.exe").c_str()));
        }
        ASSERT_TRUE(ServiceControl("reset"));
    }
}

// A version that could name a file outside the working folder is refused
// outright: no file, no download, no prompt. (The substitute service publishes
// no such version, so its answer is handed over directly, with a URL that
// would download.)
TEST_F(UpgradeFlowTest, unsafe_version_is_refused) {
    VersionRecord latest;
    latest.force_update = L"1";
    const std::string base = FixtureServiceUrl();
    latest.url = std::wstring(base.begin(), base.end()) + L"download/MoravelUpgrade_1.1.exe";
    for (const wchar_t* version : {L"..\\..\\evil", L"../evil", L"C:evil", L"a?b", L"..", L"x\ny", L"sub\\x"}) {
        SCOPED_TRACE(testing::Message() << "version " << std::string(version, version + wcslen(version)));
        latest.version_no = version;
        CUpgradeFlow flow(Hooks());
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
    CUpgradeFlow flow(Hooks());
    EXPECT_EQ(UpgradeStep::DownloadStarted, flow.Consider(latest, L"1.1"));
    FinishDownload(flow);
    EXPECT_EQ(kSeededInstaller, ReadFileBytes(m_dir.File(L"MoravelUpgrade_2.0.exe")));
}

// A check while the download runs starts no second one; ending the flow (the
// main window closing) waits for the running download to finish.
TEST_F(UpgradeFlowTest, one_download_at_a_time_and_close_waits) {
    SetVersion("no=2.0&force=0&installer=MoravelUpgrade_1.1.exe");
    ASSERT_TRUE(ServiceControl("fault?mode=slow&seconds=2&only=download/MoravelUpgrade_1.1.exe"));
    m_answer = IDCANCEL;
    {
        CUpgradeFlow flow(Hooks());
        ASSERT_EQ(UpgradeStep::DownloadStarted, flow.Check(m_transport, L"1.1"));
        EXPECT_TRUE(flow.Download().IsRunning());
        EXPECT_EQ(UpgradeStep::None, flow.Check(m_transport, L"1.1"));
    }
    EXPECT_EQ((Events{"Download thread just started.", "0 下载开始", "100 下载完成"}), m_events);
    EXPECT_EQ(kSeededInstaller, ReadFileBytes(m_dir.File(L"MoravelUpgrade_2.0.exe")));
    const Paths requests = TakeRequestPaths();
    EXPECT_EQ(1, std::count(requests.begin(), requests.end(), "GET /download/MoravelUpgrade_1.1.exe"));
    EXPECT_EQ(2, std::count(requests.begin(), requests.end(), "GET /invoice_getLastestVersion"));
}

// No usable answer about the version: nothing happens.
TEST_F(UpgradeFlowTest, failed_version_request_does_nothing) {
    for (const char* mode : {"500", "nonjson", "drop", "wrongtypes"}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(ServiceControl(std::string("fault?mode=") + mode));
        CUpgradeFlow flow(Hooks());
        EXPECT_EQ(UpgradeStep::None, flow.Check(m_transport, L"1.1"));
    }
    EXPECT_EQ(Events{}, m_events);
}
