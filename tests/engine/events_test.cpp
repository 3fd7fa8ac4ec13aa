#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include "enginetestenv.h"

using namespace SOUI;

namespace {
const char kButtons[] = R"(<SOUI width="300" height="200"><root>
    <window name="panel" pos="0,0,-0,-0">
      <window name="row" pos="0,0,-0,@50">
        <button name="btn_close" pos="0,0,@50,@30">x</button>
        <button name="btn_other" pos="60,0,@50,@30">y</button>
      </window>
      <edit name="edit_search" pos="0,100,-0,@30"/>
    </window>
  </root></SOUI>)";

class MapHost : public SHostWnd {
public:
    using Base = SHostWnd;
    MapHost()
    {
        SetLayoutXml(kButtons);
        Create(nullptr);
    }
    EVENT_MAP_BEGIN()
    EVENT_NAME_COMMAND(L"btn_close", OnClose)
    EVENT_ID_HANDLER(65541, EVT_RE_NOTIFY, OnEditNotify)
    EVENT_MAP_END()

    void OnClose() { ++closes; }
    void OnEditNotify(EventArgs* e) { notifies.push_back(static_cast<EventRENotify*>(e)->iNotify); }

    BOOL ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM, LRESULT& r) override
    {
        if (msg != WM_TIMER)
            return FALSE;
        timers.push_back(UINT(wp));
        r = 0;
        return TRUE;
    }
    int closes = 0;
    std::vector<unsigned> notifies;
    std::vector<UINT> timers;
};
}  // namespace

TEST(events, command_from_a_nested_button_reaches_the_host_map)
{
    MapHost host;
    enginetest::Click(host, host.FindChildByName(L"btn_close"));
    EXPECT_EQ(host.closes, 1);
    // A press that ends outside the button is no click.
    SWindow* b = host.FindChildByName(L"btn_close");
    RECT rc = b->GetWindowRect();
    host.SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.left + 2, rc.top + 2));
    host.SendMessageW(WM_LBUTTONUP, 0, MAKELPARAM(rc.right + 20, rc.top + 2));
    EXPECT_EQ(host.closes, 1);
    b->EnableWindow(FALSE);
    enginetest::Click(host, b);
    EXPECT_EQ(host.closes, 1);
}

TEST(events, handlers_match_event_id_and_sender)
{
    MapHost host;
    std::vector<std::wstring> seen;
    host.AddEventHandler(EVT_CMD, L"btn_other", [&](EventArgs* e) {
        seen.push_back(L"by name " + e->nameFrom);
        return true;
    });
    host.AddEventHandler(EVT_CMD, 65539, [&](EventArgs*) {
        seen.push_back(L"by id");
        return true;
    });
    host.AddEventHandler(EVT_TAB_SELCHANGED, L"btn_other", [&](EventArgs*) {
        seen.push_back(L"wrong id");
        return true;
    });
    enginetest::Click(host, host.FindChildByName(L"btn_other"));
    // btn_close is taken by the EVENT_MAP row first; the registered handler never sees it.
    enginetest::Click(host, host.FindChildByName(L"btn_close"));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], L"by name btn_other");
    EXPECT_EQ(host.closes, 1);
}

// The same event id from two senders goes to two different handlers.
TEST(events, same_event_id_from_two_senders)
{
    MapHost host;
    class EventShared : public TplEventArgs<EventShared> {
    public:
        enum { EventID = 10030000 };
        static const wchar_t* EventName() { return L"on_shared"; }
        using TplEventArgs::TplEventArgs;
    };
    int fromEdit = 0, fromHost = 0;
    host.SetID(30000);
    host.AddEventHandler(EventShared::EventID, 65541, [&](EventArgs*) {
        ++fromEdit;
        return true;
    });
    host.AddEventHandler(EventShared::EventID, 30000, [&](EventArgs*) {
        ++fromHost;
        return true;
    });
    EventShared a(host.FindChildByName(L"edit_search"));
    host.FindChildByName(L"edit_search")->FireEvent(&a);
    EventShared b(&host);
    SNotifyCenter::getSingleton().RegisterEventMap(&host);
    SNotifyCenter::getSingleton().FireEventSync(&b);
    SNotifyCenter::getSingleton().UnregisterEventMap(&host);
    EXPECT_EQ(fromEdit, 1);
    EXPECT_EQ(fromHost, 1);
}

TEST(events, unhandled_events_bubble_through_parents_and_owner)
{
    MapHost host;
    std::vector<std::wstring> path;
    auto note = [&](const wchar_t* who, bool handle) {
        return [&path, who, handle](EventArgs*) {
            path.push_back(who);
            return handle;
        };
    };
    SWindow* other = host.FindChildByName(L"btn_other");
    other->GetEventSet()->subscribeEvent(EVT_CMD, note(L"button", false));
    host.FindChildByName(L"row")->GetEventSet()->subscribeEvent(EVT_CMD, note(L"row", false));
    host.FindChildByName(L"panel")->GetEventSet()->subscribeEvent(EVT_CMD, note(L"panel", true));
    enginetest::Click(host, other);
    EXPECT_EQ(path, (std::vector<std::wstring>{L"button", L"row", L"panel"}));

    // With an owner, the owner is asked instead of the parent.
    path.clear();
    other->SetOwner(host.FindChildByName(L"panel"));
    enginetest::Click(host, other);
    EXPECT_EQ(path, (std::vector<std::wstring>{L"button", L"panel"}));
}

