// The merchant's sessions with the real Moravel.exe, driven from outside through its
// windows, against the substitute service and the stand-in invoicing programs. Each
// case checks where its work lands: the stand-in's fields, the service's request log,
// the profile, files on disk.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <memory>
#include <string>

#include "driver.h"
#include "servicefixture.h"
#include "standinclient.h"

namespace {

const SIZE kLogin = {500, 338}, kMain = {462, 730}, kInput = {550, 320}, kCard = {750, 320};
const wchar_t kMerchantName[] = L"福州路明信息技术有限公司";
const wchar_t kMerchantTax[] = L"91350100M000100Y43";
const wchar_t kMerchantKey[] = L"6c756d6f72612d6d65726368616e7431";
const wchar_t kHtIdentity[] = L"_HT91350100M000100Y43";
// What the BW stand-in's default seller bank line makes of the merchant.
const wchar_t kBwIdentity[] = L"_BW351eb1065a5d8a6f6d7f331e049d6175";
const std::wstring kHtSeller = std::wstring(L"--seller-name ") + kMerchantName + L" --seller-tax " + kMerchantTax;

// Client points taken from the layouts (every host has a 6 px shadow margin).
const POINT kLoginFetchCode = {371, 199}, kLoginButton = {256, 289};
const POINT kMainBizcard = {80, 698}, kMainFirstHistoryImport = {404, 149};
const POINT kInputDone = {477, 281}, kCardDownload = {677, 281};

class e2e : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(UseFixtureService());
        ASSERT_TRUE(ServiceControl("reset"));
        ASSERT_TRUE(ServiceControl("version?no=1.1&force=0&installer=MoravelUpgrade_1.1.exe"));
        TakeServiceRequests();
    }

    static void StoreUser(const AppInstallation& inst)
    {
        ASSERT_TRUE(inst.SetProfileValue(L"User", L"Id", L"10000001"));
    }

    // The merchant as a finished first session leaves it behind.
    static void StoreMerchant(const AppInstallation& inst, const std::wstring& identity)
    {
        StoreUser(inst);
        const std::wstring section = L"Com" + identity;
        ASSERT_TRUE(inst.SetProfileValue(L"Com", L"Id", identity));
        ASSERT_TRUE(inst.SetProfileValue(section, L"CN", kMerchantName));
        ASSERT_TRUE(inst.SetProfileValue(section, L"TC", kMerchantTax));
        ASSERT_TRUE(inst.SetProfileValue(section, L"KN", kMerchantKey));
    }

    static std::unique_ptr<StandInProcess> StartStandIn(const std::wstring& exe, const std::wstring& flags,
                                                        const AppInstallation& inst)
    {
        return StandInProcess::Start(exe, flags, inst.File(L"fields.log"));
    }

    // The buyer fields as the dump tool reads them from the open issuing window.
    static std::string Dump() { return RunAndRead(L"invoicing_dump.exe", 20000); }

    // Waits for the main window. The notice it shows before it appears when no
    // invoicing program runs is answered only when asked for: elsewhere it is a fault.
    static HWND MainWindow(const AppProcess& app, bool dismissNotice = false)
    {
        HWND main = nullptr;
        WaitUntil(
            [&] {
                if (HWND box = dismissNotice ? FindHost(app.Pid(), kMessageBox) : nullptr)
                    Click(box, kBoxOkOfOne);
                return (main = FindHost(app.Pid(), kMain)) != nullptr;
            },
            30000);
        EXPECT_NE(main, nullptr) << "no main window";
        return main;
    }

    static bool Logged(const std::string& requests, const std::string& line)
    {
        return requests.find(line) != std::string::npos;
    }

    // A known merchant at work: the installation with the merchant stored, the stand-in
    // with its issuing window, the program started, its main window up.
    struct Session {
        AppInstallation inst;
        std::unique_ptr<StandInProcess> standIn;
        std::unique_ptr<AppProcess> app;
        HWND main = nullptr;
    };
    static void Start(Session& s, const wchar_t* exe = L"Aisino.Framework.Startup.exe",
                      const std::wstring& flags = kHtSeller, const wchar_t* identity = kHtIdentity)
    {
        ASSERT_TRUE(s.inst.Ok());
        StoreMerchant(s.inst, identity);
        s.standIn = StartStandIn(exe, flags, s.inst);
        ASSERT_NE(s.standIn, nullptr);
        s.app = std::make_unique<AppProcess>(s.inst.Exe(), s.inst.Bin());
        s.main = MainWindow(*s.app);
        ASSERT_NE(s.main, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return !EditsWithin(s.app->Pid(), ScreenRect(s.main)).empty(); }, 5000))
            << "no search box";
    }
};

