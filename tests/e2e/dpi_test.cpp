// The real program at the desktop's display scale: every window is its 100 % layout scaled,
// its text grows with it, and clicks land on the scaled buttons. Run once at the prefix's
// own 96 dpi and, by dpi-prefix.sh, in a prefix of its own at 120, 144 and 192 (E2E_DPI).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"
#include "servicefixture.h"
#include "standinclient.h"

namespace {

const SIZE kLogin = {500, 338}, kMain = {462, 730}, kInput = {550, 320}, kCard = {750, 320};
const POINT kLoginFetchCode = {371, 199}, kLoginButton = {256, 289};
const POINT kMainBizcard = {80, 698}, kInputDone = {477, 281}, kMainFirstHistoryImport = {404, 149};
// The login's phone box holds one line of its font: this high at 96 dpi.
constexpr int kLoginLineHeight96 = 18;
const wchar_t kMerchantName[] = L"福州路明信息技术有限公司";
const wchar_t kMerchantTax[] = L"91350100M000100Y43";
const wchar_t kMerchantKey[] = L"6c756d6f72612d6d65726368616e7431";
const wchar_t kHtIdentity[] = L"_HT91350100M000100Y43";
const std::wstring kHtSeller = std::wstring(L"--seller-name ") + kMerchantName + L" --seller-tax " + kMerchantTax;

int ExpectedDpi()
{
    const char* v = std::getenv("E2E_DPI");
    return v && *v ? std::atoi(v) : 96;
}

// A 96-dpi length at the expected scale, rounded as the program rounds it.
int S(int v)
{
    return MulDiv(v, ExpectedDpi(), 96);
}
SIZE S(SIZE s)
{
    return SIZE{S(s.cx), S(s.cy)};
}
POINT S(POINT p)
{
    return POINT{S(p.x), S(p.y)};
}

// A host is its scaled size within one pixel per edge.
constexpr int kSlack = 2;

std::string SizeText(HWND wnd)
{
    SIZE s = WindowSize(wnd);
    return std::to_string(s.cx) + "x" + std::to_string(s.cy);
}

// Every host of the process with its size, for a failure message.
std::string Hosts(DWORD pid)
{
    std::string out;
    for (HWND wnd : TopWindows(pid, L"SOUIHOST"))
        out += SizeText(wnd) + " ";
    return out;
}

class dpi : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(UseFixtureService());
        ASSERT_TRUE(ServiceControl("reset"));
        ASSERT_TRUE(ServiceControl("version?no=1.1&force=0&installer=MoravelUpgrade_1.1.exe"));
        TakeServiceRequests();
        // The prefix really is at the scale asked for; otherwise every size below proves nothing.
        HDC dc = GetDC(nullptr);
        const int desktop = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(nullptr, dc);
        ASSERT_EQ(desktop, ExpectedDpi()) << "the prefix's LogPixels is not the scale under test";
    }
};

}  // namespace

// Login, main window with its notice box, business card: sizes, text and two scaled clicks.
TEST_F(dpi, login_main_box_and_card_are_their_layouts_scaled)
{
    AppInstallation inst;
    ASSERT_TRUE(inst.Ok());
    // A merchant known from an earlier session, so the card has a company to show.
    const std::wstring section = std::wstring(L"Com") + kHtIdentity;
    ASSERT_TRUE(inst.SetProfileValue(L"Com", L"Id", kHtIdentity));
    ASSERT_TRUE(inst.SetProfileValue(section, L"CN", kMerchantName));
    ASSERT_TRUE(inst.SetProfileValue(section, L"TC", kMerchantTax));
    ASSERT_TRUE(inst.SetProfileValue(section, L"KN", kMerchantKey));
    AppProcess app(inst.Exe(), inst.Bin());
    ASSERT_TRUE(app.Started());
    HWND login = WaitHost(app.Pid(), S(kLogin), 30000, kSlack);
    ASSERT_NE(login, nullptr) << "no login window of " << S(kLogin).cx << "x" << S(kLogin).cy << "; hosts "
                              << Hosts(app.Pid());

    std::vector<HWND> edits;
    WaitUntil([&] { return (edits = EditsWithin(app.Pid(), ScreenRect(login))).size() == 2; }, 5000);
    ASSERT_EQ(edits.size(), 2u);
    // The native box is one line of the scaled font high.
    const int line = WindowSize(edits[0]).cy;
    EXPECT_NEAR(line, S(kLoginLineHeight96), 2) << "the phone box's text did not scale";

    Type(edits[0], L"13800138000");
    Click(login, S(kLoginFetchCode));
    std::string code;
    ASSERT_TRUE(WaitUntil([&] { return ServiceControl("last-sms?phone=13800138000", &code); }, 10000))
        << "the scaled \"获取验证码\" was not pressed";
    Type(edits[1], std::wstring(code.begin(), code.end()));
    Click(login, S(kLoginButton));

    // No invoicing program runs: a notice comes before the main window.
    HWND box = WaitHost(app.Pid(), S(kMessageBox), 30000, kSlack);
    ASSERT_NE(box, nullptr) << "no notice box; hosts " << Hosts(app.Pid());
    Click(box, S(kBoxOkOfOne));
    HWND main = WaitHost(app.Pid(), S(kMain), 15000, kSlack);
    ASSERT_NE(main, nullptr) << "the scaled OK of the notice was not pressed, or no main window; hosts "
                             << Hosts(app.Pid());

    Click(main, S(kMainBizcard));
    HWND card = WaitHost(app.Pid(), S(kCard), 15000, kSlack);
    EXPECT_NE(card, nullptr) << "no card window; hosts " << Hosts(app.Pid());
    if (card)
        PostMessageW(card, WM_CLOSE, 0, 0);
}

