// The log front: who sees a debug line.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/log.h"

TEST(log_sink, captures_lines_until_removed)
{
    std::vector<std::wstring> seen;
    SetDebugSink([&](const std::wstring& line) { seen.push_back(line); });
    DebugLine(L"Version=1.1");
    DebugLine(L"Something was wrong 4");
    SetDebugSink({});
    DebugLine(L"not captured");
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"Version=1.1", L"Something was wrong 4"}));
}

TEST(log_sink, debug_lines_wanted_while_a_sink_listens)
{
    // Tests run without a debugger and with Wine's channels off.
    ASSERT_FALSE(IsDebuggerPresent());
    EXPECT_FALSE(DebugLineWanted());
    SetDebugSink([](const std::wstring&) {});
    EXPECT_TRUE(DebugLineWanted());
    SetDebugSink({});
    EXPECT_FALSE(DebugLineWanted());
}

// What a debug-output viewer does: it makes the shared buffer and its two events, and reads
// each line the program writes there without attaching as a debugger.
TEST(log_viewer, lines_reach_a_viewer_listening_on_the_system_buffer)
{
    ASSERT_FALSE(IsDebuggerPresent());
    ASSERT_FALSE(DebugLineWanted()) << "no viewer yet";
    HANDLE buffer = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER");
    HANDLE bufferReady = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
    HANDLE dataReady = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    ASSERT_TRUE(buffer && bufferReady && dataReady);
    auto* view = static_cast<const char*>(MapViewOfFile(buffer, FILE_MAP_READ, 0, 0, 4096));
    ASSERT_TRUE(view);

    EXPECT_TRUE(DebugLineWanted()) << "the program would skip the service's answers";
    SetEvent(bufferReady);
    DebugLine(L"Version=1.1");
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(dataReady, 5000)) << "nothing reached the buffer";
    EXPECT_EQ(GetCurrentProcessId(), *reinterpret_cast<const DWORD*>(view));
    EXPECT_STREQ("Version=1.1\n", view + sizeof(DWORD));

    UnmapViewOfFile(view);
    for (HANDLE h : {buffer, bufferReady, dataReady})
        CloseHandle(h);
    EXPECT_FALSE(DebugLineWanted()) << "the viewer is gone";
}
