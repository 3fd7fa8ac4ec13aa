// The real Moravel.exe read and driven as an assistive tool does it, from this process
// through oleacc: each window's tree against the expected dump kept in expected/ (the
// diff is what a reviewer reads; ACCESS_REWRITE=1 writes the files anew), the rules every
// tree keeps, the main job done through MSAA alone, and a Tab walk checked against the
// focus events the program raises.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver.h"
#include "msaatree.h"
#include "servicefixture.h"
#include "standinclient.h"

namespace {

const SIZE kLogin = {500, 338}, kMain = {462, 730}, kInput = {550, 320}, kCard = {750, 320};
const wchar_t kMerchantName[] = L"福州路明信息技术有限公司";
const wchar_t kMerchantTax[] = L"91350100M000100Y43";
const wchar_t kMerchantKey[] = L"6c756d6f72612d6d65726368616e7431";
const wchar_t kHtIdentity[] = L"_HT91350100M000100Y43";
const std::wstring kHtSeller = std::wstring(L"--seller-name ") + kMerchantName + L" --seller-tax " + kMerchantTax;
const wchar_t kHit[] = L"上海ABC国际贸易有限公司";

int Dpi()
{
    const char* v = std::getenv("E2E_DPI");
    return v && *v ? std::atoi(v) : 96;
}
SIZE S(SIZE s)
{
    return SIZE{MulDiv(s.cx, Dpi(), 96), MulDiv(s.cy, Dpi(), 96)};
}
constexpr int kSlack = 2;

// Pumps this thread's messages (out-of-context WinEvent hooks arrive as messages) until
// done() holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (true) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        if (done())
            return true;
        if (GetTickCount() - start > ms)
            return done();
        Sleep(20);
    }
}

// Reads the window's tree until `ready` holds for it (the rows come after an answer).
AccNode ReadWhen(HWND wnd, const std::function<bool(const AccNode&)>& ready, DWORD ms = 10000)
{
    AccNode root;
    PumpUntil([&] { return ReadAccTree(wnd, root) && ready(root); }, ms);
    return root;
}

bool Rewrite()
{
    const char* v = std::getenv("ACCESS_REWRITE");
    return v && *v == '1';
}

// The history's rows are the service's records, and the tests before this one (this run's
// imports among them) add to them: their texts are written as «row» in the dumps, their
// shape (roles, states, places) is kept.
void MaskHistoryRows(AccNode& n, bool inHistory = false)
{
    inHistory = inHistory || (n.role == ROLE_SYSTEM_LIST && n.name == L"开票记录");
    if (inHistory && (n.role == ROLE_SYSTEM_LISTITEM || n.role == ROLE_SYSTEM_STATICTEXT))
        n.name = L"«row»";
    for (auto& k : n.kids)
        MaskHistoryRows(k, inHistory);
}

// The tree against expected/<name>-<scale>.txt, and the rules.
void ExpectTree(HWND wnd, const AccNode& root, const std::wstring& name)
{
    SCOPED_TRACE(ToUtf8(name));
    const std::wstring dir = FromHostPath(L"ACCESS_EXPECTED_DIR");
    ASSERT_FALSE(dir.empty()) << "ACCESS_EXPECTED_DIR is not set";
    const RECT wr = ScreenRect(wnd);
    AccNode shown = root;
    MaskHistoryRows(shown);
    const std::wstring text = FormatAccTree(shown, POINT{wr.left, wr.top});
    const std::wstring file = dir + L"\\" + name + L"-" + std::to_wstring(MulDiv(Dpi(), 100, 96)) + L".txt";
    const std::string diff = CompareWithExpected(file, text, Rewrite());
    EXPECT_TRUE(diff.empty()) << diff;
    for (const std::wstring& broken : CheckAccRules(root))
        ADD_FAILURE() << ToUtf8(broken) << "\n" << ToUtf8(text);
}

const AccNode* Need(const AccNode& root, LONG role, const std::wstring& name)
{
    const AccNode* n = FindAcc(root, role, name);
    EXPECT_NE(n, nullptr) << "no " << ToUtf8(RoleName(role)) << " \"" << ToUtf8(name) << "\" in\n"
                          << ToUtf8(FormatAccTree(root, POINT{0, 0}));
    return n;
}

// Focuses the edit through its object, then types as the keyboard does.
void TypeInto(const AccNode& edit, const std::wstring& text)
{
    EXPECT_EQ(TakeFocus(edit), S_OK);
    PumpUntil([] { return false; }, 200);
    TypeKeys(text);
}

