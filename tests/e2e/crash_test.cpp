// A test-only copy of the program (Moravel_crashtest) crashes on a key: the crash leaves a
// complete minidump that holds the exception, a line in the support log, and a notice once
// at the next start.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbghelp.h>

#include <string>
#include <vector>

#include "driver.h"

namespace {

const SIZE kMain = {462, 730};

std::vector<std::wstring> FilesLike(const std::wstring& pattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

// The exception code the dump's exception stream holds; 0 when it has none or does not read.
DWORD DumpedException(const std::wstring& path)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return 0;
    KernelHandle mapping(CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping)
        return 0;
    void* base = MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0);
    if (!base)
        return 0;
    MINIDUMP_DIRECTORY* dir = nullptr;
    void* stream = nullptr;
    ULONG size = 0;
    DWORD code = 0;
    if (MiniDumpReadDumpStream(base, ExceptionStream, &dir, &stream, &size) &&
        size >= sizeof(MINIDUMP_EXCEPTION_STREAM))
        code = static_cast<const MINIDUMP_EXCEPTION_STREAM*>(stream)->ExceptionRecord.ExceptionCode;
    UnmapViewOfFile(base);
    return code;
}

HWND StartToMain(const AppProcess& app)
{
    HWND main = nullptr;
    WaitUntil(
        [&] {
            if (HWND box = FindHost(app.Pid(), kMessageBox))
                Click(box, kBoxOkOfOne);
            return (main = FindHost(app.Pid(), kMain)) != nullptr && FindHost(app.Pid(), kMessageBox) == nullptr;
        },
        30000);
    return main;
}

}  // namespace

TEST(crash, key_crash_leaves_a_readable_dump_a_log_line_and_one_notice)
{
    struct Case {
        const char* what;
        UINT key;
        DWORD code;
    } cases[] = {
        {"access violation", VK_F12, EXCEPTION_ACCESS_VIOLATION},
        {"stack overflow", VK_F11, EXCEPTION_STACK_OVERFLOW},
    };
    bool first = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppInstallation inst;
        ASSERT_TRUE(inst.Ok());
        ASSERT_TRUE(inst.SetProfileValue(L"User", L"Id", L"10000001"));
        const std::wstring crash = inst.WorkingDir() + L"\\crash";
        {
            AppProcess app(inst.Exe(), inst.Bin());
            ASSERT_NE(StartToMain(app), nullptr) << "no main window";
            PressChord({VK_CONTROL, VK_MENU, VK_SHIFT}, c.key);
            ASSERT_NE(app.WaitExit(30000), STILL_ACTIVE) << "no crash";
        }
        const std::vector<std::wstring> dumps = FilesLike(crash + L"\\Moravel-1.1-*.dmp");
        ASSERT_EQ(dumps.size(), 1u);
        EXPECT_TRUE(FilesLike(crash + L"\\*.tmp").empty()) << "a temporary file was left";
        EXPECT_EQ(DumpedException(crash + L"\\" + dumps[0]), c.code);
        const std::string log = ReadFileBytes(inst.WorkingDir() + L"\\logs\\moravel.log");
        EXPECT_NE(log.find("Crash: code=0x"), std::string::npos) << log;
        EXPECT_NE(log.find(Utf8(dumps[0])), std::string::npos) << log;
        if (!first)
            continue;
        first = false;
        // The next start says so, once, naming the file.
        for (bool expectNotice : {true, false}) {
            AppProcess again(inst.Exe(), inst.Bin());
            HWND box = WaitTopWindow(again.Pid(), L"#32770", expectNotice ? 20000 : 3000);
            if (!expectNotice) {
                EXPECT_EQ(box, nullptr) << "said twice";
                continue;
            }
            ASSERT_NE(box, nullptr) << "the next start said nothing";
            EXPECT_NE(BoxText(box).find(dumps[0]), std::wstring::npos);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            EXPECT_NE(StartToMain(again), nullptr);
        }
    }
}
