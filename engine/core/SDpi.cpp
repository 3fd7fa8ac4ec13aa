#include "engine/core/SDpi.h"

#include "engine/core/SSystemFunction.h"

namespace SOUI {

namespace {
// The awareness contexts as user32 defines them (absent from the Windows 7 headers).
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-3));
constexpr int kProcessPerMonitorDpiAware = 2;
constexpr int kMdtEffectiveDpi = 0;

bool Plausible(int dpi)
{
    return dpi >= 48 && dpi <= 960;
}
}  // namespace

BOOL DeclareDpiAwareness()
{
    using SetContext = BOOL(WINAPI*)(HANDLE);
    if (auto set = SystemFunction<SetContext>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
        if (set(kPerMonitorAwareV2) || set(kPerMonitorAware))
            return TRUE;
    }
    using SetAwareness = HRESULT(WINAPI*)(int);
    if (auto set = SystemFunction<SetAwareness>(L"shcore.dll", "SetProcessDpiAwareness")) {
        if (SUCCEEDED(set(kProcessPerMonitorDpiAware)))
            return TRUE;
    }
    using SetAware = BOOL(WINAPI*)();
    if (auto set = SystemFunction<SetAware>(L"user32.dll", "SetProcessDPIAware"))
        return set();
    return FALSE;
}

int GetSystemDpi()
{
    using ForSystem = UINT(WINAPI*)();
    static const ForSystem forSystem = SystemFunction<ForSystem>(L"user32.dll", "GetDpiForSystem");
    if (forSystem) {
        int dpi = int(forSystem());
        if (Plausible(dpi))
            return dpi;
    }
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : kBaseDpi;
    if (dc)
        ReleaseDC(nullptr, dc);
    return Plausible(dpi) ? dpi : kBaseDpi;
}

int GetWindowDpi(HWND hwnd)
{
    using ForWindow = UINT(WINAPI*)(HWND);
    static const ForWindow forWindow = SystemFunction<ForWindow>(L"user32.dll", "GetDpiForWindow");
    if (forWindow && hwnd) {
        int dpi = int(forWindow(hwnd));
        if (Plausible(dpi))
            return dpi;
    }
    return GetSystemDpi();
}

int GetMonitorDpi(HMONITOR monitor)
{
    using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const ForMonitor forMonitor = SystemFunction<ForMonitor>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (forMonitor && monitor && SUCCEEDED(forMonitor(monitor, kMdtEffectiveDpi, &x, &y)) && Plausible(int(x)))
        return int(x);
    return GetSystemDpi();
}

int GetPointDpi(POINT pt)
{
    return GetMonitorDpi(MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST));
}

int GetSystemMetricForDpi(int index, int dpi)
{
    using ForDpi = int(WINAPI*)(int, UINT);
    static const ForDpi forDpi = SystemFunction<ForDpi>(L"user32.dll", "GetSystemMetricsForDpi");
    if (forDpi)
        return forDpi(index, UINT(dpi));
    // The system's metrics are at the system DPI.
    return MulDiv(GetSystemMetrics(index), dpi, GetSystemDpi());
}

}  // namespace SOUI