// WinEvents of the program's windows, as a screen reader hears them: the event and what the
// object it names reads as ("focus push button "OK"").
struct WinEvents {
    static std::vector<std::wstring>& Heard()
    {
        static std::vector<std::wstring> heard;
        return heard;
    }
    static void CALLBACK Proc(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
    {
        // The system's own events for whole windows are not what is measured here.
        if (object != OBJID_CLIENT)
            return;
        IAccessible* acc = nullptr;
        VARIANT v;
        VariantInit(&v);
        if (FAILED(AccessibleObjectFromEvent(hwnd, DWORD(object), DWORD(child), &acc, &v)) || !acc)
            return;
        BSTR name = nullptr;
        VARIANT role;
        VariantInit(&role);
        acc->get_accName(v, &name);
        acc->get_accRole(v, &role);
        const wchar_t* kind = event == EVENT_OBJECT_FOCUS  ? L"focus "
                              : event == EVENT_OBJECT_SHOW ? L"show "
                              : event == EVENT_OBJECT_HIDE ? L"hide "
                                                           : L"other ";
        Heard().push_back(kind + RoleName(role.vt == VT_I4 ? role.lVal : 0) + L" \"" + (name ? name : L"") + L"\"");
        SysFreeString(name);
        acc->Release();
    }
    WinEvents(DWORD pid, DWORD first, DWORD last)
    {
        Heard().clear();
        hook = SetWinEventHook(first, last, nullptr, &Proc, pid, 0, WINEVENT_OUTOFCONTEXT);
    }
    ~WinEvents()
    {
        if (hook)
            UnhookWinEvent(hook);
    }
    WinEvents(const WinEvents&) = delete;
    WinEvents& operator=(const WinEvents&) = delete;
    bool Heard(const std::wstring& what) const
    {
        return std::find(Heard().begin(), Heard().end(), what) != Heard().end();
    }
    HWINEVENTHOOK hook = nullptr;
};

std::string Joined(const std::vector<std::wstring>& lines)
{
    std::string s;
    for (const auto& l : lines)
        s += "  " + ToUtf8(l) + "\n";
    return s;
}

// Tab pressed once per focusable object and once more: every focusable object of the tree
// is announced by a focus event, and the walk comes back to where it began.
void ExpectTabWalk(DWORD pid, HWND wnd)
{
    AccNode root;
    ASSERT_TRUE(ReadAccTree(wnd, root));
    std::vector<const AccNode*> stops = FindAccWithState(root, STATE_SYSTEM_FOCUSABLE);
    ASSERT_FALSE(stops.empty());
    WinEvents events(pid, EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS);
    ASSERT_NE(events.hook, nullptr);
    for (size_t i = 0; i <= stops.size(); ++i) {
        PressKey(VK_TAB);
        const size_t want = i + 1;
        PumpUntil([&] { return WinEvents::Heard().size() >= want; }, 2000);
        PumpUntil([] { return false; }, 100);
    }
    PumpUntil([] { return false; }, 300);
    // The system's own event for the window taking the keyboard names the whole client; the
    // widget's event follows it.
    std::vector<std::wstring> heard;
    for (const auto& e : WinEvents::Heard())
        if (e.rfind(L"focus client ", 0) != 0)
            heard.push_back(e);
    for (const AccNode* stop : stops) {
        const std::wstring who = L"focus " + RoleName(stop->role) + L" \"" + stop->name + L"\"";
        EXPECT_NE(std::find(heard.begin(), heard.end(), who), heard.end())
            << "Tab never reached " << ToUtf8(who) << "; heard:\n"
            << Joined(heard);
    }
    ASSERT_GT(heard.size(), stops.size()) << Joined(heard);
    EXPECT_EQ(heard[heard.size() - 1], heard[heard.size() - 1 - stops.size()])
        << "the walk does not come round after " << stops.size() << " stops:\n"
        << Joined(heard);
}

// The first host of the process that is none of `known` and not the message box.
HWND OtherHost(DWORD pid, const std::vector<HWND>& known)
{
    for (HWND wnd : TopWindows(pid, L"SOUIHOST"))
        if (std::find(known.begin(), known.end(), wnd) == known.end())
            return wnd;
    return nullptr;
}

class access : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        ASSERT_TRUE(UseFixtureService());
        ASSERT_TRUE(ServiceControl("reset"));
        ASSERT_TRUE(ServiceControl("version?no=1.1&force=0&installer=MoravelUpgrade_1.1.exe"));
        TakeServiceRequests();
        HDC dc = GetDC(nullptr);
        const int desktop = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(nullptr, dc);
        ASSERT_EQ(desktop, Dpi()) << "the prefix's LogPixels is not the scale under test";
    }
    void TearDown() override { CoUninitialize(); }
};

}  // namespace

