#include "app/crashdump.h"

#include <windows.h>
#include <dbghelp.h>

#include <algorithm>
#include <vector>

#include "base/handle.h"
#include "base/log.h"

namespace {

constexpr size_t kKeep = 5;

using WriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                  PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

struct CrashState {
    std::wstring folder;
    std::wstring version;
    WriteDumpFn writeDump = nullptr;
    HANDLE wake = nullptr;
    HANDLE done = nullptr;
    EXCEPTION_POINTERS* pointers = nullptr;
    DWORD threadId = 0;
    volatile LONG entered = 0;
};

CrashState g_crash;

std::wstring Two(unsigned v)
{
    return (v < 10 ? L"0" : L"") + std::to_wstring(v);
}

// Oldest first by name's time; the version in the name does not decide.
std::vector<std::wstring> Dumps(const std::wstring& folder)
{
    std::vector<std::pair<ULONGLONG, std::wstring>> found;
    WIN32_FIND_DATAW data;
    const FindHandle find(FindFirstFileW((folder + L"\\Moravel-*.dmp").c_str(), &data));
    if (find) {
        do {
            const ULONGLONG written =
                (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
            found.emplace_back(written, data.cFileName);
        } while (FindNextFileW(find.Get(), &data));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::wstring> names;
    for (auto& f : found)
        names.push_back(f.second);
    return names;
}

void WriteDump()
{
    CrashState& s = g_crash;
    SYSTEMTIME t;
    GetLocalTime(&t);
    const std::wstring name = L"Moravel-" + s.version + L"-" + std::to_wstring(t.wYear) + Two(t.wMonth) + Two(t.wDay) +
                              L"-" + Two(t.wHour) + Two(t.wMinute) + Two(t.wSecond) + L".dmp";
    CreateDirectoryW(s.folder.c_str(), nullptr);
    std::vector<std::wstring> old = Dumps(s.folder);
    while (old.size() >= kKeep) {
        DeleteFileW((s.folder + L"\\" + old.front()).c_str());
        old.erase(old.begin());
    }
    const std::wstring path = s.folder + L"\\" + name;
    const std::wstring temporary = path + L".tmp";
    KernelHandle file(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    MINIDUMP_EXCEPTION_INFORMATION info = {};
    info.ThreadId = s.threadId;
    info.ExceptionPointers = s.pointers;
    info.ClientPointers = FALSE;
    BOOL written = s.writeDump(GetCurrentProcess(), GetCurrentProcessId(), file.Get(),
                               static_cast<MINIDUMP_TYPE>(MiniDumpWithThreadInfo | MiniDumpWithUnloadedModules), &info,
                               nullptr, nullptr);
    written = file.Close() && written;
    // Renamed only when complete: support never reads half a dump.
    if (!written || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
        return;
    }
    const DWORD code = s.pointers && s.pointers->ExceptionRecord ? s.pointers->ExceptionRecord->ExceptionCode : 0;
    wchar_t hex[16];
    const wchar_t digits[] = L"0123456789ABCDEF";
    for (int i = 0; i < 8; ++i)
        hex[i] = digits[(code >> (28 - 4 * i)) & 0xF];
    hex[8] = 0;
    SupportLine(L"Crash: code=0x" + std::wstring(hex) + L" file=" + name);
}

DWORD WINAPI Writer(void*)
{
    WaitForSingleObject(g_crash.wake, INFINITE);
    WriteDump();
    SetEvent(g_crash.done);
    return 0;
}

LONG WINAPI OnUnhandled(EXCEPTION_POINTERS* pointers)
{
    // Only the first crashing thread writes; others wait for the end with it.
    if (InterlockedExchange(&g_crash.entered, 1) == 0) {
        g_crash.pointers = pointers;
        g_crash.threadId = GetCurrentThreadId();
        SetEvent(g_crash.wake);
        // Bounded: a writer stuck behind a lock the crashed thread held must not hang the end.
        WaitForSingleObject(g_crash.done, 30000);
    }
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

bool InstallCrashDumps(const std::wstring& folder, const std::wstring& version)
{
    CrashState& s = g_crash;
    if (s.wake)
        return true;
    wchar_t system[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    // From System32 only: a dbghelp.dll dropped beside the program is never loaded.
    HMODULE dbghelp = LoadLibraryW((std::wstring(system) + L"\\dbghelp.dll").c_str());
    if (!dbghelp)
        return false;
    s.writeDump = reinterpret_cast<WriteDumpFn>(reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
    if (!s.writeDump)
        return false;
    s.folder = folder;
    s.version = version;
    s.wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    s.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const KernelHandle writer(s.wake && s.done ? CreateThread(nullptr, 64 * 1024, Writer, nullptr, 0, nullptr)
                                               : nullptr);
    if (!writer)
        return false;
    SetUnhandledExceptionFilter(OnUnhandled);
    return true;
}

std::wstring TakeUnreportedDump(const std::wstring& folder)
{
    const std::vector<std::wstring> dumps = Dumps(folder);
    if (dumps.empty())
        return {};
    const std::wstring newest = dumps.back();
    const std::wstring marker = folder + L"\\reported.txt";
    wchar_t seen[MAX_PATH] = {};
    GetPrivateProfileStringW(L"Crash", L"Reported", L"", seen, MAX_PATH, marker.c_str());
    if (newest == seen)
        return {};
    WritePrivateProfileStringW(L"Crash", L"Reported", newest.c_str(), marker.c_str());
    return folder + L"\\" + newest;
}
