#include <gtest/gtest.h>

#include "app/singleinstance.h"
#include "app/workfolder.h"

TEST(startup_workfolder, folder_moravel_beside_the_exe_folder)
{
    struct Case {
        const wchar_t* exe;
        const wchar_t* folder;
    } cases[] = {
        {L"C:\\Program Files\\Lumora\\bin\\Moravel.exe", L"C:\\Program Files\\Lumora\\bin\\..\\Moravel"},
        {L"C:\\Moravel.exe", L"C:\\..\\Moravel"},
        {L"\\\\server\\share\\a.b\\x.exe", L"\\\\server\\share\\a.b\\..\\Moravel"},
        // forward slashes are not separators for this rule
        {L"C:\\dir/sub/Moravel.exe", L"C:\\..\\Moravel"},
        // nothing to replace: no folder at all
        {L"Moravel.exe", L""},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WorkingFolderFor(c.exe), c.folder);
}

TEST(startup_single_instance, second_holder_of_a_name_is_refused_until_the_first_goes)
{
    const wchar_t* name = L"MoravelTest-single-instance";
    {
        CSingleInstance first(name);
        ASSERT_TRUE(first.IsFirst());
        CSingleInstance second(name);
        EXPECT_FALSE(second.IsFirst());
        CSingleInstance other(L"MoravelTest-another-name");
        EXPECT_TRUE(other.IsFirst());
    }
    CSingleInstance again(name);
    EXPECT_TRUE(again.IsFirst()) << "the refused holder must not have kept the mutex";
}

// The second copy's request goes only to the window the first one published, and only while
// that window belongs to the publishing process.
TEST(startup_single_instance, second_copy_asks_only_the_published_window)
{
    const wchar_t* name = L"MoravelTest-show-request";
    const UINT request = RegisterWindowMessageW(L"MoravelTest.Show");
    CSingleInstance first(name);
    ASSERT_TRUE(first.IsFirst());
    CSingleInstance second(name);
    EXPECT_FALSE(second.AskFirstToShow(request)) << "nothing published yet";

    HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    first.Publish(wnd);
    EXPECT_TRUE(second.AskFirstToShow(request));
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, wnd, request, request, PM_REMOVE)) << "the published window got nothing";
    EXPECT_FALSE(first.AskFirstToShow(request)) << "the first copy asks nobody";

    // Another process's window (Windows' own) published under the name is not asked.
    first.Publish(GetShellWindow() ? GetShellWindow() : GetDesktopWindow());
    EXPECT_FALSE(second.AskFirstToShow(request));
    first.Publish(wnd);
    DestroyWindow(wnd);
    EXPECT_FALSE(second.AskFirstToShow(request)) << "a window that is gone";
}