// Login, the notice box, the main window with its history, the card and the search pop-up,
// each read and compared when it shows; the way from one to the next goes through MSAA.
TEST_F(access, trees_of_login_box_main_card_and_popup)
{
    AppInstallation inst;
    ASSERT_TRUE(inst.Ok());
    const std::wstring section = std::wstring(L"Com") + kHtIdentity;
    ASSERT_TRUE(inst.SetProfileValue(L"Com", L"Id", kHtIdentity));
    ASSERT_TRUE(inst.SetProfileValue(section, L"CN", kMerchantName));
    ASSERT_TRUE(inst.SetProfileValue(section, L"TC", kMerchantTax));
    ASSERT_TRUE(inst.SetProfileValue(section, L"KN", kMerchantKey));
    AppProcess app(inst.Exe(), inst.Bin());
    ASSERT_TRUE(app.Started());

    HWND login = WaitHost(app.Pid(), S(kLogin), 30000, kSlack);
    ASSERT_NE(login, nullptr) << "no login window";
    AccNode tree = ReadWhen(login, [](const AccNode& t) {
        return FindAcc(t, ROLE_SYSTEM_TEXT, L"请输入手机号") && !FindAccWithState(t, STATE_SYSTEM_FOCUSED).empty();
    });
    ExpectTree(login, tree, L"login");
    ExpectTabWalk(app.Pid(), login);

    ASSERT_TRUE(ReadAccTree(login, tree));
    const AccNode* phone = Need(tree, ROLE_SYSTEM_TEXT, L"请输入手机号");
    ASSERT_NE(phone, nullptr);
    TypeInto(*phone, L"13800138000");
    const AccNode* fetch = Need(tree, ROLE_SYSTEM_PUSHBUTTON, L"获取验证码");
    ASSERT_NE(fetch, nullptr);
    ASSERT_EQ(DoDefaultAction(*fetch), S_OK);
    std::string code;
    ASSERT_TRUE(WaitUntil([&] { return ServiceControl("last-sms?phone=13800138000", &code); }, 10000))
        << "\"获取验证码\" was not pressed through its default action";
    const AccNode* codeBox = Need(tree, ROLE_SYSTEM_TEXT, L"请输入验证码");
    ASSERT_NE(codeBox, nullptr);
    TypeInto(*codeBox, std::wstring(code.begin(), code.end()));
    const AccNode* enter = Need(tree, ROLE_SYSTEM_PUSHBUTTON, L"登录");
    ASSERT_NE(enter, nullptr);
    ASSERT_EQ(DoDefaultAction(*enter), S_OK);

    // No invoicing program runs: a notice comes before the main window.
    HWND box = WaitHost(app.Pid(), S(kMessageBox), 30000, kSlack);
    ASSERT_NE(box, nullptr) << "no notice box";
    tree = ReadWhen(box, [](const AccNode& t) { return FindAcc(t, ROLE_SYSTEM_PUSHBUTTON, L"确定") != nullptr; });
    ExpectTree(box, tree, L"msgbox");
    const AccNode* ok = Need(tree, ROLE_SYSTEM_PUSHBUTTON, L"确定");
    ASSERT_NE(ok, nullptr);
    ASSERT_EQ(DoDefaultAction(*ok), S_OK);

    HWND main = WaitHost(app.Pid(), S(kMain), 15000, kSlack);
    ASSERT_NE(main, nullptr) << "no main window after the notice's \"确定\"";
    tree = ReadWhen(main, [](const AccNode& t) {
        const AccNode* list = FindAcc(t, ROLE_SYSTEM_LIST, L"开票记录");
        return list && !list->kids.empty();
    });
    ExpectTree(main, tree, L"main");

    const AccNode* cardButton = Need(tree, ROLE_SYSTEM_PUSHBUTTON, L"企业名片");
    ASSERT_NE(cardButton, nullptr);
    ASSERT_EQ(DoDefaultAction(*cardButton), S_OK);
    HWND card = WaitHost(app.Pid(), S(kCard), 15000, kSlack);
    ASSERT_NE(card, nullptr) << "no card window";
    tree =
        ReadWhen(card, [](const AccNode& t) { return FindAcc(t, ROLE_SYSTEM_STATICTEXT, kMerchantName) != nullptr; });
    ExpectTree(card, tree, L"bizcard");
    const AccNode* close = Need(tree, ROLE_SYSTEM_PUSHBUTTON, L"关闭");
    ASSERT_NE(close, nullptr);
    ASSERT_EQ(DoDefaultAction(*close), S_OK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(card); }, 5000)) << "the card's \"关闭\" did not close it";

    ASSERT_TRUE(ReadAccTree(main, tree));
    const AccNode* search = Need(tree, ROLE_SYSTEM_TEXT, L"请输入公司名称/开票代码");
    ASSERT_NE(search, nullptr);
    TypeInto(*search, L"abc");
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            return (popup = OtherHost(app.Pid(), {main, login, card})) != nullptr;
        },
        10000))
        << "no search pop-up";
    tree = ReadWhen(popup, [](const AccNode& t) { return FindAcc(t, ROLE_SYSTEM_LISTITEM, kHit) != nullptr; });
    ExpectTree(popup, tree, L"popup");
}

