// The real Moravel.exe against every way its surroundings can fail, one fresh
// installation per case: the service (errors, silence, and hostile mutations of
// valid answers from a fixed seed) in each flow it reaches, the invoicing program
// (gone, hung, slow, wrong tree), its own profile (garbage, huge, read-only, locked,
// UTF-16) and a working folder it cannot write. Per case it must stay alive, answer
// its window messages within the bound that applies, keep every profile value it
// started with, and write nothing into the invoicing program from an answer that
// could not be read whole. A case whose flow did not run (nothing to drive, or the
// faulty endpoint never asked) fails: its other checks would hold trivially. The
// table is printed.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "appinstance.h"
#include "driver.h"
#include "servicefixture.h"
#include "standinclient.h"
#include "topwindows.h"

namespace {

// Bounds on the longest unanswered WM_NULL. A service that answers, however badly,
// is read at once; a silent one blocks the one UI thread for the client's 10 s
// timeout; a hung invoicing program for one fill write (6 s) or seller read (2 s).
// Each gets a second for the rest of the tick.
constexpr DWORD kPromptMs = 3000;
constexpr DWORD kServiceTimeoutMs = 10000 + 1000;
constexpr DWORD kFillWriteMs = 6000 + 1000;
// The tray menu's "退出" command.
constexpr UINT kMenuExit = 6;

const SIZE kMain = {462, 730}, kLogin = {500, 338}, kInput = {550, 320}, kCard = {750, 320};
const POINT kMainBizcard = {80, 698}, kMainFirstHistoryImport = {404, 149};
const POINT kLoginFetchCode = {371, 199}, kLoginButton = {256, 289};

const wchar_t kSellerName[] = L"福州路明信息技术有限公司";
const wchar_t kSellerTax[] = L"91350100M000100Y43";
const wchar_t kSellerKeyNo[] = L"6c756d6f72612d6d65726368616e7431";
const wchar_t kIdentity[] = L"_HT91350100M000100Y43";
// The first hit for "abc", the only buyer text a search import may write when the
// company's own answer is unreadable.
const wchar_t kFirstHit[] = L"上海ABC国际贸易有限公司";

std::string ToGbk(const std::wstring& text)
{
    int n = WideCharToMultiByte(936, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(936, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::string Narrow(const std::wstring& ascii)
{
    return std::string(ascii.begin(), ascii.end());
}

enum class Profile { Complete, WithoutKeyNo, NoUser, GarbageAround, Huge, ReadOnly, Locked, Utf16 };

std::string ProfileText(bool withKeyNo)
{
    std::string text = "[User]\r\nId=10000001\r\n[Com]\r\nId=" + Narrow(kIdentity) + "\r\n[Com" + Narrow(kIdentity) +
                       "]\r\nCN=" + ToGbk(kSellerName) + "\r\nTC=" + Narrow(kSellerTax) + "\r\n";
    if (withKeyNo)
        text += "KN=" + Narrow(kSellerKeyNo) + "\r\n";
    return text;
}

std::string GarbageBytes(size_t n, unsigned seed)
{
    std::string bytes(n, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
        if (c == '[' || c == '\n' || c == '\r')  // no accidental section or line that hides ours
            c = '\x80';
    }
    return bytes;
}

std::string ProfileBytes(Profile kind)
{
    switch (kind) {
    case Profile::Complete:
    case Profile::Locked:
        return ProfileText(true);
    case Profile::WithoutKeyNo:
    case Profile::ReadOnly:
        return ProfileText(false);
    case Profile::NoUser:
        return "";
    case Profile::GarbageAround:
        return GarbageBytes(700, 7) + "\r\n" + ProfileText(true) + GarbageBytes(700, 9);
    case Profile::Huge: {
        // 16 MiB of lines after the real sections, in a section of their own.
        std::string text = ProfileText(true) + "[Padding]\r\n";
        const std::string line = "k=" + std::string(1020, 'x') + "\r\n";
        while (text.size() < (16u << 20))
            text += line;
        return text;
    }
    case Profile::Utf16: {
        const std::string gbk = ProfileText(true);
        std::wstring wide(gbk.size(), L'\0');
        wide.resize(MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), &wide[0],
                                        static_cast<int>(wide.size())));
        std::string bytes = "\xFF\xFE";
        bytes.append(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
        return bytes;
    }
    }
    return "";
}

struct ProfileValue {
    const wchar_t* section;
    const wchar_t* key;
    std::wstring value;
};

std::vector<ProfileValue> ReadProfile(const AppInstallation& inst)
{
    std::vector<ProfileValue> values = {{L"User", L"Id", {}},
                                        {L"Com", L"Id", {}},
                                        {L"Com_HT91350100M000100Y43", L"CN", {}},
                                        {L"Com_HT91350100M000100Y43", L"TC", {}},
                                        {L"Com_HT91350100M000100Y43", L"KN", {}}};
    for (ProfileValue& v : values)
        v.value = inst.ProfileValue(v.section, v.key);
    return values;
}

// What the merchant (or the world) does once the program is up.
enum class Drive { Idle, Search, SearchImport, HistoryImport, Login, Bizcard };
// The invoicing program's part.
enum class Invoicing { Normal, Vanishes, Hangs, SlowDuringImport, WrongTree };
// Buyer-field writes the case allows: none, the search hit's own name (its company
// answer was unreadable), or whatever a readable answer gives.
enum class Writes { None, HitOnly, Any };
// A working folder where the card's pictures or the installer cannot be written.
enum class Folder { Normal, CardUnwritable, InstallerUnwritable };

struct Case {
    const char* name;
    std::string fault;  // service control command in force for the case; "" normal
    Drive drive = Drive::Idle;
    Profile profile = Profile::Complete;
    DWORD boundMs = kPromptMs;
    Writes writes = Writes::Any;
    bool silent = true;  // the merchant sees no window but the main one
    Invoicing invoicing = Invoicing::Normal;
    Folder folder = Folder::Normal;
    const char* version = nullptr;  // the service publishes this version (an upgrade)
    bool faultAfterStart = false;   // the fault is switched on once the window is up
    DWORD observeMs = 2000;
};

struct Outcome {
    bool crashed = false;
    bool hung = false;
    bool profileLost = false;
    bool badWrite = false;
    bool notRun = false;  // the flow was not driven or the fault never met
    DWORD longestMs = 0;
    std::vector<std::wstring> shown;
    std::string note;
};

bool IsAppWindow(HWND hwnd)
{
    const SIZE size = WindowSize(hwnd);
    return ClassIs(hwnd, L"SOUIHOST") && WindowText(hwnd) == L"Lumora开票助手" &&
           ((size.cx == kMain.cx && size.cy == kMain.cy) || (size.cx == kLogin.cx && size.cy == kLogin.cy));
}

bool IsShownWindow(HWND hwnd)
{
    const SIZE size = WindowSize(hwnd);
    auto is = [&](SIZE s) { return size.cx == s.cx && size.cy == s.cy; };
    return ClassIs(hwnd, L"#32770") || is(kMessageBox) || is(kCard) || is(kInput);
}

// Every message, dialog or card is noted by its title and closed, so no modal loop
// outlives the case; the search pop-up and the edits stay.
void CloseShownWindows(DWORD pid, std::vector<std::wstring>& shown)
{
    for (HWND wnd : TopWindows(pid, L"")) {
        if (IsAppWindow(wnd) || !IsShownWindow(wnd))
            continue;
        std::wstring title = WindowText(wnd);
        if (std::find(shown.begin(), shown.end(), title) == shown.end())
            shown.push_back(title);
        PostMessageW(wnd, WM_CLOSE, 0, 0);
    }
}

void PostText(HWND edit, const std::wstring& text)
{
    for (wchar_t c : text)
        PostMessageW(edit, WM_CHAR, c, 1);
}

HWND SearchPopup(DWORD pid, HWND main)
{
    for (HWND wnd : TopWindows(pid, L"SOUIHOST"))
        if (wnd != main && !IsAppWindow(wnd) && !IsShownWindow(wnd))
            return wnd;
    return nullptr;
}

class Observer {
public:
    Observer(const AppProcess& app, HWND window, DWORD boundMs, Outcome& out)
        : m_app(app), m_window(window), m_bound(boundMs), m_out(out)
    {}
    // Sends WM_NULL every 100 ms for `ms` (or until `until` holds), closing what
    // comes up; false once the program ended or stopped answering.
    bool Watch(DWORD ms, const std::function<bool()>& until = nullptr)
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            const DWORD sent = GetTickCount();
            DWORD_PTR result = 0;
            const bool answered =
                SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_NORMAL, m_bound + 2000, &result) != 0;
            m_out.longestMs = std::max<DWORD>(m_out.longestMs, GetTickCount() - sent);
            if (m_app.WaitExit(0) != STILL_ACTIVE) {
                m_out.crashed = true;
                m_out.note += "ended by itself; ";
                return false;
            }
            if (!answered) {
                m_out.hung = true;
                m_out.note += "no answer; ";
                return false;
            }
            CloseShownWindows(m_app.Pid(), m_out.shown);
            if (until && until())
                return true;
            Sleep(100);
        }
        return true;
    }

private:
    const AppProcess& m_app;
    HWND m_window;
    DWORD m_bound;
    Outcome& m_out;
};