// Keys as the merchant presses them go, on the desktop, to whichever window has the keyboard.

// What an edit of another process holds now (GetWindowText would give its first text).
std::wstring EditText(HWND edit)
{
    wchar_t buf[256] = {};
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &n))
        return L"(no answer)";
    return buf;
}

// The text of the main window's search box.
std::wstring SearchText(DWORD pid, HWND main)
{
    std::vector<HWND> edits = EditsWithin(pid, ScreenRect(main));
    return edits.empty() ? L"(no search box)" : EditText(edits.front());
}

// Until the window (or one of the pop-ups it owns, such as its edits) has the keyboard.
bool WaitKeyboard(HWND wnd, DWORD ms)
{
    return WaitUntil(
        [&] {
            HWND focus = KeyboardFocusOf(wnd);
            return focus && (focus == wnd || GetWindow(focus, GW_OWNER) == wnd);
        },
        ms);
}

}  // namespace

namespace {
// The pop-up opens at the keystroke with a row that says a search runs; its hits come with
// the answer. As a person waits for the names to appear before clicking one. A search
// typed behind one whose answer never ends waits for that one's timeout (10 s, and 1 s more).
void WaitForHits()
{
    std::string requests;
    ASSERT_TRUE(WaitUntil(
        [&] { return (requests += TakeServiceRequests()).find("GET /Invoice_getCompanyList") != std::string::npos; },
        16000))
        << "no search was asked";
    Sleep(300);
}
}  // namespace

TEST_F(e2e, login_first_start_then_main_window_in_the_same_process)
{
    AppInstallation inst;
    ASSERT_TRUE(inst.Ok());
    AppProcess app(inst.Exe(), inst.Bin());
    ASSERT_TRUE(app.Started());
    HWND login = WaitHost(app.Pid(), kLogin, 30000);
    ASSERT_NE(login, nullptr) << "no login window";

    std::vector<HWND> edits;
    WaitUntil([&] { return (edits = EditsWithin(app.Pid(), ScreenRect(login))).size() == 2; }, 5000);
    ASSERT_EQ(edits.size(), 2u);
    Type(edits[0], L"13800138000");
    Click(login, kLoginFetchCode);
    std::string code;
    ASSERT_TRUE(WaitUntil([&] { return ServiceControl("last-sms?phone=13800138000", &code); }, 10000))
        << "no code was requested";
    Type(edits[1], std::wstring(code.begin(), code.end()));
    Click(login, kLoginButton);

    // No invoicing program runs here: the main window's notice is answered.
    HWND main = MainWindow(app, true);
    ASSERT_NE(main, nullptr) << "the main window did not follow the login";
    EXPECT_EQ(app.WaitExit(0), STILL_ACTIVE);
    EXPECT_FALSE(IsWindowVisible(login));
    EXPECT_EQ(inst.ProfileValue(L"User", L"Id"), L"10000001");
    const std::string requests = TakeServiceRequests();
    EXPECT_TRUE(Logged(requests, "POST /Invoice_regmobileCode body=phone=13800138000"));
    EXPECT_TRUE(Logged(requests, "POST /Invoice_loginbyverify body=phone=13800138000&code=" + code)) << requests;
}

