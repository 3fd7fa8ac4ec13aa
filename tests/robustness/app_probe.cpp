// Drives the real Moravel.exe from outside for scripts/bench: start to first paint,
// and the main window's working set over refresh ticks. Prints figures, asserts nothing.
//   app_probe firstpaint EXE      ms from CreateProcess to the first painted window
//   app_probe firstpaint-bare     the same for a bare window of the same size (baseline)
//   app_probe ticks N             sends N refresh ticks to the main window, then prints
//                                 ms a tick and the working set
//   app_probe soak N              the same, printing working set, GDI and USER objects
//                                 and handle count before the first tick and after the last
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR kRefreshTimer = 1500;

class Process {
public:
    Process(const std::wstring& exe, const std::wstring& args)
    {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        std::wstring cmd = L"\"" + exe + L"\" " + args;
        if (CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
            CloseHandle(m_pi.hThread);
    }
    ~Process()
    {
        if (!m_pi.hProcess)
            return;
        TerminateProcess(m_pi.hProcess, 0);
        WaitForSingleObject(m_pi.hProcess, 10000);
        CloseHandle(m_pi.hProcess);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    DWORD Pid() const { return m_pi.dwProcessId; }
    bool Started() const { return m_pi.hProcess != nullptr; }

private:
    PROCESS_INFORMATION m_pi = {};
};

struct Find {
    DWORD pid;  // 0: any process
    bool mainOnly;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND hwnd, LPARAM lp)
{
    auto* f = reinterpret_cast<Find*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if ((f->pid && pid != f->pid) || !IsWindowVisible(hwnd))
        return TRUE;
    wchar_t cls[32] = {}, text[64] = {};
    GetClassNameW(hwnd, cls, 32);
    GetWindowTextW(hwnd, text, 64);
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    const bool ours = (wcscmp(cls, L"SOUIHOST") == 0 || wcscmp(cls, L"MoravelBareProbe") == 0) &&
                      wcscmp(text, L"Lumora开票助手") == 0;
    if (ours && (!f->mainOnly || rc.bottom - rc.top == 730)) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Painted: the window's pixels on screen are no longer one flat colour.
bool LooksPainted(HWND hwnd)
{
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0)
        return false;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool painted = false;
    if (dib) {
        HGDIOBJ old = SelectObject(mem, dib);
        BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
        GdiFlush();
        const auto* px = static_cast<const DWORD*>(bits);
        for (int i = 1; i < w * h && !painted; ++i)
            painted = (px[i] & 0xFFFFFF) != (px[0] & 0xFFFFFF);
        SelectObject(mem, old);
        DeleteObject(dib);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return painted;
}

int FirstPaint(const std::wstring& exe, const std::wstring& args)
{
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    Process app(exe, args);
    if (!app.Started())
        return 1;
    for (int i = 0; i < 30000; ++i) {
        Find f = {app.Pid(), false, nullptr};
        EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&f));
        if (f.found && LooksPainted(f.found)) {
            QueryPerformanceCounter(&t1);
            std::printf("first paint %.1f ms\n", 1000.0 * (t1.QuadPart - t0.QuadPart) / freq.QuadPart);
            return 0;
        }
        Sleep(1);
    }
    std::printf("first paint: no window\n");
    return 1;
}

LRESULT CALLBACK BareProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc = {0, 0, 462, 60};
        FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// The baseline: a plain top-level window of the main window's size that paints a bar.
int BareWindow()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"MoravelBareProbe";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Lumora开票助手", WS_POPUP | WS_VISIBLE, 100, 100,
                                462, 730, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd)
        return 1;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0)
        DispatchMessageW(&m);
    return 0;
}

int Ticks(int count)
{
    Find f = {0, true, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&f));
    if (!f.found) {
        std::printf("ticks: no main window\n");
        return 1;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(f.found, &pid);
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    int answered = 0;
    for (int i = 0; i < count; ++i) {
        DWORD_PTR r = 0;
        // Sent, not posted: each tick's refresh has finished before the next one starts.
        answered += SendMessageTimeoutW(f.found, WM_TIMER, kRefreshTimer, 0, SMTO_NORMAL, 20000, &r) != 0;
    }
    QueryPerformanceCounter(&t1);
    const double ms = 1000.0 * (t1.QuadPart - t0.QuadPart) / freq.QuadPart;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    const bool haveMemory = process && GetProcessMemoryInfo(process, &pmc, sizeof pmc);
    if (process)
        CloseHandle(process);
    std::printf("ticks %d answered %d tick %.2f ms working-set %llu KB\n", count, answered, count ? ms / count : 0.0,
                haveMemory ? static_cast<unsigned long long>(pmc.WorkingSetSize / 1024) : 0ull);
    return answered == count ? 0 : 1;
}

struct Resources {
    unsigned long long workingSetKb = 0;
    DWORD gdi = 0, user = 0, handles = 0;
};

Resources ResourcesOf(DWORD pid)
{
    Resources r;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return r;
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(process, &pmc, sizeof pmc))
        r.workingSetKb = pmc.WorkingSetSize / 1024;
    r.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    r.user = GetGuiResources(process, GR_USEROBJECTS);
    GetProcessHandleCount(process, &r.handles);
    CloseHandle(process);
    return r;
}

void PrintResources(const char* when, int ticks, const Resources& r)
{
    std::printf("soak %s ticks %d working-set %llu KB gdi %lu user %lu handles %lu\n", when, ticks, r.workingSetKb,
                static_cast<unsigned long>(r.gdi), static_cast<unsigned long>(r.user),
                static_cast<unsigned long>(r.handles));
    std::fflush(stdout);
}

// Eight hours of polling at 1.5 s, sent back to back.
int Soak(int count)
{
    Find f = {0, true, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&f));
    if (!f.found) {
        std::printf("soak: no main window\n");
        return 1;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(f.found, &pid);
    PrintResources("start", 0, ResourcesOf(pid));
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    int answered = 0;
    for (int i = 0; i < count; ++i) {
        DWORD_PTR r = 0;
        answered += SendMessageTimeoutW(f.found, WM_TIMER, kRefreshTimer, 0, SMTO_NORMAL, 20000, &r) != 0;
    }
    QueryPerformanceCounter(&t1);
    PrintResources("end", count, ResourcesOf(pid));
    std::printf("soak answered %d of %d in %.1f s\n", answered, count,
                static_cast<double>(t1.QuadPart - t0.QuadPart) / freq.QuadPart);
    return answered == count ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"firstpaint" && argc > 2)
        return FirstPaint(argv[2], L"");
    if (mode == L"firstpaint-bare") {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        return FirstPaint(self, L"bare-window");
    }
    if (mode == L"bare-window")
        return BareWindow();
    if (mode == L"ticks" && argc > 2)
        return Ticks(_wtoi(argv[2]));
    if (mode == L"soak" && argc > 2)
        return Soak(_wtoi(argv[2]));
    std::fprintf(stderr, "usage: app_probe firstpaint EXE | firstpaint-bare | ticks N | soak N\n");
    return 2;
}
