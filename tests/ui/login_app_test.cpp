// The real Moravel.exe with no stored user, against the substitute service: the
// merchant types the number, asks for the code, types the SMS code and logs in; the
// main window follows in the same process.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "servicefixture.h"
#include "tempdir.h"

namespace {

// ctest hands over host paths; under Wine drive Z: is the host's root.
std::wstring FromHostPath(const wchar_t* variable)
{
    wchar_t buf[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(variable, buf, MAX_PATH);
    std::wstring path(buf, n < MAX_PATH ? n : 0);
    if (!path.empty() && path[0] == L'/') {
        std::replace(path.begin(), path.end(), L'/', L'\\');
        path = L"Z:" + path;
    }
    return path;
}

// A started process, ended by its handle when the holder goes.
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
    bool Running() const { return WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT; }

private:
    PROCESS_INFORMATION m_pi = {};
};

struct TopWindows {
    DWORD pid;
    const wchar_t* className;
    std::vector<HWND> found;
};

std::vector<HWND> VisibleTopWindows(DWORD pid, const wchar_t* className)
{
    TopWindows args = {pid, className, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* a = reinterpret_cast<TopWindows*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            wchar_t cls[64] = {};
            GetClassNameW(hwnd, cls, 64);
            if (owner == a->pid && IsWindowVisible(hwnd) && _wcsicmp(cls, a->className) == 0)
                a->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&args));
    return args.found;
}

SIZE WindowSize(HWND hwnd)
{
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

// The process's host window of the given size, waiting up to `ms`.
HWND WaitForHost(DWORD pid, SIZE size, DWORD ms)
{
    for (DWORD waited = 0; waited < ms; waited += 100) {
        for (HWND hwnd : VisibleTopWindows(pid, L"SOUIHOST")) {
            SIZE s = WindowSize(hwnd);
            if (s.cx == size.cx && s.cy == size.cy)
                return hwnd;
        }
        Sleep(100);
    }
    return nullptr;
}

POINT Centre(HWND hwnd)
{
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// A left click at a screen point of the host window, as the mouse would send it.
void ClickAt(HWND host, POINT screen)
{
    ScreenToClient(host, &screen);
    const LPARAM at = MAKELPARAM(screen.x, screen.y);
    PostMessageW(host, WM_MOUSEMOVE, 0, at);
    PostMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(host, WM_LBUTTONUP, 0, at);
}

}  // namespace

TEST(login_app, sms_login_stores_the_user_and_opens_the_main_window)
{
    ASSERT_TRUE(UseFixtureService());
    ASSERT_TRUE(ServiceControl("reset"));
    const std::wstring exe = FromHostPath(L"MORAVEL_EXE");
    const std::wstring exeDir = exe.substr(0, exe.rfind(L'\\'));

    // bin\Moravel.exe with its plug-ins; the working folder "Moravel" beside "bin".
    ScopedWorkDir root;
    const std::wstring bin = root.File(L"bin"), work = root.File(L"Moravel");
    ASSERT_TRUE(CreateDirectoryW(bin.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr));
    for (const wchar_t* file : {L"Moravel.exe", L"render-gdid.dll", L"imgdecoder-gdipd.dll"})
        ASSERT_TRUE(CopyFileW((exeDir + L"\\" + file).c_str(), (bin + L"\\" + file).c_str(), FALSE));

    Child app(bin + L"\\Moravel.exe", bin);
    ASSERT_TRUE(app.Started());
    HWND login = WaitForHost(app.Pid(), SIZE{500, 338}, 30000);
    ASSERT_NE(login, nullptr) << "no login window";

    // The two edits are native pop-ups over the layered window, the number's above the code's.
    std::vector<HWND> edits;
    for (int i = 0; i < 50 && edits.size() < 2; ++i, Sleep(100))
        edits = VisibleTopWindows(app.Pid(), L"Edit");
    ASSERT_EQ(edits.size(), 2u);
    std::sort(edits.begin(), edits.end(), [](HWND a, HWND b) { return Centre(a).y < Centre(b).y; });
    const POINT mobile = Centre(edits[0]), vcode = Centre(edits[1]);

    SendMessageW(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"13800138000"));
    // The fetch button sits right of the code edit (its centre 164 px further), the
    // login button 180 px below the number edit.
    ClickAt(login, POINT{vcode.x + 164, vcode.y});
    std::string code;
    for (int i = 0; i < 100 && !ServiceControl("last-sms?phone=13800138000", &code); ++i)
        Sleep(100);
    ASSERT_FALSE(code.empty()) << "no code was requested";

    SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::wstring(code.begin(), code.end()).c_str()));
    ClickAt(login, POINT{mobile.x, mobile.y + 180});

    // The main window may first warn that no invoicing program runs; that box is
    // answered here (closed), as the merchant would.
    HWND mainWnd = nullptr;
    for (int i = 0; i < 300 && !mainWnd; ++i) {
        mainWnd = WaitForHost(app.Pid(), SIZE{462, 730}, 100);
        for (HWND box : VisibleTopWindows(app.Pid(), L"SOUIHOST"))
            if (box != login && WindowSize(box).cx != 462)
                PostMessageW(box, WM_CLOSE, 0, 0);
        for (HWND box : VisibleTopWindows(app.Pid(), L"#32770"))
            PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    EXPECT_NE(mainWnd, nullptr) << "the main window did not follow";
    EXPECT_TRUE(app.Running());
    EXPECT_FALSE(IsWindow(login));
    const std::string profile = ReadFileBytes(work + L"\\ops.dat");
    EXPECT_NE(profile.find("Id=10000001"), std::string::npos) << profile;
}