// A search hit imported writes all four buyer fields of either variant's issuing
// window and is recorded for the merchant.
TEST_F(e2e, import_search_hit_into_ht_and_bw)
{
    struct Case {
        const wchar_t* exe;
        std::wstring flags;
        const wchar_t* identity;
        const char* variant;
    } cases[] = {
        {L"Aisino.Framework.Startup.exe", kHtSeller, kHtIdentity, "HT"},
        {L"kp.exe", L"--variant bw", kBwIdentity, "BW"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variant);
        Session s;
        ASSERT_NO_FATAL_FAILURE(Start(s, c.exe, c.flags, c.identity));
        const AppProcess& app = *s.app;
        const HWND main = s.main;
        TakeServiceRequests();

        std::vector<HWND> edits = EditsWithin(app.Pid(), ScreenRect(main));
        ASSERT_FALSE(edits.empty()) << "no search box";
        Type(edits.front(), L"abc");
        HWND popup = nullptr;
        WaitUntil(
            [&] {
                for (HWND wnd : TopWindows(app.Pid(), L"SOUIHOST"))
                    if (wnd != main && WindowSize(wnd).cy != kMessageBox.cy)
                        popup = wnd;
                return popup != nullptr;
            },
            10000);
        ASSERT_NE(popup, nullptr) << "no search pop-up";
        ASSERT_NO_FATAL_FAILURE(WaitForHits());
        // The first row's import button, right of the row, left of any scroll bar.
        Click(popup, POINT{WindowSize(popup).cx - 47, 24});

        std::string dump;
        WaitUntil([&] { return JsonValue(dump = Dump(), "buyer", "name") == L"上海ABC国际贸易有限公司"; }, 15000);
        EXPECT_NE(dump.find(std::string("\"variant\":\"") + c.variant + "\""), std::string::npos) << dump;
        const std::wstring tax = JsonValue(dump, "buyer", "taxNumber");
        EXPECT_EQ(JsonValue(dump, "buyer", "name"), L"上海ABC国际贸易有限公司") << dump;
        EXPECT_FALSE(tax.empty()) << dump;
        EXPECT_FALSE(JsonValue(dump, "buyer", "addressPhone").empty()) << dump;
        EXPECT_FALSE(JsonValue(dump, "buyer", "bankAccount").empty()) << dump;

        std::string requests;
        WaitUntil([&] { return Logged(requests += TakeServiceRequests(), "POST /Invoice_addFaiao"); }, 5000);
        const size_t add = requests.find("POST /Invoice_addFaiao");
        ASSERT_NE(add, std::string::npos) << requests;
        const std::string record = requests.substr(add, requests.find('\n', add) - add);
        EXPECT_TRUE(Logged(record, "business_keyno=" + Utf8(kMerchantKey))) << record;
        EXPECT_TRUE(Logged(record, "company_taxid=" + Utf8(tax))) << record;
        EXPECT_EQ(FindHost(app.Pid(), kMessageBox), nullptr) << "a message box is open";
    }
}

// A history row imported again: its address goes in followed by one space, and the
// record's date is renewed at the service.
TEST_F(e2e, import_history_row_again)
{
    Session s;
    ASSERT_NO_FATAL_FAILURE(Start(s));
    const HWND main = s.main;
    std::string requests;
    ASSERT_TRUE(
        WaitUntil([&] { return Logged(requests += TakeServiceRequests(), "GET /Invoice_getFaiaoList"); }, 10000));
    Sleep(500);  // the rows are drawn after the answer

    Click(main, kMainFirstHistoryImport);
    requests.clear();
    ASSERT_TRUE(
        WaitUntil([&] { return Logged(requests += TakeServiceRequests(), "POST /Invoice_updateFaiaoDate"); }, 15000))
        << requests;
    EXPECT_TRUE(
        Logged(requests, "POST /Invoice_updateFaiaoDate body=business_keyno=" + Utf8(kMerchantKey) + "&apply_id="))
        << requests;
    const std::string dump = Dump();
    const std::wstring address = JsonValue(dump, "buyer", "addressPhone");
    EXPECT_FALSE(JsonValue(dump, "buyer", "name").empty()) << dump;
    EXPECT_FALSE(JsonValue(dump, "buyer", "taxNumber").empty()) << dump;
    ASSERT_GE(address.size(), 2u) << dump;
    EXPECT_EQ(address.back(), L' ') << dump;
    EXPECT_NE(address[address.size() - 2], L' ') << dump;
}

