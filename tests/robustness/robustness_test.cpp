// The real Moravel.exe, with a stored user and company, against every way its
// surroundings can fail: the service (dead, silent, wrong answers), the invoicing
// program (gone, hung) and its own profile (garbage, huge, read-only). Per case it
// must stay alive, keep answering its window messages, keep quiet (these failures
// show no message) and keep every profile value it started with.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "appinstance.h"
#include "servicefixture.h"
#include "standinclient.h"
#include "topwindows.h"

namespace {

// The client's connect, send and receive timeouts.
constexpr DWORD kServiceTimeoutMs = 10000;
// The tray menu's "退出" command.
constexpr UINT kMenuExit = 6;

const wchar_t kSellerName[] = L"福州路明信息技术有限公司";
const wchar_t kSellerTax[] = L"91350100M000100Y43";
const wchar_t kSellerKeyNo[] = L"6c756d6f72612d6d65726368616e7431";
const wchar_t kIdentity[] = L"_HT91350100M000100Y43";

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

// A port nothing listens on: bound by us a moment ago, then let go.
std::wstring DeadServiceUrl()
{
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return L"";
    std::wstring url;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) {
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int len = sizeof addr;
        if (bind(s, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
            getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            url = L"http://127.0.0.1:" + std::to_wstring(ntohs(addr.sin_port)) + L"/";
        closesocket(s);
    }
    WSACleanup();
    return url;
}

bool IsMainWindow(HWND hwnd)
{
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    return wcscmp(cls, L"SOUIHOST") == 0 && rc.bottom - rc.top == 730 && WindowText(hwnd) == L"Lumora开票助手";
}

// The engine hosts each edit as a native EDIT pop-up owned by the host window.
bool IsPartOfMainWindow(HWND hwnd)
{
    HWND owner = GetWindow(hwnd, GW_OWNER);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    return owner && IsMainWindow(owner) && _wcsicmp(cls, L"Edit") == 0;
}

// Every window of the process but the main one is a message the case did not expect:
// noted by its title and closed, so no modal loop outlives the case.
void CloseOtherWindows(DWORD pid, HWND main, std::vector<std::wstring>& shown)
{
    for (HWND wnd : TopWindows(pid, L"")) {
        if (wnd == main || IsMainWindow(wnd) || IsPartOfMainWindow(wnd))
            continue;
        std::wstring title = WindowText(wnd);
        if (shown.empty() || shown.back() != title)
            shown.push_back(title);
        PostMessageW(wnd, WM_CLOSE, 0, 0);
    }
}

struct ProfileValue {
    const wchar_t* section;
    const wchar_t* key;
    std::wstring value;
};

enum class Profile { Complete, WithoutKeyNo, GarbageAround, Huge, ReadOnly };

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
        return ProfileText(true);
    case Profile::WithoutKeyNo:
    case Profile::ReadOnly:
        return ProfileText(false);
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
    }
    return "";
}

