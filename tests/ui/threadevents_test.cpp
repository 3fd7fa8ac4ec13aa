// The download worker's reports reach the UI thread as engine events through the
// notify centre, in the order fired.
#include <gtest/gtest.h>

#include <vector>

#include "engine/host/SNotifyCenter.h"
#include "engine/core/SObject.h"
#include "modalanswers.h"
#include "servicefixture.h"
#include "tempdir.h"
#include "ui/threadevents.h"
#include "windowtestenv.h"

namespace {

struct Seen {
    int id;
    int from;
    int progress;
    std::wstring message;
    bool succeeded;
    DWORD thread;
};

class Recorder : public SOUI::IEventHandler {
public:
    bool OnEvent(SOUI::EventArgs* evt) override
    {
        auto* e = dynamic_cast<EventThread*>(evt);
        if (!e)
            return false;
        seen.push_back({evt->GetID(), evt->idFrom, e->nProgress, e->pszMessage, e->succeeded, GetCurrentThreadId()});
        return true;
    }
    std::vector<Seen> seen;
};

// Runs one download from the fixture's service and collects what the UI thread saw.
std::vector<Seen> Download(const std::string& path, const std::wstring& target)
{
    SOUI::SObject sender;
    sender.SetID(30000);
    Recorder recorder;
    SOUI::SNotifyCenter::getSingleton().RegisterEventMap(&recorder);
    {
        DownloadFileThread worker;
        worker.SetReporter(NotifyCenterReporter(&sender));
        const std::string url = FixtureServiceUrl() + path;
        worker.SetParams(std::wstring(url.begin(), url.end()), target);
        EXPECT_TRUE(worker.Start());
        PumpUntil([&] { return recorder.seen.size() >= 2 && !worker.IsRunning(); }, 20000);
    }
    // Anything queued late would still arrive now.
    PumpUntil([] { return false; }, 100);
    SOUI::SNotifyCenter::getSingleton().UnregisterEventMap(&recorder);
    return recorder.seen;
}

}  // namespace

TEST(threadevents_download, reports_arrive_on_the_ui_thread_in_order_with_the_outcome)
{
    ASSERT_TRUE(WindowTestEnvReady());
    ScopedWorkDir dir;
    struct Case {
        const char* what;
        std::string path;
        bool succeeded;
    } cases[] = {
        {"installer served", "download/MoravelUpgrade_1.1.exe", true},
        {"no such installer", "download/MoravelUpgrade_9.9.exe", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<Seen> seen = Download(c.path, dir.File(L"installer.exe"));
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].progress, 0);
        EXPECT_EQ(seen[0].message, L"下载开始");
        EXPECT_EQ(seen[1].progress, 100);
        EXPECT_EQ(seen[1].message, L"下载完成");
        EXPECT_EQ(seen[1].succeeded, c.succeeded);
        for (const Seen& s : seen) {
            EXPECT_EQ(s.id, kEventThreadId);
            EXPECT_EQ(s.from, 30000);
            EXPECT_EQ(s.thread, GetCurrentThreadId());
        }
        DeleteFileW(dir.File(L"installer.exe").c_str());
    }
}

TEST(threadevents_names, carry_the_ids_and_names_the_handlers_match)
{
    SOUI::SObject sender;
    sender.SetID(30000);
    EventThread progress(&sender);
    EventThreadStart start(&sender);
    EXPECT_EQ(progress.GetID(), kEventThreadId);
    EXPECT_STREQ(progress.GetName(), L"on_event_thread");
    EXPECT_EQ(start.GetID(), kEventThreadStartId);
    EXPECT_STREQ(start.GetName(), L"on_event_thread_start");
    EXPECT_EQ(start.idFrom, 30000);
}