// A known user meets a seller the profile does not know: the company input window
// asks, and what the merchant confirms lands in the profile with its key number.
TEST_F(e2e, merchant_unknown_seller_asked_in_the_input_window)
{
    AppInstallation inst;
    ASSERT_TRUE(inst.Ok());
    StoreUser(inst);
    auto standIn = StartStandIn(L"Aisino.Framework.Startup.exe", kHtSeller, inst);
    ASSERT_NE(standIn, nullptr);
    AppProcess app(inst.Exe(), inst.Bin());
    HWND input = WaitHost(app.Pid(), kInput, 30000);
    ASSERT_NE(input, nullptr) << "no company input window";

    std::vector<HWND> edits;
    WaitUntil([&] { return (edits = EditsWithin(app.Pid(), ScreenRect(input))).size() == 2; }, 5000);
    ASSERT_EQ(edits.size(), 2u);
    Type(edits[0], kMerchantName);
    Type(edits[1], kMerchantTax);
    Click(input, kInputDone);

    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (question = FindBox(app.Pid())) != nullptr; }, 10000)) << "no question";
    EXPECT_NE(BoxText(question).find(L"确定输入信息准确无误吗？"), std::wstring::npos) << BoxText(question).size();
    PostMessageW(question, WM_COMMAND, IDOK, 0);

    const std::wstring section = std::wstring(L"Com") + kHtIdentity;
    EXPECT_TRUE(WaitUntil([&] { return !inst.ProfileValue(section, L"KN").empty(); }, 15000));
    EXPECT_EQ(inst.ProfileValue(L"Com", L"Id"), kHtIdentity);
    EXPECT_EQ(inst.ProfileValue(section, L"CN"), kMerchantName);
    EXPECT_EQ(inst.ProfileValue(section, L"TC"), kMerchantTax);
    EXPECT_EQ(inst.ProfileValue(section, L"KN"), kMerchantKey);
    EXPECT_EQ(inst.ProfileValue(L"User", L"Id"), L"10000001");
    HWND main = WaitHost(app.Pid(), kMain, 10000);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(input); }, 5000));
    // After the input window, what the merchant types goes to the search box.
    ASSERT_TRUE(WaitKeyboard(main, 5000)) << "the main window did not take the keyboard back";
    TypeKeys(L"abc");
    EXPECT_TRUE(WaitUntil([&] { return SearchText(app.Pid(), main) == L"abc"; }, 5000))
        << testing::PrintToString(SearchText(app.Pid(), main));
}

TEST_F(e2e, bizcard_saved_as_png)
{
    Session s;
    ASSERT_NO_FATAL_FAILURE(Start(s));
    const HWND main = s.main;
    const AppProcess& app = *s.app;

    Click(main, kMainBizcard);
    HWND card = WaitHost(app.Pid(), kCard, 15000);
    ASSERT_NE(card, nullptr) << "no card window";
    Sleep(500);
    Click(card, kCardDownload);

    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindBox(app.Pid())) != nullptr; }, 15000)) << "no save dialog";
    const int nameBox = GetDlgItem(dialog, cmb13) ? cmb13 : edt1;
    ASSERT_NE(GetDlgItem(dialog, nameBox), nullptr) << "not the save dialog";
    const std::wstring target = s.inst.File(L"card.png");
    SetDlgItemTextW(dialog, nameBox, target.c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);

    HWND done = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            done = FindBox(app.Pid());
            return done && done != dialog && !BoxText(done).empty();
        },
        15000))
        << "no message after saving";
    EXPECT_NE(BoxText(done).find(L"下载成功！"), std::wstring::npos);
    PostMessageW(done, WM_COMMAND, IDOK, 0);

    const std::string png = ReadFileBytes(target);
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    auto be32 = [&](size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    EXPECT_EQ(be32(16), 683);
    EXPECT_EQ(be32(20), 1024);
    EXPECT_TRUE(WaitUntil([&] { return FindBox(app.Pid()) == nullptr; }, 5000)) << "a box stayed open";
    PostMessageW(card, WM_CLOSE, 0, 0);
}

