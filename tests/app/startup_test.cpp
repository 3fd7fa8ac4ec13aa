// The real Moravel.exe, started as the merchant starts it: copied into a fresh
// folder tree, with or without the working folder "Moravel" beside its folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tempdir.h"

namespace {

const wchar_t kRefusal[] = L"已经有一个程序在运行,您不能同时运行两个及以上本程序!！";

// ctest hands over host paths; under Wine drive Z: is the host's root.
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

std::wstring FolderOf(const std::wstring& path)
{
    return path.substr(0, path.rfind(L'\\'));
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

struct FindArgs {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindTop(HWND hwnd, LPARAM lp)
{
    auto* args = reinterpret_cast<FindArgs*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid == args->pid && IsWindowVisible(hwnd) && wcscmp(cls, args->className) == 0) {
        args->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of the class in the process, waiting up to tries × 100 ms.
HWND WaitForWindow(DWORD pid, const wchar_t* className, int tries = 300)
{
    for (int i = 0; i < tries; ++i) {
        FindArgs args = {pid, className, nullptr};
        EnumWindows(FindTop, reinterpret_cast<LPARAM>(&args));
        if (args.found)
            return args.found;
        Sleep(100);
    }
    return nullptr;
}

std::wstring WindowText(HWND hwnd);

// The first program window, answering the notices the main window may show before it
// (no invoicing program runs in these tests): they are dismissed, not mistaken for it.
HWND WaitForProgramWindow(DWORD pid)
{
    for (int i = 0; i < 300; ++i) {
        HWND wnd = WaitForWindow(pid, L"SOUIHOST", 1);
        if (wnd && WindowText(wnd) == L"\u63D0\u793A")
            PostMessageW(wnd, WM_CLOSE, 0, 0);
        else if (wnd)
            return wnd;
        Sleep(100);
    }
    return nullptr;
}

SIZE WindowSize(HWND hwnd)
{
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

const char kUserProfile[] = "[User]\r\nId=merchant-7\r\n";

// bin\Moravel.exe with its plug-ins, a start folder, and the working folder when asked for.
class Installation {
public:
    explicit Installation(bool withWorkingFolder)
    {
        std::wstring exe = FromHostPath(L"MORAVEL_EXE");
        std::wstring bin = m_root.File(L"bin");
        CreateDirectoryW(bin.c_str(), nullptr);
        CreateDirectoryW(StartDir().c_str(), nullptr);
        if (withWorkingFolder)
            CreateDirectoryW(WorkingDir().c_str(), nullptr);
        m_exe = bin + L"\\Moravel.exe";
        m_ok = CopyFileW(exe.c_str(), m_exe.c_str(), FALSE) != FALSE;
        for (const wchar_t* plugin : {L"render-gdid.dll", L"imgdecoder-gdipd.dll"})
            m_ok = m_ok && CopyFileW((FolderOf(exe) + L"\\" + plugin).c_str(), (bin + L"\\" + plugin).c_str(), FALSE);
        m_log = m_root.File(L"debug.log");
        SetEnvironmentVariableW(L"MORAVEL_DEBUG_LOG", m_log.c_str());
    }
    ~Installation() { SetEnvironmentVariableW(L"MORAVEL_DEBUG_LOG", nullptr); }

    bool Ok() const { return m_ok; }
    const std::wstring& Exe() const { return m_exe; }
    std::wstring StartDir() const { return m_root.File(L"start"); }
    std::wstring WorkingDir() const { return m_root.File(L"Moravel"); }
    std::string DebugLog() const { return ReadFileBytes(m_log); }

private:
    ScopedWorkDir m_root;
    std::wstring m_exe, m_log;
    bool m_ok = false;
};

std::wstring WindowText(HWND hwnd)
{
    wchar_t buf[512] = {};
    GetWindowTextW(hwnd, buf, 512);
    return buf;
}

BOOL CALLBACK CollectStaticText(HWND hwnd, LPARAM lp)
{
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (_wcsicmp(cls, L"Static") == 0)
        *reinterpret_cast<std::wstring*>(lp) += WindowText(hwnd);
    return TRUE;
}

}  // namespace

TEST(startup_routing, stored_user_decides_the_first_window)
{
    const SIZE login = {500, 338}, main = {462, 730};
    struct Case {
        const char* what;
        bool workingFolder;
        bool userInWorkingFolder;
        bool userInStartDir;
        SIZE expected;
    } cases[] = {
        {"no profile anywhere", true, false, false, login},
        {"user stored in the working folder", true, true, false, main},
        // the working folder is where the profile is read, not the start folder
        {"working folder without user wins over the start folder", true, false, true, login},
        {"no working folder: the start folder's profile", false, false, true, main},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Installation inst(c.workingFolder);
        ASSERT_TRUE(inst.Ok());
        if (c.userInWorkingFolder) {
            ASSERT_TRUE(WriteFileBytes(inst.WorkingDir() + L"\\ops.dat", kUserProfile));
        }
        if (c.userInStartDir) {
            ASSERT_TRUE(WriteFileBytes(inst.StartDir() + L"\\ops.dat", kUserProfile));
        }
        Child app(inst.Exe(), inst.StartDir());
        ASSERT_TRUE(app.Started());
        HWND wnd = WaitForProgramWindow(app.Pid());
        ASSERT_NE(wnd, nullptr) << "no window appeared";
        SIZE size = WindowSize(wnd);
        EXPECT_EQ(size.cx, c.expected.cx);
        EXPECT_EQ(size.cy, c.expected.cy);
        EXPECT_EQ(WindowText(wnd), L"Lumora开票助手");
    }
}

TEST(startup_version, debug_output_names_the_version)
{
    Installation inst(true);
    ASSERT_TRUE(inst.Ok());
    Child app(inst.Exe(), inst.StartDir());
    ASSERT_NE(WaitForWindow(app.Pid(), L"SOUIHOST"), nullptr);
    std::string log = inst.DebugLog();
    EXPECT_NE(log.find("Version=1.1\r\n"), std::string::npos) << log;
}

TEST(startup_single_instance, second_copy_is_refused_with_a_message_and_exit_code_0)
{
    Installation inst(true);
    ASSERT_TRUE(inst.Ok());
    Child first(inst.Exe(), inst.StartDir());
    HWND firstWnd = WaitForWindow(first.Pid(), L"SOUIHOST");
    ASSERT_NE(firstWnd, nullptr);

    Child second(inst.Exe(), inst.StartDir());
    ASSERT_TRUE(second.Started());
    HWND box = WaitForWindow(second.Pid(), L"#32770");
    ASSERT_NE(box, nullptr) << "no message box from the second copy";
    EXPECT_EQ(WindowText(box), L"提示");
    std::wstring text;
    EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
    EXPECT_NE(text.find(kRefusal), std::wstring::npos);
    // The box comes before anything of the engine, so no host window can exist by now.
    EXPECT_EQ(WaitForWindow(second.Pid(), L"SOUIHOST", 1), nullptr) << "the refused copy opened a window";

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.WaitExit(15000), 0u);
    EXPECT_EQ(first.WaitExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "the running copy must stay";
    EXPECT_TRUE(IsWindow(firstWnd));
}