// The installation's ops.dat written as `kind` asks; false when it could not be.
bool WriteProfile(const AppInstallation& inst, Profile kind)
{
    const std::wstring path = inst.Profile();
    return WriteFileBytes(path, ProfileBytes(kind)) &&
           (kind != Profile::ReadOnly || SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
}

// The values the program must keep, as the installation's ops.dat holds them now.
std::vector<ProfileValue> ReadProfile(const AppInstallation& inst)
{
    std::vector<ProfileValue> values = {
        {L"User", L"Id", {}}, {L"Com", L"Id", {}}, {L"Com_HT91350100M000100Y43", L"CN", {}},
        {L"Com_HT91350100M000100Y43", L"TC", {}}, {L"Com_HT91350100M000100Y43", L"KN", {}}};
    for (ProfileValue& v : values)
        v.value = inst.ProfileValue(v.section, v.key);
    return values;
}

enum class Trouble { Service, DeadPort, SilentAfterStart, InvoicingVanishes, InvoicingHangs };

struct Case {
    const char* name;
    Trouble trouble;
    const char* fault;  // service control command in force for the case; nullptr: normal service
    Profile profile;
    DWORD observeMs;
};

struct Outcome {
    bool crashed = false;
    bool hung = false;
    bool profileLost = false;
    DWORD longestMs = 0;  // the slowest answer of the main window to WM_NULL
    std::vector<std::wstring> shown;
    std::string note;
};

// A request that times out blocks the one UI thread for up to the timeout; once it
// has, the window must answer within a second.
constexpr DWORD kAnswerLimitMs = kServiceTimeoutMs + 1000;

Outcome RunCase(const Case& c)
{
    Outcome out;
    ServiceControl("reset");
    AppInstallation inst;
    inst.KeepDebugLog();
    if (!inst.Ok() || !WriteProfile(inst, c.profile)) {
        out.note = "installation failed";
        out.crashed = true;
        return out;
    }
    const std::vector<ProfileValue> before = ReadProfile(inst);

    // The profile names the stand-in's seller, so with a complete profile it is only
    // looked at for being there; without the key number every tick reads its fields.
    std::unique_ptr<StandInProcess> standIn = StandInProcess::Start(
        L"Aisino.Framework.Startup.exe",
        std::wstring(L"--variant ht --seller-name ") + kSellerName + L" --seller-tax " + kSellerTax, L"");
    if (!standIn) {
        out.note = "stand-in did not start";
        out.crashed = true;
        return out;
    }
    if (c.fault && c.trouble != Trouble::SilentAfterStart)
        ServiceControl(c.fault);
    if (c.trouble == Trouble::DeadPort)
        SetEnvironmentVariableW(L"MORAVEL_SERVICE_URL", DeadServiceUrl().c_str());
    AppProcess app(inst.Exe(), inst.Bin());
    if (c.trouble == Trouble::DeadPort)
        UseFixtureService();
    if (!app.Started()) {
        out.note = "did not start";
        out.crashed = true;
        return out;
    }

    HWND main = nullptr;
    for (int i = 0; i < 400 && !main; ++i) {
        for (HWND wnd : TopWindows(app.Pid(), L""))
            if (IsMainWindow(wnd))
                main = wnd;
        if (!main)
            CloseOtherWindows(app.Pid(), nullptr, out.shown);
        if (app.WaitExit(main ? 0 : 100) != STILL_ACTIVE)
            break;
    }
    if (!main) {
        out.crashed = app.WaitExit(0) != STILL_ACTIVE;
        out.hung = !out.crashed;
        out.note = "no main window";
        return out;
    }
    if (c.trouble == Trouble::SilentAfterStart)
        ServiceControl(c.fault);

    const DWORD start = GetTickCount();
    bool troubleDone = false;
    while (GetTickCount() - start < c.observeMs) {
        const DWORD now = GetTickCount() - start;
        if (!troubleDone && c.trouble == Trouble::InvoicingVanishes && now > c.observeMs / 2) {
            standIn.reset();
            troubleDone = true;
        }
        if (!troubleDone && c.trouble == Trouble::InvoicingHangs && now > 1000) {
            standIn->Hang(c.observeMs / 2);
            troubleDone = true;
        }
        const DWORD sent = GetTickCount();
        DWORD_PTR result = 0;
        const bool answered =
            SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &result) != 0;
        out.longestMs = std::max<DWORD>(out.longestMs, GetTickCount() - sent);
        if (app.WaitExit(0) != STILL_ACTIVE) {
            out.crashed = true;
            out.note = "ended by itself";
            break;
        }
        if (!answered) {
            out.hung = true;
            out.note = "no answer within " + std::to_string(kAnswerLimitMs) + " ms";
            break;
        }
        CloseOtherWindows(app.Pid(), main, out.shown);
        Sleep(100);
    }

    // Ended as the merchant ends it: the tray menu's "退出".
    ServiceControl("reset");
    if (!out.crashed) {
        PostMessageW(main, WM_COMMAND, kMenuExit, 0);
        const DWORD code = app.WaitExit(kAnswerLimitMs + 5000);
        if (code == STILL_ACTIVE) {
            out.hung = true;
            out.note += " did not end on exit";
        } else if (code >= 0xC0000000u) {
            out.crashed = true;
            char buf[32];
            std::snprintf(buf, sizeof buf, " exit code 0x%08lX", static_cast<unsigned long>(code));
            out.note += buf;
        }
    }
    standIn.reset();

    const std::vector<ProfileValue> after = ReadProfile(inst);
    for (size_t i = 0; i < before.size(); ++i)
        if (!before[i].value.empty() && after[i].value != before[i].value) {
            out.profileLost = true;
            out.note += " lost " + Narrow(before[i].section) + "/" + Narrow(before[i].key);
        }
    if (c.profile == Profile::ReadOnly &&
        !(GetFileAttributesW(inst.Profile().c_str()) & FILE_ATTRIBUTE_READONLY)) {
        out.profileLost = true;
        out.note += " read-only attribute gone";
    }
    return out;
}

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

}  // namespace