// The endpoint a fault is limited to ("only=..."); empty for a fault on every endpoint.
std::string FaultEndpoint(const std::string& fault)
{
    const size_t at = fault.find("only=");
    return at == std::string::npos ? std::string() : fault.substr(at + 5, fault.find('&', at) - at - 5);
}

// Whether a request the service logged ("METHOD TARGET ...") went to `endpoint`, or to
// any endpoint where `endpoint` is empty.
bool Requested(const std::string& log, const std::string& endpoint)
{
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        const std::string line = log.substr(start, end - start);
        start = end + 1;
        const size_t space = line.find(' ');
        if (space == std::string::npos)
            continue;
        const std::string target = line.substr(space + 1, line.find_first_of(" ?", space + 1) - space - 1);
        if (endpoint.empty() ? !target.empty() : target == "/" + endpoint)
            return true;
    }
    return false;
}

Outcome RunCase(const Case& c)
{
    Outcome out;
    ServiceControl("reset");
    TakeServiceRequests();
    ServiceControl(std::string("version?no=") + (c.version ? c.version : "1.1") +
                   "&force=0&installer=MoravelUpgrade_1.1.exe");
    AppInstallation inst;
    if (!inst.Ok() || !WriteFileBytes(inst.Profile(), ProfileBytes(c.profile)) ||
        (c.profile == Profile::ReadOnly && !SetFileAttributesW(inst.Profile().c_str(), FILE_ATTRIBUTE_READONLY))) {
        out.note = "installation failed";
        out.crashed = true;
        return out;
    }
    if (c.profile == Profile::NoUser)
        DeleteFileW(inst.Profile().c_str());
    const std::vector<ProfileValue> before = ReadProfile(inst);
    // Directories where the program would write its files.
    if (c.folder == Folder::CardUnwritable)
        for (const wchar_t* ext : {L".bmp", L".png"})
            CreateDirectoryW((inst.WorkingDir() + L"\\qr_" + kSellerKeyNo + ext).c_str(), nullptr);
    if (c.folder == Folder::InstallerUnwritable)
        CreateDirectoryW((inst.WorkingDir() + L"\\MoravelUpgrade_" +
                          std::wstring(c.version, c.version + strlen(c.version)) + L".exe")
                             .c_str(),
                         nullptr);
    KernelHandle lock;
    if (c.profile == Profile::Locked)
        lock = KernelHandle(CreateFileW(inst.Profile().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));

    std::wstring flags = std::wstring(L"--seller-name ") + kSellerName + L" --seller-tax " + kSellerTax;
    if (c.invoicing == Invoicing::WrongTree)
        flags += L" --no-anchor";
    // The stand-in is scenery, not the program under test: a second try before giving up.
    std::wstring why;
    std::unique_ptr<StandInProcess> standIn =
        StandInProcess::Start(L"Aisino.Framework.Startup.exe", flags, inst.File(L"fields.log"), &why);
    if (!standIn) {
        std::fprintf(stderr, "stand-in start failed (%s), trying again\n", Utf8(why).c_str());
        standIn = StandInProcess::Start(L"Aisino.Framework.Startup.exe", flags, inst.File(L"fields.log"), &why);
    }
    if (!standIn) {
        out.note = "stand-in did not start: " + Utf8(why);
        out.crashed = true;
        return out;
    }
    if (!c.fault.empty() && !c.faultAfterStart)
        ServiceControl(c.fault);
    AppProcess app(inst.Exe(), inst.Bin());
    if (!app.Started()) {
        out.note = "did not start";
        out.crashed = true;
        return out;
    }

    HWND window = nullptr;
    const bool up = WaitUntil(
        [&] {
            CloseShownWindows(app.Pid(), out.shown);
            for (HWND wnd : TopWindows(app.Pid(), L"SOUIHOST"))
                if (IsAppWindow(wnd))
                    window = wnd;
            return window != nullptr || app.WaitExit(0) != STILL_ACTIVE;
        },
        40000);
    if (!window) {
        out.crashed = app.WaitExit(0) != STILL_ACTIVE;
        out.hung = !out.crashed;
        out.note = up ? "ended before its window" : "no window";
        return out;
    }
    const bool isLogin = WindowSize(window).cy == kLogin.cy;
    if (c.faultAfterStart)
        ServiceControl(c.fault);

    Observer watch(app, window, c.boundMs, out);
    bool alive = watch.Watch(500);
    std::vector<HWND> edits = EditsWithin(app.Pid(), ScreenRect(window));
    if (alive && (c.drive == Drive::Search || c.drive == Drive::SearchImport) && !isLogin && !edits.empty()) {
        PostText(edits.front(), L"abc");
        if (c.drive == Drive::SearchImport) {
            HWND popup = nullptr;
            alive = watch.Watch(8000, [&] { return (popup = SearchPopup(app.Pid(), window)) != nullptr; });
            if (popup) {
                Sleep(300);  // its rows are laid out when it shows
                if (c.invoicing == Invoicing::SlowDuringImport)
                    standIn->Hang(3000);
                if (c.invoicing == Invoicing::Hangs)
                    standIn->Hang(kFillWriteMs + 3000);
                Click(popup, POINT{WindowSize(popup).cx - 47, 24});
            } else {
                out.notRun = true;
                out.note += "no pop-up; ";
            }
        }
    } else if (alive && c.drive == Drive::HistoryImport && !isLogin) {
        alive = watch.Watch(1200);
        Click(window, kMainFirstHistoryImport);
    } else if (alive && c.drive == Drive::Bizcard && !isLogin) {
        Click(window, kMainBizcard);
    } else if (alive && c.drive == Drive::Login && isLogin && edits.size() == 2) {
        PostText(edits[0], L"13800138000");
        Click(window, kLoginFetchCode);
        alive = watch.Watch(1500);
        PostText(edits[1], L"123456");
        Click(window, kLoginButton);
    } else if (c.drive != Drive::Idle) {
        out.notRun = true;
        out.note += "could not drive; ";
    }
    if (alive && c.invoicing == Invoicing::Vanishes) {
        alive = watch.Watch(c.observeMs / 2);
        standIn.reset();
    }
    if (alive && c.invoicing == Invoicing::Hangs && c.drive != Drive::SearchImport) {
        standIn->Hang(c.observeMs / 2);
    }
    if (alive)
        watch.Watch(c.observeMs);
    if (out.longestMs > c.boundMs && !out.hung) {
        out.hung = true;
        out.note += "slower than its bound; ";
    }

    // Ended as the merchant ends it: the tray menu's "退出" (the login window's own close).
    ServiceControl("reset");
    const std::string faulty = FaultEndpoint(c.fault);
    if (!c.fault.empty() && !Requested(TakeServiceRequests(), faulty)) {
        out.notRun = true;
        out.note += "fault never met (" + (faulty.empty() ? std::string("no request") : faulty) + "); ";
    }
    if (!out.crashed) {
        if (standIn)
            standIn->WaitResponsive(15000);
        CloseShownWindows(app.Pid(), out.shown);
        PostMessageW(window, isLogin ? WM_CLOSE : WM_COMMAND, isLogin ? 0 : kMenuExit, 0);
        DWORD code = app.WaitExit(kServiceTimeoutMs + 5000);
        if (code == STILL_ACTIVE) {
            CloseShownWindows(app.Pid(), out.shown);
            code = app.WaitExit(5000);
        }
        if (code == STILL_ACTIVE) {
            out.hung = true;
            out.note += "did not end on exit; ";
        } else if (code >= 0xC0000000u) {
            out.crashed = true;
            char buf[32];
            std::snprintf(buf, sizeof buf, "exit code 0x%08lX; ", static_cast<unsigned long>(code));
            out.note += buf;
        }
    }
    lock.Reset();

    if (standIn && c.writes != Writes::Any) {
        std::set<std::wstring> allowed;
        if (c.writes == Writes::HitOnly)
            allowed = {kFirstHit, L"", L" "};
        for (const auto& write : standIn->TakeLog())
            if (!allowed.count(write.second)) {
                out.badWrite = true;
                out.note += "wrote " + write.first + "=\"" + Utf8(write.second.substr(0, 40)) + "\"; ";
            }
    }
    standIn.reset();

    const std::vector<ProfileValue> after = ReadProfile(inst);
    for (size_t i = 0; i < before.size(); ++i)
        if (!before[i].value.empty() && after[i].value != before[i].value) {
            out.profileLost = true;
            out.note += "lost " + Narrow(before[i].section) + "/" + Narrow(before[i].key) + "; ";
        }
    if (c.profile == Profile::ReadOnly && !(GetFileAttributesW(inst.Profile().c_str()) & FILE_ATTRIBUTE_READONLY)) {
        out.profileLost = true;
        out.note += "read-only attribute gone; ";
    }
    return out;
}

