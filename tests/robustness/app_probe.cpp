// Drives the real Moravel.exe from outside for scripts/bench: start to first paint,
// and the main window's working set over refresh ticks. Prints figures, asserts nothing.
//   app_probe firstpaint EXE      ms from CreateProcess to the first painted window
//   app_probe firstpaint-bare     the same for the bare window (baseline)
//   app_probe bare-window         the bare window itself, left open: a translucent window of
//                                 the main window's size with GDI+ started and the program's
//                                 fonts drawn once, updated through UpdateLayeredWindow (also
//                                 the baseline for the resident set)
//   app_probe bare-window-net URL the same window, and every 1.5 s what a refresh tick must do
//                                 at the least: one WinINet GET of URL read whole, and every
//                                 top-level window's title read once (the baseline for idle
//                                 CPU, and a second one for the resident set)
//   app_probe ticks N [SERVICE]   sends N refresh ticks to the main window, then prints
//                                 ms a tick and the working set; with the substitute service's
//                                 base URL each tick waits until the service has logged its read
//   app_probe soak N [EVERY [SERVICE]]  the same, printing working set, private bytes, GDI and
//                                 USER objects and handle count before the first tick, every
//                                 EVERY ticks and after the last
#include <windows.h>
#include <psapi.h>
#include <objidl.h>
#include <gdiplus.h>
#include <wininet.h>

#include <cstdio>
#include <cwchar>
#include <memory>
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

// `label` names the start in every line, so a failed start is dropped by name, not by position.
int FirstPaint(const char* label, const std::wstring& exe, const std::wstring& args)
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
            std::printf("first paint %s %.1f ms\n", label, 1000.0 * (t1.QuadPart - t0.QuadPart) / freq.QuadPart);
            return 0;
        }
        Sleep(1);
    }
    std::printf("first paint %s failed: no painted window\n", label);
    return 1;
}

// One poll of the bare baseline: the request on a kept connection, the answer read whole, and
// each top-level window's title read once.
class BarePoll {
public:
    explicit BarePoll(const std::wstring& url)
    {
        wchar_t host[256] = {}, path[2048] = {};
        URL_COMPONENTSW parts = {};
        parts.dwStructSize = sizeof parts;
        parts.lpszHostName = host;
        parts.dwHostNameLength = 256;
        parts.lpszUrlPath = path;
        parts.dwUrlPathLength = 2048;
        if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts))
            return;
        m_path = path;
        m_internet = InternetOpenW(L"Http-connect", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (m_internet)
            m_connection =
                InternetConnectW(m_internet, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    }
    ~BarePoll()
    {
        if (m_connection)
            InternetCloseHandle(m_connection);
        if (m_internet)
            InternetCloseHandle(m_internet);
    }
    void Tick()
    {
        Fetch();
        EnumWindows(
            [](HWND wnd, LPARAM) -> BOOL {
                wchar_t title[256];
                GetWindowTextW(wnd, title, 256);
                return TRUE;
            },
            0);
    }

private:
    void Fetch()
    {
        if (!m_connection)
            return;
        HINTERNET request = HttpOpenRequestW(m_connection, L"GET", m_path.c_str(), L"HTTP/1.1", nullptr, nullptr,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
        if (!request)
            return;
        if (HttpSendRequestW(request, nullptr, 0, nullptr, 0)) {
            m_answer.clear();
            char chunk[16384];
            DWORD got = 0;
            while (InternetReadFile(request, chunk, sizeof chunk, &got) && got)
                m_answer.append(chunk, got);
        }
        InternetCloseHandle(request);
    }

    HINTERNET m_internet = nullptr, m_connection = nullptr;
    std::wstring m_path;
    std::string m_answer;
};

// The baseline: what any translucent window of the main window's size with the program's
// fonts and GDI+ costs. Text is drawn with each of the fonts the program's layouts name,
// into a 32-bit buffer, made opaque and handed to UpdateLayeredWindow.
int BareWindow(const wchar_t* pollUrl)
{
    ULONG_PTR gdiplus = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&gdiplus, &input, nullptr) != Gdiplus::Ok)
        return 1;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MoravelBareProbe";
    RegisterClassW(&wc);
    const int w = 462, h = 730;
    HWND hwnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, wc.lpszClassName, L"Lumora开票助手", WS_POPUP, 100,
                                100, w, h, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd)
        return 1;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ oldBmp = SelectObject(mem, dib);
    for (int i = 0; i < w * h; ++i)
        bits[i] = 0xFFFFFFFFu;
    RECT bar = {0, 0, w, 60};
    FillRect(mem, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    struct Face {
        const wchar_t* name;
        int size;
        int weight;
    };
    const Face faces[] = {{L"微软雅黑", 16, FW_NORMAL}, {L"微软雅黑", 15, FW_NORMAL},
                          {L"微软雅黑", 14, FW_NORMAL}, {L"微软雅黑", 12, FW_NORMAL},
                          {L"微软雅黑", 18, FW_BOLD},   {L"PingFangSC-Regular", 15, FW_NORMAL}};
    SetBkMode(mem, TRANSPARENT);
    int y = 70;
    std::vector<HFONT> fonts;
    for (const Face& f : faces) {
        HFONT font =
            CreateFontW(-f.size, 0, 0, 0, f.weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, f.name);
        fonts.push_back(font);
        HGDIOBJ old = SelectObject(mem, font);
        RECT rc = {12, y, w - 12, y + 40};
        DrawTextW(mem, L"福州路明信息技术有限公司 91350100M000100Y43", -1, &rc, DT_SINGLELINE | DT_VCENTER);
        SelectObject(mem, old);
        y += 47;
    }
    GdiFlush();
    for (int i = 0; i < w * h; ++i)
        bits[i] |= 0xFF000000u;
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    SIZE sz = {w, h};
    POINT src = {0, 0};
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(hwnd, nullptr, nullptr, &sz, mem, &src, 0, &bf, ULW_ALPHA);
    std::unique_ptr<BarePoll> poll;
    if (pollUrl) {
        poll = std::make_unique<BarePoll>(pollUrl);
        SetTimer(hwnd, kRefreshTimer, 1500, nullptr);
    }
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (m.message == WM_TIMER && m.hwnd == hwnd && poll) {
            poll->Tick();
            continue;
        }
        DispatchMessageW(&m);
    }
    SelectObject(mem, oldBmp);
    DeleteObject(dib);
    DeleteDC(mem);
    for (HFONT font : fonts)
        DeleteObject(font);
    Gdiplus::GdiplusShutdown(gdiplus);
    return 0;
}

