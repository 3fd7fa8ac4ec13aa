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

#include "servicefixture.h"
#include "standinclient.h"
#include "tempdir.h"

namespace {

// The client's connect, send and receive timeouts.
constexpr DWORD kServiceTimeoutMs = 10000;
// The tray menu's "退出" command.
constexpr UINT kMenuExit = 6;

const wchar_t kSellerName[] = L"福州路明信息技术有限公司";
const wchar_t kSellerTax[] = L"91350100M000100Y43";
const wchar_t kSellerKeyNo[] = L"6c756d6f72612d6d65726368616e7431";
const wchar_t kIdentity[] = L"_HT91350100M000100Y43";

std::wstring FromHostPath(const wchar_t* variable)
{
    wchar_t buf[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(variable, buf, MAX_PATH);
    std::wstring path(buf, n < MAX_PATH ? n : 0);
    if (!path.empty() && path[0] == L'/') {
        for (wchar_t& c : path)
            if (c == L'/')
                c = L'\\';
        path = L"Z:" + path;
    }
    return path;
}

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

// A started process; ended by its handle when the holder goes.
class Child {
public:
    Child(const std::wstring& exe, const std::wstring& startDir)
    {
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        std::wstring cmd = L"\"" + exe + L"\"";
        if (CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, startDir.c_str(), &si,
                           &m_pi)) {
            CloseHandle(m_pi.hThread);
            m_pi.hThread = nullptr;
        }
    }
    ~Child()
    {
        if (m_pi.hProcess) {
            TerminateProcess(m_pi.hProcess, 1);
            WaitForSingleObject(m_pi.hProcess, 10000);
            CloseHandle(m_pi.hProcess);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return m_pi.hProcess != nullptr; }
    DWORD Pid() const { return m_pi.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it has not ended within the wait.
    DWORD WaitExit(DWORD ms) const
    {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0)
            GetExitCodeProcess(m_pi.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_pi = {};
};

std::wstring WindowText(HWND hwnd)
{
    wchar_t buf[256] = {};
    GetWindowTextW(hwnd, buf, 256);
    return buf;
}

struct WindowsOf {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM lp)
{
    auto* args = reinterpret_cast<WindowsOf*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == args->pid && IsWindowVisible(hwnd))
        args->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> VisibleWindows(DWORD pid)
{
    WindowsOf args = {pid, {}};
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&args));
    return args.found;
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
    for (HWND wnd : VisibleWindows(pid)) {
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

std::wstring ReadValue(const std::wstring& file, const std::wstring& section, const std::wstring& key)
{
    wchar_t buf[512] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buf, 512, file.c_str());
    return buf;
}

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

// bin\Moravel.exe with its plug-ins and the working folder Moravel\ beside bin\ holding ops.dat.
class Installation {
public:
    explicit Installation(Profile profile)
    {
        std::wstring exe = FromHostPath(L"MORAVEL_EXE");
        std::wstring from = exe.substr(0, exe.rfind(L'\\'));
        std::wstring bin = m_root.File(L"bin");
        CreateDirectoryW(bin.c_str(), nullptr);
        CreateDirectoryW(m_root.File(L"Moravel").c_str(), nullptr);
        m_exe = bin + L"\\Moravel.exe";
        m_ok = CopyFileW(exe.c_str(), m_exe.c_str(), FALSE) != FALSE;
        for (const wchar_t* plugin : {L"render-gdid.dll", L"imgdecoder-gdipd.dll"})
            m_ok = m_ok && CopyFileW((from + L"\\" + plugin).c_str(), (bin + L"\\" + plugin).c_str(), FALSE);
        m_profile = m_root.File(L"Moravel\\ops.dat");
        m_ok = m_ok && WriteFileBytes(m_profile, ProfileBytes(profile));
        if (profile == Profile::ReadOnly)
            m_ok = m_ok && SetFileAttributesW(m_profile.c_str(), FILE_ATTRIBUTE_READONLY);
        SetEnvironmentVariableW(L"MORAVEL_DEBUG_LOG", m_root.File(L"debug.log").c_str());
    }
    ~Installation()
    {
        SetEnvironmentVariableW(L"MORAVEL_DEBUG_LOG", nullptr);
        SetFileAttributesW(m_profile.c_str(), FILE_ATTRIBUTE_NORMAL);  // or the folder cannot go
    }
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    bool Ok() const { return m_ok; }
    const std::wstring& Exe() const { return m_exe; }
    std::wstring BinDir() const { return m_root.File(L"bin"); }
    const std::wstring& ProfilePath() const { return m_profile; }

    std::vector<ProfileValue> ReadProfile() const
    {
        std::vector<ProfileValue> values = {
            {L"User", L"Id", {}}, {L"Com", L"Id", {}}, {L"Com_HT91350100M000100Y43", L"CN", {}},
            {L"Com_HT91350100M000100Y43", L"TC", {}}, {L"Com_HT91350100M000100Y43", L"KN", {}}};
        for (ProfileValue& v : values)
            v.value = ReadValue(m_profile, v.section, v.key);
        return values;
    }

private:
    ScopedWorkDir m_root;
    std::wstring m_exe, m_profile;
    bool m_ok = false;
};

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
    Installation inst(c.profile);
    if (!inst.Ok()) {
        out.note = "installation failed";
        out.crashed = true;
        return out;
    }
    const std::vector<ProfileValue> before = inst.ReadProfile();

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
    Child app(inst.Exe(), inst.BinDir());
    if (c.trouble == Trouble::DeadPort)
        UseFixtureService();
    if (!app.Started()) {
        out.note = "did not start";
        out.crashed = true;
        return out;
    }

    HWND main = nullptr;
    for (int i = 0; i < 400 && !main; ++i) {
        for (HWND wnd : VisibleWindows(app.Pid()))
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

    const std::vector<ProfileValue> after = inst.ReadProfile();
    for (size_t i = 0; i < before.size(); ++i)
        if (!before[i].value.empty() && after[i].value != before[i].value) {
            out.profileLost = true;
            out.note += " lost " + Narrow(before[i].section) + "/" + Narrow(before[i].key);
        }
    if (c.profile == Profile::ReadOnly &&
        !(GetFileAttributesW(inst.ProfilePath().c_str()) & FILE_ATTRIBUTE_READONLY)) {
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
