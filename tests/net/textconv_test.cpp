#include <gtest/gtest.h>

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "net/diag.h"
#include "net/textconv.h"

TEST(textconv_gbk, ansi_code_page_is_936)
{
    // Everything below assumes a Chinese Windows; under Wine this needs LANG=zh_CN.UTF-8.
    EXPECT_EQ(GetACP(), 936u);
}

TEST(textconv_gbk, wide_to_gbk_cases)
{
    struct Case {
        const wchar_t* in;
        std::string out;
    } cases[] = {
        {L"\u963F\u91CC", "\xB0\xA2\xC0\xEF"},                 // 阿里
        {L"", ""},
        {L"abc 123", "abc 123"},
        {L"\u8FD0\u661E", "\xD4\xCB\x95\x5C"},                   // 昞 ends in 0x5C, a backslash byte
        {L"\u5F20\u4E09\uD55C", ""},                           // Hangul has no GBK form: whole text empty
        {L"\u00C0", ""},                                       // best fit would give 'A'
        {L"A\xD800", ""},                                      // lone surrogate
        {L"\U0001F600", ""},                                   // outside the BMP
    };
    for (const Case& c : cases)
        EXPECT_EQ(WideToGbk(c.in), c.out) << "input of " << wcslen(c.in) << " characters";
}

TEST(textconv_gbk, gbk_round_trip_with_5c_trail_byte)
{
    const std::wstring text = L"\u6B22\u8FCE\u5F00\u7968";  // 欢迎开票
    const std::string gbk = WideToGbk(text);
    ASSERT_FALSE(gbk.empty());
    EXPECT_EQ(GbkToWide(gbk), text);
    EXPECT_EQ(GbkToWide("\x95\x5C"), L"\u661E");  // trail byte is a backslash
}

// Short texts are converted in one step, long ones in two: the same result on both
// sides of the line, also for a lead byte cut off at the end.
TEST(textconv_gbk, gbk_to_wide_on_both_sides_of_the_short_path)
{
    auto reference = [](const std::string& bytes) {
        const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        std::wstring out(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
        return out;
    };
    for (size_t chars : {1u, 127u, 128u, 129u, 300u}) {
        const std::wstring text(chars, L'\u963F');  // two bytes each
        const std::string gbk = WideToGbk(text);
        ASSERT_EQ(gbk.size(), 2 * chars);
        EXPECT_EQ(GbkToWide(gbk), text) << chars;
        EXPECT_EQ(GbkToWide(gbk.data(), gbk.size()), text) << chars;
        const std::string cut = gbk + "\xB0";
        EXPECT_EQ(GbkToWide(cut), reference(cut)) << chars;
        EXPECT_EQ(GbkToWide(cut).size(), chars + 1) << chars;
    }
}

TEST(textconv_debug, response_text_is_readable_and_keeps_length)
{
    EXPECT_EQ(ResponseToDebugText("{\"code\":0}"), L"{\"code\":0}");
    EXPECT_EQ(ResponseToDebugText("\xB0\xA2\xC0\xEF"), L"\u963F\u91CC");
    EXPECT_EQ(ResponseToDebugText(""), L"");
}

TEST(diag_sink, captures_lines_until_removed)
{
    std::vector<std::wstring> seen;
    SetDebugSink([&](const std::wstring& line) { seen.push_back(line); });
    DebugLine(L"Version=1.1");
    DebugLine(L"Something was wrong 4");
    SetDebugSink({});
    DebugLine(L"not captured");
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"Version=1.1", L"Something was wrong 4"}));
}

namespace {
// Points the C runtime's standard output at `target` until destroyed; fd 1 comes back as it was.
class StdoutTo {
public:
    explicit StdoutTo(HANDLE target)
    {
        std::fflush(stdout);
        m_saved = _dup(1);
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), target, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(copy), _O_WRONLY | _O_BINARY);
        _dup2(fd, 1);
        _close(fd);
    }
    ~StdoutTo()
    {
        std::fflush(stdout);
        _dup2(m_saved, 1);
        _close(m_saved);
    }
    StdoutTo(const StdoutTo&) = delete;
    StdoutTo& operator=(const StdoutTo&) = delete;

private:
    int m_saved = -1;
};

std::string ReadAll(HANDLE file)
{
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    std::string bytes(4096, '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
}
}  // namespace

// The conversion traces to standard output only where the output goes somewhere read,
// and there with the same text as always; NUL and no output at all cost nothing.
TEST(textconv_trace, stdout_lines_only_where_read)
{
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"textconv_trace_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    {
        StdoutTo out(file);
        EXPECT_TRUE(StdoutTraceWanted());
        WideToGbk(L"\u963F\u91CC");  // 阿里: 2 characters, 4 bytes
    }
    EXPECT_EQ(ReadAll(file), "ws.size():2\nconvertedChars:5\n");
    CloseHandle(file);

    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 16));
    {
        StdoutTo out(writeEnd);
        EXPECT_TRUE(StdoutTraceWanted()) << "a pipe";
    }
    CloseHandle(readEnd);
    CloseHandle(writeEnd);

    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    ASSERT_NE(nul, INVALID_HANDLE_VALUE);
    {
        StdoutTo out(nul);
        EXPECT_FALSE(StdoutTraceWanted()) << "the NUL device";
    }
    CloseHandle(nul);
}

TEST(diag_sink, debug_lines_wanted_while_a_sink_listens)
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
TEST(diag_viewer, lines_reach_a_viewer_listening_on_the_system_buffer)
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
