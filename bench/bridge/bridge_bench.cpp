// Prints the cost of the bridge's calls against stand-in invoicing programs, each
// beside a bare inline loop doing the same Win32 work in the same run, the two in
// alternation (the same process snapshot and window discovery on every call;
// bench/support/bare.h, shared with bench/ui). Run with everything on one CPU
// (taskset -c 0, wineserver included).
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bridge/buyerfill.h"
#include "base/handle.h"
#include "bridge/targets.h"
#include "bare.h"
#include "standinclient.h"

namespace {

KernelHandle g_out;

std::wstring g_tracePath;

// The text conversion traces every call to the standard output; keep the figures
// apart. The traces go to a scratch file: Wine's NUL device costs ~250 us a line,
// which would swamp what is measured.
void KeepStdoutForFigures()
{
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_OUTPUT_HANDLE), GetCurrentProcess(), &copy, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    g_out = KernelHandle(copy);
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    g_tracePath = std::wstring(folder) + L"bridge_bench_trace.txt";
    _wfreopen(g_tracePath.c_str(), L"w", stdout);
}

void Say(const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    DWORD written = 0;
    if (length > 0)
        WriteFile(g_out.Get(), line, static_cast<DWORD>(std::min<int>(length, sizeof line - 1)), &written, nullptr);
}

// The medians of two bodies run in alternation, so a change in the machine's load reaches
// both alike; one warm-up call each.
std::pair<double, double> InterleavedMedians(int runs, const std::function<void()>& bare,
                                             const std::function<void()>& ours)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times[2];
    bare();
    ours();
    for (int i = 0; i < runs; ++i) {
        for (int which = 0; which < 2; ++which) {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            (which ? ours : bare)();
            QueryPerformanceCounter(&end);
            times[which].push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                   static_cast<double>(frequency.QuadPart));
        }
    }
    for (auto& t : times)
        std::nth_element(t.begin(), t.begin() + runs / 2, t.end());
    return {times[0][static_cast<size_t>(runs / 2)], times[1][static_cast<size_t>(runs / 2)]};
}

double MedianMicroseconds(int runs, const std::function<void()>& body)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    times.reserve(static_cast<size_t>(runs));
    body();  // warm-up
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        body();
        QueryPerformanceCounter(&end);
        times.push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[static_cast<size_t>(runs / 2)];
}

// Tells the profilers (perf --control fifos, named in MORAVEL_BENCH_PROFILE_CTL, separated
// by ';') to sample only while the row runs.
void ProfilerControl(const char* command)
{
    char list[1024] = {};
    if (!GetEnvironmentVariableA("MORAVEL_BENCH_PROFILE_CTL", list, sizeof list))
        return;
    for (char* path = std::strtok(list, ";"); path; path = std::strtok(nullptr, ";")) {
        HANDLE fifo =
            CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (fifo == INVALID_HANDLE_VALUE)
            continue;
        DWORD written = 0;
        WriteFile(fifo, command, static_cast<DWORD>(std::strlen(command)), &written, nullptr);
        CloseHandle(fifo);
    }
}

LRESULT CALLBACK Quiet(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

// Hidden top-level windows of this process that every title search has to pass.
class OtherWindows {
public:
    explicit OtherWindows(int count)
    {
        WNDCLASSW cls = {};
        cls.lpfnWndProc = Quiet;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"BridgeBenchOther";
        RegisterClassW(&cls);
        for (int i = 0; i < count; ++i) {
            std::wstring title = L"其他程序的窗口 " + std::to_wstring(i);
            windows_.push_back(CreateWindowExW(0, cls.lpszClassName, title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr,
                                               nullptr, cls.hInstance, nullptr));
        }
    }
    ~OtherWindows()
    {
        for (HWND window : windows_)
            DestroyWindow(window);
    }
    OtherWindows(const OtherWindows&) = delete;
    OtherWindows& operator=(const OtherWindows&) = delete;

private:
    std::vector<HWND> windows_;
};

}  // namespace

