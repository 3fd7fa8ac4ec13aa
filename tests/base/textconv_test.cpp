#include <gtest/gtest.h>

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "base/log.h"
#include "base/textconv.h"

// A Chinese Windows (under Wine: LANG=zh_CN.UTF-8); the run named base_tests_latin1
// repeats the code-page cases on a PC whose ANSI page is 1252 (MORAVEL_TEST_ACP).
TEST(textconv_pages, the_ansi_page_is_the_one_expected)
{
    wchar_t expected[16] = L"936";
    GetEnvironmentVariableW(L"MORAVEL_TEST_ACP", expected, 16);
    EXPECT_EQ(std::to_wstring(GetACP()), expected);
}

TEST(textconv_gbk, wide_to_gbk_cases)
{
    struct Case {
        const wchar_t* in;
        std::string out;
    } cases[] = {
        {L"\u963F\u91CC", "\xB0\xA2\xC0\xEF"},  // 阿里
        {L"", ""},
        {L"abc 123", "abc 123"},
        {L"\u8FD0\u661E", "\xD4\xCB\x95\x5C"},  // 昞 ends in 0x5C, a backslash byte
        {L"\u5F20\u4E09\uD55C", ""},            // Hangul has no GBK form: whole text empty
        {L"\u00C0", ""},                        // best fit would give 'A'
        {L"A\xD800", ""},                       // lone surrogate
        {L"\U0001F600", ""},                    // outside the BMP
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

// Service answers are read as GBK: whatever the PC's ANSI page, 阿里 stays 阿里.
TEST(textconv_gbk, answers_decode_as_gbk)
{
    EXPECT_EQ(GbkToWide("{\"code\":0}"), L"{\"code\":0}");
    EXPECT_EQ(GbkToWide("\xB0\xA2\xC0\xEF"), L"\u963F\u91CC");
    EXPECT_EQ(GbkToWide(""), L"");
    EXPECT_EQ(GbkToWide(WideToGbk(L"\u8AA0\u904B")), L"\u8AA0\u904B");  // 誠運: both end in 0x5C
}

// The profile's page is the PC's: a text it holds comes back; one it cannot hold is
// stored as nothing rather than as '?' or a look-alike.
TEST(textconv_ansi, round_trip_or_nothing)
{
    const std::wstring plain = L"91350100M000100Y43";
    EXPECT_EQ(AnsiToWide(WideToAnsi(plain)), plain);
    EXPECT_EQ(WideToAnsi(L"\u00C0\uD55C"), "");  // À would best-fit to 'A'; Hangul has no form in 936 or 1252
    if (GetACP() == 936) {
        EXPECT_EQ(WideToAnsi(L"\u963F\u91CC"), "\xB0\xA2\xC0\xEF");
        EXPECT_EQ(AnsiToWide("\xB0\xA2\xC0\xEF"), L"\u963F\u91CC");
    } else {
        EXPECT_EQ(WideToAnsi(L"\u963F\u91CC"), "");
    }
}

TEST(textconv_utf8, cases)
{
    struct Case {
        std::wstring wide;
        std::string utf8;
    } both[] = {
        {L"", ""},
        {L"abc", "abc"},
        {L"\u963F\u91CC", "\xE9\x98\xBF\xE9\x87\x8C"},
        {L"\u00E9\u07FF\u0800", "\xC3\xA9\xDF\xBF\xE0\xA0\x80"},   // the edges of the 2- and 3-byte forms
        {{wchar_t(0xD83D), wchar_t(0xDE00)}, "\xF0\x9F\x98\x80"},  // a surrogate pair is one character
    };
    for (const Case& c : both) {
        EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.utf8;
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
    }
    // What is no character becomes U+FFFD, one for each byte that starts nothing.
    EXPECT_EQ(WideToUtf8({wchar_t(0xD800), L'x'}), "\xEF\xBF\xBDx");
    const std::wstring bad = L"\uFFFD\uFFFD";
    EXPECT_EQ(Utf8ToWide("\xC0\x80"), bad);                  // overlong
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), L"\uFFFD" + bad);  // an encoded surrogate
    EXPECT_EQ(Utf8ToWide("\xE9\x98"), bad);                  // cut short
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b"),
              L"a\uFFFDb");
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

    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(nul, INVALID_HANDLE_VALUE);
    {
        StdoutTo out(nul);
        EXPECT_FALSE(StdoutTraceWanted()) << "the NUL device";
    }
    CloseHandle(nul);
}