// The service publishes 1.2: the merchant accepts, our installer runs from the working
// folder and the program ends to make way for it.
TEST_F(e2e, upgrade_accepted_runs_the_installer_and_ends)
{
    const std::wstring files = FolderOf(FromHostPath(L"MORAVEL_SERVICE_URL_PATH")) + L"\\files";
    ASSERT_TRUE(
        CopyFileW(FromHostPath(L"E2E_FAKE_INSTALLER").c_str(), (files + L"\\MoravelUpgrade_1.2.exe").c_str(), FALSE));
    ASSERT_TRUE(ServiceControl("version?no=1.2&force=0&installer=MoravelUpgrade_1.2.exe"));
    AppInstallation inst;
    ASSERT_TRUE(inst.Ok());
    StoreMerchant(inst, kHtIdentity);
    // With an invoicing program running no notice comes, so the only box is the question,
    // asked once the installer is down; its OK is the left of two buttons.
    auto standIn = StartStandIn(L"Aisino.Framework.Startup.exe", kHtSeller, inst);
    ASSERT_NE(standIn, nullptr);
    AppProcess app(inst.Exe(), inst.Bin());
    std::string requests;
    ASSERT_TRUE(WaitUntil(
        [&] { return Logged(requests += TakeServiceRequests(), "GET /download/MoravelUpgrade_1.2.exe"); }, 30000))
        << requests;
    HWND prompt = WaitHost(app.Pid(), kMessageBox, 30000);
    ASSERT_NE(prompt, nullptr) << "no upgrade question";
    Click(prompt, kBoxOkOfTwo);

    const std::wstring marker = inst.WorkingDir() + L"\\installer-ran.txt";
    EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000))
        << "the installer did not run";
    EXPECT_NE(app.WaitExit(15000), STILL_ACTIVE) << "the program did not end";
}

// Only forward, and never in the clear under a TLS service: a record naming our own
// version or an older one, or a link the service may not name (a plain http:// one under
// an https:// service, another host under a plain one), downloads nothing and asks
// nothing. An older installer already in the working folder is not offered either.
TEST_F(e2e, upgrade_refused_backward_or_from_an_unsafe_link)
{
    const std::string service = FixtureServiceUrl();
    const bool secure = service.compare(0, 8, "https://") == 0;
    // The same host and port, spelt as a plain link: the TLS service's own, in the clear.
    const std::string plainOrigin = secure ? "HTTP%3A%2F%2F" + service.substr(8, service.size() - 9)
                                           : std::string("http%3A%2F%2Felsewhere.test%3A8765");
    const std::wstring files = FolderOf(FromHostPath(L"MORAVEL_SERVICE_URL_PATH")) + L"\\files";
    struct Case {
        const char* why;
        const char* version;
        std::string origin;  // of the record's link; empty: the service's own
        const char* said;    // in the debug output
    } cases[] = {
        {"the own version", "1.1", "", ""},
        {"an older version", "1.0", "", ""},
        {"a later version from a link the service may not name", "1.2", plainOrigin,
         "is not one this service may name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string installer = std::string("MoravelUpgrade_") + c.version + ".exe";
        ASSERT_TRUE(CopyFileW(FromHostPath(L"E2E_FAKE_INSTALLER").c_str(),
                              (files + L"\\" + std::wstring(installer.begin(), installer.end())).c_str(), FALSE));
        ASSERT_TRUE(ServiceControl(std::string("version?no=") + c.version + "&force=1&installer=" + installer +
                                   "&origin=" + c.origin));
        AppInstallation inst;
        ASSERT_TRUE(inst.Ok());
        StoreMerchant(inst, kHtIdentity);
        if (std::string(c.version) != "1.2") {
            ASSERT_TRUE(CopyFileW(
                FromHostPath(L"E2E_FAKE_INSTALLER").c_str(),
                (inst.WorkingDir() + L"\\" + std::wstring(installer.begin(), installer.end())).c_str(), FALSE));
        }
        auto standIn = StartStandIn(L"Aisino.Framework.Startup.exe", kHtSeller, inst);
        ASSERT_NE(standIn, nullptr);
        TakeServiceRequests();
        AppProcess app(inst.Exe(), inst.Bin(), L"", inst.DebugLogPath());
        HWND main = MainWindow(app);
        ASSERT_NE(main, nullptr);
        // The check ran before the window showed; a download and its question would follow
        // within the history poll's first ticks.
        std::string requests;
        WaitUntil(
            [&] {
                return Logged(requests += TakeServiceRequests(), "GET /Invoice_getFaiaoList") &&
                       Logged(requests, "GET /invoice_getLastestVersion");
            },
            10000);
        Sleep(1500);
        requests += TakeServiceRequests();
        EXPECT_TRUE(Logged(requests, "GET /invoice_getLastestVersion")) << requests;
        EXPECT_FALSE(Logged(requests, "/download/")) << requests;
        EXPECT_EQ(FindHost(app.Pid(), kMessageBox), nullptr) << "a question was asked";
        EXPECT_EQ(GetFileAttributesW((inst.WorkingDir() + L"\\installer-ran.txt").c_str()), INVALID_FILE_ATTRIBUTES);
        if (*c.said) {
            EXPECT_NE(inst.DebugLog().find(c.said), std::string::npos) << inst.DebugLog();
        }
    }
    ASSERT_TRUE(ServiceControl("reset"));
}

TEST_F(e2e, tray_menu_exit_ends_the_process)
{
    AppInstallation inst;
    ASSERT_TRUE(inst.Ok());
    StoreUser(inst);
    AppProcess app(inst.Exe(), inst.Bin());
    HWND main = MainWindow(app, true);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return FindHost(app.Pid(), kMessageBox) == nullptr; }, 5000));

    PostMessageW(main, 2125, 0, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            std::vector<HWND> menus = TopWindows(app.Pid(), L"#32768");
            menu = menus.empty() ? nullptr : menus.front();
            return menu != nullptr;
        },
        10000))
        << "no tray menu";
    // "退出" is the menu's last item.
    PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_NE(app.WaitExit(15000), STILL_ACTIVE) << "the program is still running";
}