// The input window, the first history row's scaled "导入", then the search pop-up under the box.
TEST_F(dpi, input_window_and_search_popup_are_scaled)
{
    AppInstallation inst;
    ASSERT_TRUE(inst.Ok());
    ASSERT_TRUE(inst.SetProfileValue(L"User", L"Id", L"10000001"));
    auto standIn = StandInProcess::Start(L"Aisino.Framework.Startup.exe", kHtSeller, inst.File(L"fields.log"));
    ASSERT_NE(standIn, nullptr);
    AppProcess app(inst.Exe(), inst.Bin());
    HWND input = WaitHost(app.Pid(), S(kInput), 30000, kSlack);
    ASSERT_NE(input, nullptr) << "no company input window; hosts " << Hosts(app.Pid());

    std::vector<HWND> edits;
    WaitUntil([&] { return (edits = EditsWithin(app.Pid(), ScreenRect(input))).size() == 2; }, 5000);
    ASSERT_EQ(edits.size(), 2u);
    Type(edits[0], kMerchantName);
    Type(edits[1], kMerchantTax);
    Click(input, S(kInputDone));
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (question = FindBox(app.Pid())) != nullptr; }, 10000)) << "no question";
    PostMessageW(question, WM_COMMAND, IDOK, 0);

    HWND main = WaitHost(app.Pid(), S(kMain), 15000, kSlack);
    ASSERT_NE(main, nullptr) << "no main window; hosts " << Hosts(app.Pid());
    ASSERT_TRUE(WaitUntil([&] { return !EditsWithin(app.Pid(), ScreenRect(main)).empty(); }, 5000));

    // A click on a row beside its button only selects the row: the re-import proves the button.
    std::string requests;
    ASSERT_TRUE(WaitUntil(
        [&] { return (requests += TakeServiceRequests()).find("GET /Invoice_getFaiaoList") != std::string::npos; },
        10000));
    Sleep(500);  // the rows are drawn after the answer
    Click(main, S(kMainFirstHistoryImport));
    requests.clear();
    EXPECT_TRUE(WaitUntil(
        [&] { return (requests += TakeServiceRequests()).find("POST /Invoice_updateFaiaoDate") != std::string::npos; },
        15000))
        << "the history row's scaled \"导入\" was not pressed";

    Type(EditsWithin(app.Pid(), ScreenRect(main)).front(), L"abc");
    HWND popup = nullptr;
    WaitUntil(
        [&] {
            for (HWND wnd : TopWindows(app.Pid(), L"SOUIHOST"))
                if (wnd != main && std::abs(WindowSize(wnd).cy - S(kMessageBox.cy)) > 2)
                    popup = wnd;
            return popup != nullptr;
        },
        10000);
    ASSERT_NE(popup, nullptr) << "no search pop-up";

    // The search box: 11 px inside the 6 px shadow band, 50 px down, 44 px high, at 96 dpi.
    const RECT m = ScreenRect(main), p = ScreenRect(popup);
    EXPECT_NEAR(p.left, m.left + S(6) + S(11), 2);
    EXPECT_NEAR(p.right, m.right - S(6) - S(11), 2);
    EXPECT_NEAR(p.top, m.top + S(6) + S(50) + S(44), 2) << "the pop-up is not under the box";
    // Rows of 47 px, so the shown part holds as many rows as at 100 %.
    EXPECT_GE(p.bottom - p.top, S(47));
    EXPECT_LE(p.bottom - p.top, S(400) + 1);

    // The first row's "导入", right of the row.
    Click(popup, POINT{WindowSize(popup).cx - S(47), S(24)});
    std::string dump;
    EXPECT_TRUE(WaitUntil(
        [&] {
            return JsonValue(dump = RunAndRead(L"invoicing_dump.exe", 20000), "buyer", "name") ==
                   L"上海ABC国际贸易有限公司";
        },
        15000))
        << "the scaled \"导入\" did not import: " << dump;
}