std::string FaultOn(const std::string& mode, const char* endpoint)
{
    return "fault?mode=" + mode + (endpoint ? std::string("&only=") + endpoint : std::string());
}

std::string Mutation(const char* kind, const char* endpoint)
{
    // A fixed seed: the same damaged bytes on every run.
    return FaultOn(std::string("mutate&seed=13&mutation=") + kind, endpoint);
}

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    auto add = [&](Case c) {
        cases.push_back(c);
        return &cases.back();
    };
    const char* mutations[] = {"cut", "flip", "deep", "bignum", "gbklead", "nul", "huge", "dupkeys"};

    // Start-up's flows against every service fault: version check, merchant
    // resolution (key number and company information) and history refresh.
    for (const char* mode : {"404", "500", "nonjson", "wrongtypes", "wrongtypes&kind=fields", "emptydata", "drop"}) {
        Case* c = add({});
        c->name = mode;
        c->fault = FaultOn(mode, nullptr);
        c->profile = Profile::WithoutKeyNo;
    }
    {
        Case* c = add({});
        c->name = "endless body";
        c->fault = FaultOn("endless", nullptr);
        c->boundMs = kServiceTimeoutMs;
        c->observeMs = 6000;
    }
    {
        Case* c = add({});
        c->name = "silent past the timeout";
        c->fault = FaultOn("slow&seconds=15", nullptr);
        c->faultAfterStart = true;
        c->boundMs = kServiceTimeoutMs;
        c->observeMs = 22000;
    }
    for (const char* kind : mutations) {
        Case* c = add({});
        c->name = kind;
        c->fault = Mutation(kind, nullptr);
        c->profile = Profile::WithoutKeyNo;
    }
    // The search: only its answer damaged; whatever pop-up shows is left alone.
    for (const char* kind : mutations) {
        Case* c = add({});
        c->name = kind;
        c->fault = Mutation(kind, "Invoice_getCompanyList");
        c->drive = Drive::Search;
        c->writes = Writes::None;
    }
    // A hit imported while its company answer is unreadable: only its own name goes in.
    for (const char* kind : {"404", "drop", "cut", "deep", "nonjson"}) {
        Case* c = add({});
        c->name = kind;
        c->fault = std::string(kind) == "cut" || std::string(kind) == "deep" ? Mutation(kind, "Invoice_getCompanyInfo")
                                                                             : FaultOn(kind, "Invoice_getCompanyInfo");
        c->drive = Drive::SearchImport;
        c->writes = Writes::HitOnly;
    }
    for (const char* kind : {"bignum", "dupkeys", "huge"}) {
        Case* c = add({});
        c->name = kind;
        c->fault = Mutation(kind, "Invoice_getCompanyInfo");
        c->drive = Drive::SearchImport;
    }
    // History: its list unreadable (no rows, so nothing to import), or the
    // re-import's report failing.
    for (const char* kind : {"cut", "deep"}) {
        Case* c = add({});
        c->name = kind;
        c->fault = Mutation(kind, "Invoice_getFaiaoList");
        c->drive = Drive::HistoryImport;
        c->writes = Writes::None;
    }
    for (const char* mode : {"drop", "500"}) {
        Case* c = add({});
        c->name = mode;
        c->fault = FaultOn(mode, "Invoice_updateFaiaoDate");
        c->drive = Drive::HistoryImport;
    }
    // Login: the code request and the login itself (the failure is told).
    {
        Case* c = add({});
        c->name = "drop";
        c->fault = FaultOn("drop", "Invoice_regmobileCode");
        c->drive = Drive::Login;
        c->profile = Profile::NoUser;
        c->silent = false;
    }
    for (const char* kind : {"cut", "bignum"}) {
        Case* c = add({});
        c->name = kind;
        c->fault = Mutation(kind, "Invoice_loginbyverify");
        c->drive = Drive::Login;
        c->profile = Profile::NoUser;
        c->silent = false;
    }
    // The business card's company information (the card opens regardless).
    for (const char* kind : {"flip", "huge"}) {
        Case* c = add({});
        c->name = kind;
        c->fault = Mutation(kind, "Invoice_getCompanyInfo");
        c->drive = Drive::Bizcard;
        c->silent = false;
    }
    // The version check's answer, and the download behind a new version (its end
    // brings the prompt, which is answered by closing it).
    for (const char* kind : {"cut", "bignum", "dupkeys"}) {
        Case* c = add({});
        c->name = kind;
        c->fault = Mutation(kind, "invoice_getLastestVersion");
        c->version = "9.9";
        c->silent = false;
    }
    for (const char* mode : {"drop", "404", "endless"}) {
        Case* c = add({});
        c->name = mode;
        c->fault = FaultOn(mode, "download/MoravelUpgrade_1.1.exe");
        c->version = "9.9";
        c->silent = false;
        c->boundMs = std::string(mode) == "endless" ? kServiceTimeoutMs : kPromptMs;
    }
    // The invoicing program: gone between two reads, hung or busy during a fill, or
    // showing a window tree without the fill target.
    const std::string noKeyNo = FaultOn("404", "Invoice_getCompanyKeyno");
    {
        Case* c = add({});
        c->name = "vanishes";
        c->fault = noKeyNo;
        c->profile = Profile::WithoutKeyNo;
        c->invoicing = Invoicing::Vanishes;
        c->observeMs = 6000;
    }
    {
        Case* c = add({});
        c->name = "hung while read";
        c->fault = noKeyNo;
        c->profile = Profile::WithoutKeyNo;
        c->invoicing = Invoicing::Hangs;
        c->boundMs = kFillWriteMs;
        c->observeMs = 10000;
    }
    {
        Case* c = add({});
        c->name = "hung during a fill";
        c->drive = Drive::SearchImport;
        c->invoicing = Invoicing::Hangs;
        c->boundMs = kFillWriteMs;
        c->silent = false;  // the merchant is told the buyer block is incomplete
        c->observeMs = 12000;
    }
    {
        Case* c = add({});
        c->name = "slow but alive during a fill";
        c->drive = Drive::SearchImport;
        c->invoicing = Invoicing::SlowDuringImport;
        c->boundMs = kFillWriteMs;
        c->observeMs = 5000;
    }
    {
        Case* c = add({});
        c->name = "wrong tree";
        c->drive = Drive::SearchImport;
        c->invoicing = Invoicing::WrongTree;
        c->writes = Writes::None;
    }
    // Its own profile.
    for (Profile p : {Profile::GarbageAround, Profile::Huge, Profile::ReadOnly, Profile::Locked, Profile::Utf16}) {
        Case* c = add({});
        c->name = p == Profile::GarbageAround ? "garbage around"
                  : p == Profile::Huge        ? "16 MiB"
                  : p == Profile::ReadOnly    ? "read-only"
                  : p == Profile::Locked      ? "locked by another process"
                                              : "UTF-16 with BOM";
        c->profile = p;
        c->silent = p != Profile::Locked;  // unreadable: the login window, which is no message
    }
    // A working folder that takes neither the card's pictures nor the installer.
    {
        Case* c = add({});
        c->name = "card cannot be written";
        c->drive = Drive::Bizcard;
        c->folder = Folder::CardUnwritable;
        c->silent = false;
    }
    {
        Case* c = add({});
        c->name = "installer cannot be written";
        c->version = "9.9";
        c->folder = Folder::InstallerUnwritable;
    }
    return cases;
}