// The company input window, then the main job through MSAA alone: the search box found by
// its name, a name typed, the hit found by its name in the pop-up and chosen by its default
// action; the four buyer fields land in the stand-in. Then a Tab walk of the main window.
TEST_F(access, main_job_through_msaa_alone)
{
    AppInstallation inst;
    ASSERT_TRUE(inst.Ok());
    ASSERT_TRUE(inst.SetProfileValue(L"User", L"Id", L"10000001"));
    auto standIn = StandInProcess::Start(L"Aisino.Framework.Startup.exe", kHtSeller, inst.File(L"fields.log"));
    ASSERT_NE(standIn, nullptr);
    AppProcess app(inst.Exe(), inst.Bin());
    ASSERT_TRUE(app.Started());

    HWND input = WaitHost(app.Pid(), S(kInput), 30000, kSlack);
    ASSERT_NE(input, nullptr) << "no company input window";
    AccNode tree =
        ReadWhen(input, [](const AccNode& t) { return FindAcc(t, ROLE_SYSTEM_TEXT, L"请输入税号") != nullptr; });
    ExpectTree(input, tree, L"input");
    ExpectTabWalk(app.Pid(), input);
    ASSERT_TRUE(ReadAccTree(input, tree));
    const AccNode* name = Need(tree, ROLE_SYSTEM_TEXT, L"请输入企业全称");
    const AccNode* tax = Need(tree, ROLE_SYSTEM_TEXT, L"请输入税号");
    const AccNode* done = Need(tree, ROLE_SYSTEM_PUSHBUTTON, L"确定");
    ASSERT_TRUE(name && tax && done);
    TypeInto(*name, kMerchantName);
    TypeInto(*tax, kMerchantTax);
    ASSERT_EQ(DoDefaultAction(*done), S_OK);
    // The native question that follows is the system's own dialog.
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (question = FindBox(app.Pid())) != nullptr; }, 10000)) << "no question";
    PostMessageW(question, WM_COMMAND, IDOK, 0);

    HWND main = WaitHost(app.Pid(), S(kMain), 15000, kSlack);
    ASSERT_NE(main, nullptr) << "no main window";
    tree = ReadWhen(
        main, [](const AccNode& t) { return FindAcc(t, ROLE_SYSTEM_TEXT, L"请输入公司名称/开票代码") != nullptr; });
    const AccNode* search = Need(tree, ROLE_SYSTEM_TEXT, L"请输入公司名称/开票代码");
    ASSERT_NE(search, nullptr);
    WinEvents shown(app.Pid(), EVENT_OBJECT_SHOW, EVENT_OBJECT_HIDE);
    TypeInto(*search, L"abc");

    HWND popup = nullptr;
    AccNode hits;
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (HWND wnd : TopWindows(app.Pid(), L"SOUIHOST"))
                if (wnd != main && ReadAccTree(wnd, hits) && FindAcc(hits, ROLE_SYSTEM_LISTITEM, kHit)) {
                    popup = wnd;
                    return true;
                }
            return false;
        },
        15000))
        << "no list item \"" << ToUtf8(kHit) << "\" in any window of the program";
    const AccNode* hit = FindAcc(hits, ROLE_SYSTEM_LISTITEM, kHit);
    ASSERT_EQ(hit->action, L"选择");
    ASSERT_EQ(DoDefaultAction(*hit), S_OK);

    std::string dump;
    EXPECT_TRUE(WaitUntil(
        [&] { return JsonValue(dump = RunAndRead(L"invoicing_dump.exe", 20000), "buyer", "name") == kHit; }, 15000))
        << dump;
    EXPECT_FALSE(JsonValue(dump, "buyer", "taxNumber").empty()) << dump;
    EXPECT_FALSE(JsonValue(dump, "buyer", "addressPhone").empty()) << dump;
    EXPECT_FALSE(JsonValue(dump, "buyer", "bankAccount").empty()) << dump;
    EXPECT_FALSE(IsWindowVisible(popup)) << "the pop-up stayed after its hit was chosen";
    PumpUntil([&] { return shown.Heard(L"hide client \"公司搜索结果\""); }, 3000);
    EXPECT_TRUE(shown.Heard(L"show client \"公司搜索结果\"")) << Joined(WinEvents::Heard());
    EXPECT_TRUE(shown.Heard(L"hide client \"公司搜索结果\"")) << Joined(WinEvents::Heard());

    ExpectTabWalk(app.Pid(), main);
}
