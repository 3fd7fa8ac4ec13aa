// The real Moravel.exe, started as the merchant starts it: copied into a fresh
// folder tree, with or without the working folder "Moravel" beside its folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/singleinstance.h"
#include "appinstance.h"
#include "topwindows.h"

namespace {

const wchar_t kRefusal[] = L"已经有一个程序在运行,您不能同时运行两个及以上本程序!！";

// The first program window, answering the notices the main window may show before it
// (no invoicing program runs in these tests): they are dismissed, not mistaken for it.
HWND WaitForProgramWindow(DWORD pid)
{
    for (int i = 0; i < 300; ++i) {
        HWND wnd = FindTopWindow(pid, L"SOUIHOST");
        if (wnd && WindowText(wnd) != L"\u63D0\u793A")
            return wnd;
        if (wnd)
            PostMessageW(wnd, WM_CLOSE, 0, 0);
        Sleep(200);
    }
    return nullptr;
}

const char kUserProfile[] = "[User]\r\nId=merchant-7\r\n";

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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppInstallation inst(c.workingFolder);
        ASSERT_TRUE(inst.Ok());
        if (c.userInWorkingFolder) {
            ASSERT_TRUE(WriteFileBytes(inst.WorkingDir() + L"\\ops.dat", kUserProfile));
        }
        if (c.userInStartDir) {
            ASSERT_TRUE(WriteFileBytes(inst.StartDir() + L"\\ops.dat", kUserProfile));
        }
        AppProcess app(inst.Exe(), inst.StartDir());
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
    AppInstallation inst(true);
    ASSERT_TRUE(inst.Ok());
    AppProcess app(inst.Exe(), inst.StartDir(), L"", inst.DebugLogPath());
    ASSERT_NE(WaitTopWindow(app.Pid(), L"SOUIHOST", 30000), nullptr);
    std::string log = inst.DebugLog();
    EXPECT_NE(log.find("Version=1.1\r\n"), std::string::npos) << log;
}

// Another program holding the program's name (and publishing a window of its own under it)
// is neither asked nor searched for: the copy started now says another copy runs and ends
// with 0. (A running copy of this very program is asked to show itself: tests/e2e.)
TEST(startup_single_instance, name_held_by_a_stranger_gets_no_request_and_the_copy_ends_with_0)
{
    CSingleInstance stranger(L"Moravel");
    ASSERT_TRUE(stranger.IsFirst()) << "a copy of the program is running";
    HWND own =
        CreateWindowExW(0, L"STATIC", L"stranger", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(own, nullptr);
    stranger.Publish(own);

    AppInstallation inst(true);
    ASSERT_TRUE(inst.Ok());
    AppProcess second(inst.Exe(), inst.StartDir());
    ASSERT_TRUE(second.Started());
    HWND box = WaitTopWindow(second.Pid(), L"#32770", 30000);
    ASSERT_NE(box, nullptr) << "no message box from the second copy";
    EXPECT_EQ(WindowText(box), L"提示");
    EXPECT_NE(BoxText(box).find(kRefusal), std::wstring::npos);
    // The box comes before anything of the engine, so no host window can exist by now.
    EXPECT_EQ(FindTopWindow(second.Pid(), L"SOUIHOST"), nullptr) << "the refused copy opened a window";

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.WaitExit(15000), 0u);
    const UINT request = RegisterWindowMessageW(L"Moravel.ShowMainWindow");
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, own, request, request, PM_REMOVE)) << "the stranger's window was asked";
    DestroyWindow(own);
}

// Without its working folder the program does not fall back on the folder it was started
// in: it says so and ends with a non-zero code, before reading or writing anything.
TEST(startup_working_folder, missing_folder_is_told_and_nothing_is_touched)
{
    AppInstallation inst(false);
    ASSERT_TRUE(inst.Ok());
    ASSERT_TRUE(WriteFileBytes(inst.StartDir() + L"\\ops.dat", kUserProfile));
    AppProcess app(inst.Exe(), inst.StartDir());
    ASSERT_TRUE(app.Started());
    HWND box = WaitTopWindow(app.Pid(), L"#32770", 30000);
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(WindowText(box), L"错误");
    EXPECT_NE(BoxText(box).find(L"工作文件夹 Moravel"), std::wstring::npos);
    EXPECT_EQ(FindTopWindow(app.Pid(), L"SOUIHOST"), nullptr) << "a window of the program opened";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(app.WaitExit(15000), 3u);
    // The start folder holds what it held: the profile, unchanged, and nothing new.
    EXPECT_EQ(ReadFileBytes(inst.StartDir() + L"\\ops.dat"), kUserProfile);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((inst.StartDir() + L"\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> names;
    do
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_EQ(names, std::vector<std::wstring>{L"ops.dat"});
}
