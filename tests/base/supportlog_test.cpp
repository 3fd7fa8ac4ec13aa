// The support log on disk: rotation, what never reaches it, and a folder it cannot write.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/log.h"
#include "base/supportlog.h"
#include "tempdir.h"

namespace {

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string AllLogs(const std::wstring& folder)
{
    std::string all;
    for (const wchar_t* name : {L"\\moravel.log", L"\\moravel.1.log", L"\\moravel.2.log", L"\\moravel.3.log"})
        all += ReadFileBytes(folder + name);
    return all;
}

}  // namespace

TEST(supportlog, rotates_at_the_size_and_keeps_three_files)
{
    ScopedWorkDir dir;
    const std::wstring logs = dir.File(L"logs");
    ASSERT_TRUE(OpenSupportLog(logs, 400));
    for (int i = 0; i < 60; ++i)
        SupportLine(L"event " + std::to_wstring(i));
    CloseSupportLog();
    EXPECT_TRUE(Exists(logs + L"\\moravel.1.log"));
    EXPECT_TRUE(Exists(logs + L"\\moravel.2.log"));
    EXPECT_FALSE(Exists(logs + L"\\moravel.3.log"));
    const std::string current = ReadFileBytes(logs + L"\\moravel.log");
    EXPECT_LE(current.size(), 400u);
    EXPECT_NE(current.find(" event 59\r\n"), std::string::npos) << current;
    const std::string all = AllLogs(logs);
    EXPECT_EQ(all.find(" event 0\r\n"), std::string::npos) << "the oldest file was kept";
    // Reopened: added to, not started over.
    ASSERT_TRUE(OpenSupportLog(logs, 400));
    SupportLine(L"event again");
    CloseSupportLog();
    EXPECT_NE(AllLogs(logs).find(" event 59\r\n"), std::string::npos);
    EXPECT_NE(AllLogs(logs).find(" event again\r\n"), std::string::npos);
}

// Number-like words (mobile numbers, codes, ids, tax numbers, accounts) never reach the
// file, even when a caller slips; the figures the program measures and short words stay.
TEST(supportlog, number_like_words_are_fingerprinted)
{
    struct Case {
        const wchar_t* line;
        const wchar_t* hidden;  // nullptr: the line stays as it is
    } cases[] = {
        {L"login phone=13800138000", L"13800138000"},
        {L"code 482913", L"482913"},
        {L"user 10000001", L"10000001"},
        {L"tax 91310000327966712D", L"91310000327966712D"},
        {L"account 90970541855527647 ok", L"90970541855527647"},
        {L"Request GET /Invoice_getCompanyList status=200 error=0 ms=123456 bytes=7654321", nullptr},
        {L"Start, version 1.1", nullptr},
        {L"Hotkey: Ctrl+Alt+F not registered, error 1409", nullptr},
        {L"Crash: code=0xC0000005 file=Moravel-1.1-20261211-105645.dmp", nullptr},
        // Only at the start of a word: "barcode=" is no "code=".
        {L"barcode=13800138000", L"13800138000"},
    };
    for (const Case& c : cases) {
        const std::wstring masked = MaskForSupportLog(c.line);
        if (c.hidden) {
            EXPECT_EQ(masked.find(c.hidden), std::wstring::npos) << testing::PrintToString(masked);
            EXPECT_NE(masked.find(L"#"), std::wstring::npos);
        } else {
            EXPECT_EQ(masked, c.line);
        }
    }
    // The same value, the same fingerprint: two lines can be told apart and matched.
    EXPECT_EQ(MaskForSupportLog(L"a 13800138000"), MaskForSupportLog(L"a 13800138000"));
    EXPECT_NE(MaskForSupportLog(L"a 13800138000"), MaskForSupportLog(L"a 13800138001"));
}

// A folder or a file the log cannot write stops the log, and nothing else: later lines are
// dropped without a fault, and DebugLine goes on.
TEST(supportlog, unwritable_places_stop_only_the_log)
{
    struct Case {
        const char* what;
        void (*prepare)(const std::wstring& logs);
        bool opens;
    } cases[] = {
        // "logs" is a file: no folder can be made.
        {"logs is a file", [](const std::wstring& logs) { WriteFileBytes(logs, "x"); }, false},
        // (A read-only file would do on Windows; Wine run as root writes it all the same.)
        {"a folder where the log file goes",
         [](const std::wstring& logs) {
             CreateDirectoryW(logs.c_str(), nullptr);
             CreateDirectoryW((logs + L"\\moravel.log").c_str(), nullptr);
         },
         false},
        // The rotation cannot move the file: the log stops at the size.
        {"a folder where a kept file goes",
         [](const std::wstring& logs) {
             CreateDirectoryW(logs.c_str(), nullptr);
             CreateDirectoryW((logs + L"\\moravel.1.log").c_str(), nullptr);
             CreateDirectoryW((logs + L"\\moravel.2.log").c_str(), nullptr);
             WriteFileBytes(logs + L"\\moravel.2.log\\kept", "x");
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedWorkDir dir;
        const std::wstring logs = dir.File(L"logs");
        c.prepare(logs);
        EXPECT_EQ(OpenSupportLog(logs, 300), c.opens);
        for (int i = 0; i < 40; ++i)
            SupportLine(L"event " + std::to_wstring(i));
        int seen = 0;
        const DebugSink previous = SetDebugSink([&](const std::wstring&) { ++seen; });
        DebugLine(L"after");
        SetDebugSink(previous);
        EXPECT_EQ(seen, 1) << "DebugLine stopped with the log";
        EXPECT_FALSE(SupportLogWriting());
        CloseSupportLog();
    }
}
