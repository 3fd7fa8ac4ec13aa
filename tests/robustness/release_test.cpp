// The unpacked release zip: the program starts from it as it lies, with the
// plug-ins beside it and its working folder beside its own folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::wstring ReleaseExe()
{
    wchar_t buf[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"MORAVEL_RELEASE_EXE", buf, MAX_PATH);
    std::wstring path(buf, n < MAX_PATH ? n : 0);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path.empty() || path[0] != L'\\' ? path : L"Z:" + path;
}

struct FindArgs {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindHost(HWND hwnd, LPARAM lp)
{
    auto* args = reinterpret_cast<FindArgs*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[32] = {}, text[64] = {};
    GetClassNameW(hwnd, cls, 32);
    GetWindowTextW(hwnd, text, 64);
    if (pid == args->pid && IsWindowVisible(hwnd) && wcscmp(cls, L"SOUIHOST") == 0 &&
        wcscmp(text, L"Lumora开票助手") == 0) {
        args->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The process, ended by its handle when the holder goes.
class Process {
public:
    explicit Process(const std::wstring& exe)
    {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        std::wstring cmd = L"\"" + exe + L"\"";
        // Started from elsewhere, as a shortcut does: the program finds its folders itself.
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        if (CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, temp, &si, &m_pi))
            CloseHandle(m_pi.hThread);
    }
    ~Process()
    {
        if (!m_pi.hProcess)
            return;
        TerminateProcess(m_pi.hProcess, 1);
        WaitForSingleObject(m_pi.hProcess, 10000);
        CloseHandle(m_pi.hProcess);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return m_pi.hProcess != nullptr; }
    DWORD Pid() const { return m_pi.dwProcessId; }

private:
    PROCESS_INFORMATION m_pi = {};
};

}  // namespace

TEST(release_unpacked, program_starts_and_shows_its_login_window)
{
    const std::wstring exe = ReleaseExe();
    ASSERT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << "not unpacked";
    Process app(exe);
    ASSERT_TRUE(app.Started());
    FindArgs args = {app.Pid(), nullptr};
    for (int i = 0; i < 300 && !args.found; ++i) {
        EnumWindows(FindHost, reinterpret_cast<LPARAM>(&args));
        if (!args.found)
            Sleep(100);
    }
    ASSERT_NE(args.found, nullptr) << "no window from the unpacked program";
    // The zip holds no profile, so the merchant meets the login window first.
    RECT rc = {};
    GetWindowRect(args.found, &rc);
    EXPECT_EQ(rc.right - rc.left, 500);
    EXPECT_EQ(rc.bottom - rc.top, 338);
}