TEST(robustness, every_fault_leaves_the_program_alive_answering_and_its_profile_whole)
{
    ASSERT_TRUE(UseFixtureService()) << "no service fixture";
    // The merchant's company stays incomplete without its key number, so every tick
    // walks the issuing window: the invoicing cases need that.
    const char* noKeyNo = "fault?mode=404&only=Invoice_getCompanyKeyno";
    const Case cases[] = {
        // the service: gone, silent (beyond the client's timeouts), or answering nonsense
        {"dead port", Trouble::DeadPort, nullptr, Profile::Complete, 5000},
        {"silent server", Trouble::SilentAfterStart, "fault?mode=slow&seconds=15", Profile::Complete, 24000},
        {"404", Trouble::Service, "fault?mode=404", Profile::Complete, 5000},
        {"500", Trouble::Service, "fault?mode=500", Profile::Complete, 5000},
        {"non-JSON", Trouble::Service, "fault?mode=nonjson", Profile::Complete, 5000},
        {"wrong types", Trouble::Service, "fault?mode=wrongtypes", Profile::Complete, 5000},
        {"wrong field types", Trouble::Service, "fault?mode=wrongtypes&kind=fields", Profile::Complete, 5000},
        {"empty data", Trouble::Service, "fault?mode=emptydata", Profile::Complete, 5000},
        {"endless body", Trouble::Service, "fault?mode=endless", Profile::Complete, 8000},
        {"dropped connection", Trouble::Service, "fault?mode=drop", Profile::Complete, 5000},
        // the invoicing program between two reads of its window tree
        {"invoicing program vanishes", Trouble::InvoicingVanishes, noKeyNo, Profile::WithoutKeyNo, 8000},
        {"invoicing window hangs", Trouble::InvoicingHangs, noKeyNo, Profile::WithoutKeyNo, 12000},
        // its own profile
        {"ops.dat garbage around", Trouble::Service, nullptr, Profile::GarbageAround, 5000},
        {"ops.dat 16 MiB", Trouble::Service, nullptr, Profile::Huge, 5000},
        {"ops.dat read-only", Trouble::Service, nullptr, Profile::ReadOnly, 5000},
    };

    int crashes = 0, hangs = 0, losses = 0, tried = 0;
    std::string table = "\ncase                          crash hang lost  slowest-answer  windows shown / note\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome out = RunCase(c);
        ++tried;
        crashes += out.crashed;
        hangs += out.hung;
        losses += out.profileLost;
        std::string shown;
        for (const std::wstring& title : out.shown)
            shown += "\"" + Utf8(title) + "\" ";
        // These failures are silent towards the merchant: no window but the main one.
        EXPECT_TRUE(out.shown.empty()) << "shown: " << shown;
        char row[160];
        std::snprintf(row, sizeof row, "%-30s %-5s %-4s %-5s %8lu ms     ", c.name, out.crashed ? "YES" : "-",
                      out.hung ? "YES" : "-", out.profileLost ? "YES" : "-",
                      static_cast<unsigned long>(out.longestMs));
        table += row + shown + out.note + "\n";
    }
    char totals[160];
    std::snprintf(totals, sizeof totals, "cases tried: %d   crashes: %d   hangs: %d   profile losses: %d\n", tried,
                  crashes, hangs, losses);
    table += totals;
    std::printf("%s", table.c_str());
    std::fflush(stdout);
    EXPECT_EQ(crashes, 0);
    EXPECT_EQ(hangs, 0);
    EXPECT_EQ(losses, 0);
}