// Search and import while the service misbehaves, and with the invoicing program gone
// between the pop-up and the import click: the program stays alive and answering and
// shows nothing. A failed search leaves nothing to import; a failed company answer
// puts only the hit's own name in (nothing of the broken answer); a vanished program
// gets nothing recorded.
TEST_F(e2e, search_and_import_survive_service_faults_and_a_vanished_invoicing_program)
{
    Session s;
    ASSERT_NO_FATAL_FAILURE(Start(s));
    const HWND main = s.main;
    const AppProcess& app = *s.app;
    std::vector<HWND> edits = EditsWithin(app.Pid(), ScreenRect(main));
    ASSERT_FALSE(edits.empty()) << "no search box";

    auto popup = [&] {
        for (HWND wnd : TopWindows(app.Pid(), L"SOUIHOST"))
            if (wnd != main && WindowSize(wnd).cy != kMessageBox.cy)
                return wnd;
        return HWND(nullptr);
    };
    // A service that answers, however badly, is read at once; only an endless body
    // may hold the window up to the client's 10 s timeout (and a second for the rest).
    auto answers = [&](const char* fault = "") {
        DWORD_PTR ignored = 0;
        const DWORD bound = std::string(fault) == "endless" ? 11000 : 3000;
        return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, bound, &ignored) != 0;
    };

    const char* faults[] = {"404", "500", "nonjson", "wrongtypes", "emptydata", "drop", "endless"};
    for (const char* fault : faults) {
        SCOPED_TRACE(fault);
        // The search fails: whatever pop-up shows has no row to import.
        const std::string before = Dump();
        ASSERT_TRUE(ServiceControl(std::string("fault?mode=") + fault + "&only=Invoice_getCompanyList"));
        Type(edits.front(), L"abc");
        Sleep(300);
        if (HWND list = popup())
            Click(list, POINT{WindowSize(list).cx - 47, 24});
        Sleep(300);
        EXPECT_TRUE(answers(fault)) << "the main window stopped answering";
        EXPECT_EQ(Dump(), before) << "the buyer block changed";
        Type(edits.front(), L"");

        // The hit's company answer fails: the import runs on the hit alone.
        ASSERT_TRUE(ServiceControl(std::string("fault?mode=") + fault + "&only=Invoice_getCompanyInfo"));
        TakeServiceRequests();
        Type(edits.front(), L"abc");
        HWND list = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (list = popup()) != nullptr; }, 10000)) << "no search pop-up";
        ASSERT_NO_FATAL_FAILURE(WaitForHits());
        Click(list, POINT{WindowSize(list).cx - 47, 24});
        std::string requests;
        ASSERT_TRUE(
            WaitUntil([&] { return Logged(requests += TakeServiceRequests(), "GET /Invoice_getCompanyInfo"); }, 15000))
            << "the import never ran";
        EXPECT_TRUE(answers(fault)) << "the main window stopped answering";
        EXPECT_EQ(app.WaitExit(0), STILL_ACTIVE);
        EXPECT_EQ(FindHost(app.Pid(), kMessageBox), nullptr) << "a message box is open";
        std::string dump;
        WaitUntil([&] { return JsonValue(dump = Dump(), "buyer", "name") == L"上海ABC国际贸易有限公司"; }, 5000);
        EXPECT_EQ(JsonValue(dump, "buyer", "name"), L"上海ABC国际贸易有限公司") << dump;
        EXPECT_EQ(JsonValue(dump, "buyer", "taxNumber"), L"") << dump;
        EXPECT_EQ(JsonValue(dump, "buyer", "addressPhone"), L" ") << dump;
        EXPECT_EQ(JsonValue(dump, "buyer", "bankAccount"), L" ") << dump;
        // The fill was complete, so the use is recorded, after it and off the window's thread.
        EXPECT_TRUE(
            WaitUntil([&] { return Logged(requests += TakeServiceRequests(), "POST /Invoice_addFaiao"); }, 5000));
        Type(edits.front(), L"");
    }
    ASSERT_TRUE(ServiceControl("reset"));
    TakeServiceRequests();

    Type(edits.front(), L"abc");
    HWND list = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (list = popup()) != nullptr; }, 10000)) << "no search pop-up";
    ASSERT_NO_FATAL_FAILURE(WaitForHits());
    s.standIn.reset();
    Click(list, POINT{WindowSize(list).cx - 47, 24});
    Sleep(1500);
    EXPECT_TRUE(answers());
    EXPECT_EQ(app.WaitExit(0), STILL_ACTIVE);
    EXPECT_EQ(FindHost(app.Pid(), kMessageBox), nullptr) << "a search row says nothing without a window";
    EXPECT_FALSE(Logged(TakeServiceRequests(), "POST /Invoice_addFaiao")) << "a use was recorded that never happened";
    EXPECT_EQ(s.inst.ProfileValue(L"Com" + std::wstring(kHtIdentity), L"KN"), kMerchantKey) << "profile lost";
}