// The service's control page that hands over (and forgets) the requests it has logged; empty:
// ticks are not matched with the service's requests.
std::wstring g_requestLog;

// How many history reads the service has logged since last asked; -1 when it did not answer.
int HistoryReadsLogged()
{
    HINTERNET internet = InternetOpenW(L"app_probe", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET request = internet ? InternetOpenUrlW(internet, g_requestLog.c_str(), nullptr, 0,
                                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                 : nullptr;
    std::string log;
    char chunk[16384];
    DWORD got = 0;
    while (request && InternetReadFile(request, chunk, sizeof chunk, &got) && got)
        log.append(chunk, got);
    if (request)
        InternetCloseHandle(request);
    if (internet)
        InternetCloseHandle(internet);
    if (!request)
        return -1;
    int reads = 0;
    for (size_t at = log.find("getFaiaoList"); at != std::string::npos; at = log.find("getFaiaoList", at + 1))
        ++reads;
    return reads;
}

// One refresh tick as the timer gives it, then the program left to drain its queue (the
// layered repaint the refresh posted) as it would in the 1.5 s between two real ticks. The
// poll runs on the program's worker: with the service's log at hand, a tick ends once the
// service has answered its read, so that every tick is one request, as on the merchant's PC.
bool Tick(HWND main, HANDLE process)
{
    DWORD_PTR r = 0;
    bool answered = SendMessageTimeoutW(main, WM_TIMER, kRefreshTimer, 0, SMTO_NORMAL, 20000, &r) != 0;
    if (answered && !g_requestLog.empty()) {
        const ULONGLONG until = GetTickCount64() + 10000;
        int reads = 0;
        while ((reads = HistoryReadsLogged()) == 0 && GetTickCount64() < until)
            Sleep(1);
        answered = reads > 0;
    }
    if (process)
        WaitForInputIdle(process, 2000);
    return answered;
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
    HANDLE idle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    for (int i = 0; i < count; ++i)
        answered += Tick(f.found, idle);
    if (idle)
        CloseHandle(idle);
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
    unsigned long long workingSetKb = 0, privateKb = 0;
    DWORD gdi = 0, user = 0, handles = 0;
};

Resources ResourcesOf(DWORD pid)
{
    Resources r;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return r;
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc)) {
        r.workingSetKb = pmc.WorkingSetSize / 1024;
        r.privateKb = pmc.PrivateUsage / 1024;
    }
    r.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    r.user = GetGuiResources(process, GR_USEROBJECTS);
    GetProcessHandleCount(process, &r.handles);
    CloseHandle(process);
    return r;
}

void PrintResources(const char* when, int ticks, const Resources& r)
{
    std::printf("soak %s ticks %d working-set %llu KB private %llu KB gdi %lu user %lu handles %lu\n", when, ticks,
                r.workingSetKb, r.privateKb, static_cast<unsigned long>(r.gdi), static_cast<unsigned long>(r.user),
                static_cast<unsigned long>(r.handles));
    std::fflush(stdout);
}

// Eight hours of polling at 1.5 s, sent back to back; the resources every `every` ticks show
// whether growth levels off (a heap settling) or keeps its pace (a leak).
int Soak(int count, int every)
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
    HANDLE idle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    for (int i = 0; i < count; ++i) {
        answered += Tick(f.found, idle);
        if (every > 0 && (i + 1) % every == 0 && i + 1 < count)
            PrintResources("at", i + 1, ResourcesOf(pid));
    }
    QueryPerformanceCounter(&t1);
    if (idle)
        CloseHandle(idle);
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
        return FirstPaint("app", argv[2], L"");
    if (mode == L"firstpaint-bare") {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        return FirstPaint("bare", self, L"bare-window");
    }
    if (mode == L"bare-window")
        return BareWindow(nullptr);
    if (mode == L"bare-window-net" && argc > 2)
        return BareWindow(argv[2]);
    if (mode == L"ticks" && argc > 2) {
        if (argc > 3)
            g_requestLog = std::wstring(argv[3]) + L"_control/requests?clear=1";
        return Ticks(_wtoi(argv[2]));
    }
    if (mode == L"soak" && argc > 2) {
        if (argc > 4)
            g_requestLog = std::wstring(argv[4]) + L"_control/requests?clear=1";
        return Soak(_wtoi(argv[2]), argc > 3 ? _wtoi(argv[3]) : 0);
    }
    std::fprintf(stderr, "usage: app_probe firstpaint EXE | firstpaint-bare | bare-window | bare-window-net URL | "
                         "ticks N [SERVICE] | soak N [EVERY [SERVICE]]\n");
    return 2;
}
