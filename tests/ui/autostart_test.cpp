// The Run value as the tray menu's "开机启动" writes it, read back the way Task Manager
// leaves it, in the test prefix's own registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ui/autostart.h"

namespace {

const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kApproved[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

std::wstring RunValue()
{
    wchar_t buf[1024] = {};
    DWORD size = sizeof(buf);
    if (RegGetValueW(HKEY_CURRENT_USER, kRun, kAutostartValueName, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return L"(none)";
    return buf;
}

bool Approved()
{
    return RegGetValueW(HKEY_CURRENT_USER, kApproved, kAutostartValueName, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

void MarkInTaskManager(BYTE first)
{
    BYTE data[12] = {first};
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kApproved, kAutostartValueName, REG_BINARY, data, sizeof(data)),
              ERROR_SUCCESS);
}

}  // namespace

TEST(autostart, written_quoted_read_through_task_manager_and_removed)
{
    ASSERT_TRUE(SetAutostart(false));
    EXPECT_FALSE(AutostartEnabled());
    EXPECT_EQ(RunValue(), L"(none)");

    ASSERT_TRUE(SetAutostart(true));
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(RunValue(), L"\"" + std::wstring(exe) + L"\" /autostart");
    EXPECT_TRUE(AutostartEnabled());

    // Task Manager's mark: an odd first byte is disabled.
    struct Mark {
        BYTE first;
        bool enabled;
    } marks[] = {{2, true}, {3, false}, {6, true}, {7, false}};
    for (const Mark& m : marks) {
        SCOPED_TRACE(m.first);
        ASSERT_NO_FATAL_FAILURE(MarkInTaskManager(m.first));
        EXPECT_EQ(AutostartEnabled(), m.enabled);
    }
    // Chosen in the tray menu after Task Manager disabled it: on again.
    ASSERT_TRUE(SetAutostart(true));
    EXPECT_TRUE(AutostartEnabled());

    // A value left by a copy in another folder starts that copy: not shown as on.
    const std::wstring other = L"\"C:\\elsewhere\\Moravel.exe\" /autostart";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRun, kAutostartValueName, REG_SZ, other.c_str(),
                              static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    EXPECT_FALSE(AutostartEnabled());

    ASSERT_NO_FATAL_FAILURE(MarkInTaskManager(3));
    ASSERT_TRUE(SetAutostart(false));
    EXPECT_EQ(RunValue(), L"(none)");
    EXPECT_FALSE(Approved()) << "Task Manager's mark was left behind";
    EXPECT_TRUE(SetAutostart(false)) << "removing what is not there is no failure";
}