// Logging in while the service misbehaves: every fault ends in "登录失败！", the
// window stays usable and no user is stored.
TEST_F(e2e, login_under_service_faults_says_it_failed_and_stores_nothing)
{
    AppInstallation inst;
    ASSERT_TRUE(inst.Ok());
    AppProcess app(inst.Exe(), inst.Bin());
    HWND login = WaitHost(app.Pid(), kLogin, 30000);
    ASSERT_NE(login, nullptr) << "no login window";
    std::vector<HWND> edits;
    WaitUntil([&] { return (edits = EditsWithin(app.Pid(), ScreenRect(login))).size() == 2; }, 5000);
    ASSERT_EQ(edits.size(), 2u);
    Type(edits[0], L"13800138000");
    Type(edits[1], L"123456");

    const char* faults[] = {"404", "500", "nonjson", "wrongtypes", "emptydata", "drop", "endless"};
    for (const char* fault : faults) {
        SCOPED_TRACE(fault);
        ASSERT_TRUE(ServiceControl(std::string("fault?mode=") + fault));
        Click(login, kLoginButton);
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (box = FindBox(app.Pid())) != nullptr && !BoxText(box).empty(); }, 15000))
            << "no message";
        EXPECT_NE(BoxText(box).find(L"登录失败！"), std::wstring::npos) << BoxText(box).size();
        EXPECT_EQ(WindowText(box), L"错误");
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return FindBox(app.Pid()) == nullptr; }, 5000);
        EXPECT_EQ(app.WaitExit(0), STILL_ACTIVE);
        EXPECT_TRUE(IsWindowVisible(login)) << "the login window must stay";
        EXPECT_EQ(inst.ProfileValue(L"User", L"Id"), L"") << "a user was stored";
    }
}