TEST(events, edit_change_arrives_as_rich_edit_notification)
{
    MapHost host;
    auto* edit = host.FindChildByName2<SEdit>(L"edit_search");
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(edit->GetNativeWnd(), nullptr);
    ::SendMessageW(edit->GetNativeWnd(), WM_CHAR, L'税', 0);
    ASSERT_FALSE(host.notifies.empty());
    EXPECT_EQ(host.notifies.back(), unsigned(EN_CHANGE));
    EXPECT_EQ(edit->GetWindowTextW(), L"税");
    // Without ENM_CHANGE in the event mask the change is not reported.
    size_t before = host.notifies.size();
    edit->SSendMessage(EM_SETEVENTMASK, 0, 0);
    ::SendMessageW(edit->GetNativeWnd(), WM_CHAR, L'a', 0);
    EXPECT_EQ(host.notifies.size(), before);
    EXPECT_EQ(edit->GetWindowTextW(), L"税a");
}

TEST(timers, deliver_wm_timer_with_the_id_until_killed)
{
    MapHost host;
    ASSERT_TRUE(host.SetTimer(1500, 10));
    ASSERT_TRUE(enginetest::PumpUntil([&] { return host.timers.size() >= 2; }));
    EXPECT_EQ(host.timers[0], 1500u);
    EXPECT_TRUE(host.KillTimer(1500));
    MSG m;
    while (PeekMessageW(&m, host.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE)) {}
    size_t n = host.timers.size();
    enginetest::PumpUntil([] { return false; }, 60);
    EXPECT_EQ(host.timers.size(), n);
}

namespace {
std::atomic<int> g_liveEvents{0};
class EventTick : public TplEventArgs<EventTick> {
public:
    enum { EventID = 10030002 };
    static const wchar_t* EventName() { return L"on_tick"; }
    EventTick(int n) : TplEventArgs(nullptr), seq(n) { ++g_liveEvents; }
    ~EventTick() override { --g_liveEvents; }
    int seq;
};

struct Listener : IEventHandler {
    bool OnEvent(EventArgs* e) override
    {
        if (e->GetID() != EventTick::EventID)
            return false;
        seqs.push_back(static_cast<EventTick*>(e)->seq);
        threads.push_back(GetCurrentThreadId());
        return true;
    }
    std::vector<int> seqs;
    std::vector<DWORD> threads;
};
}  // namespace

TEST(notify_center, async_events_from_a_worker_arrive_on_the_ui_thread_in_order)
{
    Listener l;
    auto& nc = SNotifyCenter::getSingleton();
    nc.RegisterEventMap(&l);
    const int kCount = 50;
    std::thread worker([&] {
        for (int i = 0; i < kCount; ++i) {
            auto* e = new EventTick(i);
            EXPECT_TRUE(nc.FireEventAsync(e));
            e->Release();  // the centre holds its own reference now
        }
    });
    worker.join();
    ASSERT_TRUE(enginetest::PumpUntil([&] { return l.seqs.size() == size_t(kCount); }));
    nc.UnregisterEventMap(&l);
    for (int i = 0; i < kCount; ++i)
        EXPECT_EQ(l.seqs[size_t(i)], i);
    for (DWORD t : l.threads)
        EXPECT_EQ(t, GetCurrentThreadId());
    EXPECT_EQ(g_liveEvents.load(), 0);

    // Nobody listening: the event is still released.
    auto* e = new EventTick(99);
    nc.FireEventAsync(e);
    e->Release();
    enginetest::PumpUntil([] { return g_liveEvents.load() == 0; }, 1000);
    EXPECT_EQ(g_liveEvents.load(), 0);
}

// Rows are reused and refilled: subscribing again with the same owner must not add a second
// call. Without an owner nothing can be recognised, so both stay.
TEST(event_set, one_handler_per_event_id_and_owner)
{
    int ownerA = 0, ownerB = 0;
    struct Sub {
        int id;
        const void* owner;
        const wchar_t* tag;
    };
    struct Case {
        const char* why;
        std::vector<Sub> subs;
        std::vector<std::wstring> calls;  // what one EVT_CMD runs, in order
    };
    const Case cases[] = {
        {"same owner twice: the second replaces the first",
         {{EVT_CMD, &ownerA, L"a1"}, {EVT_CMD, &ownerA, L"a2"}},
         {L"a2"}},
        {"replacing keeps the first one's place",
         {{EVT_CMD, &ownerA, L"a1"}, {EVT_CMD, &ownerB, L"b"}, {EVT_CMD, &ownerA, L"a2"}},
         {L"a2", L"b"}},
        {"no owner: both run", {{EVT_CMD, nullptr, L"n1"}, {EVT_CMD, nullptr, L"n2"}}, {L"n1", L"n2"}},
        {"another event id of the same owner is not touched",
         {{EVT_CMD, &ownerA, L"cmd"}, {EVT_TAB_SELCHANGED, &ownerA, L"tab"}},
         {L"cmd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        SEventSet set;
        std::vector<std::wstring> calls;
        for (const Sub& s : c.subs) {
            const wchar_t* tag = s.tag;
            EXPECT_TRUE(set.subscribeEvent(
                s.id,
                [&calls, tag](EventArgs*) {
                    calls.push_back(tag);
                    return false;
                },
                s.owner));
        }
        EventCmd evt(nullptr);
        set.FireEvent(&evt);
        EXPECT_EQ(calls, c.calls);
    }

    // After a replacement one unsubscribe leaves nothing behind.
    SEventSet set;
    int runs = 0;
    for (int fill = 0; fill < 3; ++fill)
        set.subscribeEvent(
            EVT_CMD,
            [&runs](EventArgs*) {
                ++runs;
                return true;
            },
            &ownerA);
    EventCmd once(nullptr);
    set.FireEvent(&once);
    EXPECT_EQ(runs, 1);
    set.unsubscribeEvent(EVT_CMD, &ownerA);
    EventCmd none(nullptr);
    set.FireEvent(&none);
    EXPECT_EQ(runs, 1);
}