int main()
{
    KeepStdoutForFigures();
    int runs = 200;
    // For a profiler: MORAVEL_BENCH_PROFILE=check runs only the window check, that many times.
    char profile[16] = {}, count[16] = {};
    const bool profiling =
        GetEnvironmentVariableA("MORAVEL_BENCH_PROFILE", profile, sizeof profile) && std::strcmp(profile, "check") == 0;
    if (profiling && GetEnvironmentVariableA("MORAVEL_BENCH_PROFILE_RUNS", count, sizeof count) && atoi(count) > 0)
        runs = atoi(count);
    CompanyRecord buyer;
    buyer.Name = L"上海示例贸易有限公司";
    buyer.CreditCode = L"91310115MA1K3YJ77Q";
    buyer.Address = L"上海市浦东新区世纪大道100号";
    buyer.PhoneNumber = L"021-58880000";
    buyer.Bank = L"中国建设银行上海浦东分行";
    buyer.Bankaccount = L"31050161393600001234";
    const std::wstring texts[4] = {buyer.Name, buyer.CreditCode, buyer.Address + L" " + buyer.PhoneNumber,
                                   buyer.Bank + L" " + buyer.Bankaccount};

    Say("bridge benchmark: median of %d runs, microseconds\n", runs);
    if (!profiling) {
        auto ht = StandInProcess::Start(L"Aisino.Framework.Startup.exe", L"--hidden", L"");
        if (!ht) {
            Say("could not start the HT stand-in\n");
            return 1;
        }
        bool ok = true;
        int bareFailed = 0, oursFailed = 0;
        const auto [bare, fill] = InterleavedMedians(
            runs, [&] { bareFailed += !bare::HtFill(texts); },
            [&] { oursFailed += FillBuyerBlock(buyer) != FillResult::Complete; });
        ok = !bareFailed && !oursFailed;
        Say("FillBuyerBlock (HT stand-in)      %9.1f   bare inline loop %9.1f   ratio %.2f (target <= 1.2)%s\n", fill,
            bare, fill / bare, ok ? "" : "   [fills FAILED]");
        if (!ok)
            Say("  failed: bare %d, FillBuyerBlock %d of %d\n", bareFailed, oursFailed, runs + 1);
    }
    {
        auto bw = StandInProcess::Start(L"kp.exe", L"--hidden", L"");
        if (!bw) {
            Say("could not start the BW stand-in\n");
            return 1;
        }
        OtherWindows others(100);
        if (profiling) {
            bool open = IsIssuingWindowOpen();
            ProfilerControl("enable\n");
            LARGE_INTEGER f, t0, t1;
            QueryPerformanceFrequency(&f);
            QueryPerformanceCounter(&t0);
            for (int i = 0; i < runs; ++i)
                open = IsIssuingWindowOpen() && open;
            QueryPerformanceCounter(&t1);
            ProfilerControl("disable\n");
            Say("profiled check: %d runs in %.0f ms%s\n", runs, 1000.0 * (t1.QuadPart - t0.QuadPart) / f.QuadPart,
                open ? "" : " [window NOT found]");
            Say("module bridge_bench.exe base %p\n", static_cast<void*>(GetModuleHandleW(nullptr)));
            return 0;
        }
        int titled = 0;
        HWND found = nullptr;
        bool open = true;
        const auto [bare, check] = InterleavedMedians(
            runs, [&] { found = bare::IssuingWindowCheck(&titled); }, [&] { open = IsIssuingWindowOpen() && open; });
        Say("IsIssuingWindowOpen (BW, %d titled top-level windows) %9.1f   bare snapshot + two-phrase search %9.1f   ratio %.2f (target <= 2)%s\n",
            titled, check, bare, check / bare, open && found ? "" : "   [window NOT found]");
        double fill = MedianMicroseconds(runs, [&] { open = FillBuyerBlock(buyer) == FillResult::Complete && open; });
        Say("FillBuyerBlock (BW, same windows) %9.1f\n", fill);
    }
    std::fclose(stdout);
    DeleteFileW(g_tracePath.c_str());
    return 0;
}