const char* FlowOf(const Case& c)
{
    if (c.folder != Folder::Normal)
        return "folder";
    if (c.profile != Profile::Complete && c.profile != Profile::WithoutKeyNo && c.profile != Profile::NoUser)
        return "ops.dat";
    if (c.invoicing != Invoicing::Normal)
        return "invoicing";
    switch (c.drive) {
    case Drive::Search:
        return "search";
    case Drive::SearchImport:
        return "import";
    case Drive::HistoryImport:
        return "re-import";
    case Drive::Login:
        return "login";
    case Drive::Bizcard:
        return "card";
    case Drive::Idle:
        break;
    }
    if (c.version)
        return "upgrade";
    return "start-up";
}

}  // namespace

TEST(robustness, every_fault_leaves_the_program_alive_answering_its_profile_whole_and_writes_clean)
{
    ASSERT_TRUE(UseFixtureService()) << "no service fixture";
    const std::vector<Case> cases = Cases();
    ASSERT_GE(cases.size(), 40u);

    int crashes = 0, hangs = 0, losses = 0, badWrites = 0, notRun = 0;
    std::string table =
        "\n#  case                                      outcome                   crash hang(ms)/bound  "
        "profile  clean-writes\n";
    int n = 0;
    for (const Case& c : cases) {
        const std::string label = std::string(FlowOf(c)) + ": " + c.name;
        SCOPED_TRACE(label);
        const Outcome out = RunCase(c);
        crashes += out.crashed;
        hangs += out.hung;
        losses += out.profileLost;
        badWrites += out.badWrite;
        notRun += out.notRun;
        std::string shown;
        for (const std::wstring& title : out.shown)
            shown += (shown.empty() ? "told \"" : " \"") + Utf8(title) + "\"";
        if (c.silent) {
            EXPECT_TRUE(out.shown.empty()) << shown;
        }
        std::string outcome = out.crashed     ? "CRASH"
                              : out.hung      ? "HANG"
                              : out.notRun    ? "NOT RUN"
                              : shown.empty() ? "alive, silent"
                                              : shown;
        char row[400];
        std::snprintf(row, sizeof row, "%-2d %-41s %-25s %-5s %6lu/%-6lu %s %-8s %-12s %s\n", ++n, label.c_str(),
                      outcome.c_str(), out.crashed ? "YES" : "-", static_cast<unsigned long>(out.longestMs),
                      static_cast<unsigned long>(c.boundMs), out.hung ? "YES" : "-  ",
                      out.profileLost ? "LOST" : "intact",
                      c.writes == Writes::Any ? "n/a"
                      : out.badWrite          ? "NO"
                                              : "yes",
                      out.note.c_str());
        table += row;
        std::printf("%s", row);
        std::fflush(stdout);
    }
    char totals[200];
    std::snprintf(totals, sizeof totals,
                  "cases: %d   crashes: %d   hangs beyond bound: %d   profile losses: %d   writes from unreadable "
                  "answers: %d   flows not run: %d\n",
                  n, crashes, hangs, losses, badWrites, notRun);
    table += totals;
    std::printf("%s", table.c_str());
    std::fflush(stdout);
    EXPECT_EQ(crashes, 0);
    EXPECT_EQ(hangs, 0);
    EXPECT_EQ(losses, 0);
    EXPECT_EQ(badWrites, 0);
    EXPECT_EQ(notRun, 0);
}