// The notice at start ("请打开开票软件！") answered with Enter or with Escape: the main
// window follows and what the merchant types next lands in the search box.
TEST_F(e2e, start_notice_closes_with_enter_or_escape_and_typing_goes_to_the_search_box)
{
    for (UINT key : {VK_RETURN, VK_ESCAPE}) {
        SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Escape");
        AppInstallation inst;
        ASSERT_TRUE(inst.Ok());
        StoreUser(inst);
        AppProcess app(inst.Exe(), inst.Bin());
        HWND box = WaitHost(app.Pid(), kMessageBox, 30000);
        ASSERT_NE(box, nullptr) << "no notice";
        ASSERT_TRUE(WaitKeyboard(box, 5000)) << "the notice does not have the keyboard";
        PressKey(key);
        HWND main = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (main = FindHost(app.Pid(), kMain)) != nullptr; }, 10000))
            << "the main window did not follow";
        EXPECT_EQ(FindHost(app.Pid(), kMessageBox), nullptr);
        ASSERT_TRUE(WaitKeyboard(main, 5000)) << "the main window did not take the keyboard";
        TypeKeys(L"上海");
        EXPECT_TRUE(WaitUntil([&] { return SearchText(app.Pid(), main) == L"上海"; }, 5000))
            << "typed text went elsewhere: '" << testing::PrintToString(SearchText(app.Pid(), main)) << "'";
    }
}

// The first start from the keyboard alone: the number typed with spaces around it, Tab to
// the code box and on to the code button, Space on it, Shift+Tab back, the code, Enter.
TEST_F(e2e, login_by_keyboard_with_a_spaced_number)
{
    AppInstallation inst;
    ASSERT_TRUE(inst.Ok());
    AppProcess app(inst.Exe(), inst.Bin());
    HWND login = WaitHost(app.Pid(), kLogin, 30000);
    ASSERT_NE(login, nullptr) << "no login window";
    std::vector<HWND> edits;
    WaitUntil([&] { return (edits = EditsWithin(app.Pid(), ScreenRect(login))).size() == 2; }, 5000);
    ASSERT_EQ(edits.size(), 2u);
    ASSERT_TRUE(WaitUntil([&] { return KeyboardFocusOf(login) == edits[0]; }, 5000))
        << "the mobile box does not start with the keyboard";

    TypeKeys(L" 13800138000 ");
    EXPECT_TRUE(WaitUntil([&] { return EditText(edits[0]) == L" 13800138000 "; }, 3000))
        << testing::PrintToString(EditText(edits[0]));
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return KeyboardFocusOf(login) == edits[1]; }, 3000))
        << "Tab did not move to the code: focus " << KeyboardFocusOf(login) << " mobile " << edits[0] << " code "
        << edits[1] << " login " << login << " foreground " << GetForegroundWindow();
    PressKey(VK_TAB);
    PressKey(VK_SPACE);
    std::string code;
    ASSERT_TRUE(WaitUntil([&] { return ServiceControl("last-sms?phone=13800138000", &code); }, 10000))
        << "Space on the code button asked for no code";
    PressKey(VK_TAB, true);
    ASSERT_TRUE(WaitUntil([&] { return KeyboardFocusOf(login) == edits[1]; }, 3000));
    TypeKeys(std::wstring(code.begin(), code.end()));
    PressKey(VK_RETURN);

    // No invoicing program runs: the notice comes, and Enter answers it.
    HWND box = WaitHost(app.Pid(), kMessageBox, 30000);
    ASSERT_NE(box, nullptr) << "the login did not go through";
    EXPECT_EQ(inst.ProfileValue(L"User", L"Id"), L"10000001");
    ASSERT_TRUE(WaitKeyboard(box, 5000));
    PressKey(VK_RETURN);
    HWND main = WaitHost(app.Pid(), kMain, 10000);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitKeyboard(main, 5000));
    TypeKeys(L"abc");
    EXPECT_TRUE(WaitUntil([&] { return SearchText(app.Pid(), main) == L"abc"; }, 5000))
        << testing::PrintToString(SearchText(app.Pid(), main));
    const std::string requests = TakeServiceRequests();
    EXPECT_TRUE(Logged(requests, "POST /Invoice_loginbyverify body=phone=13800138000&code=" + code)) << requests;
}
