#pragma once
#include <windows.h>

namespace SOUI {

// Layouts are written for 96 dots per inch (100 %); a window draws at its own DPI.
constexpr int kBaseDpi = 96;

// A 96-dpi length at dpi, rounded to the nearest pixel (halves away from zero), so that a
// length and its negation scale alike and every edge of a layout moves the same way.
inline int ScaleForDpi(int value, int dpi)
{
    if (dpi <= 0 || dpi == kBaseDpi)
        return value;
    long long v = static_cast<long long>(value) * dpi;
    return static_cast<int>(v >= 0 ? (v + kBaseDpi / 2) / kBaseDpi : -((-v + kBaseDpi / 2) / kBaseDpi));
}

// The display functions Windows 7 lacks are looked up when first needed; each call below
// falls back to what Windows 7 has (the system DPI, SetProcessDPIAware).

// Per-monitor aware (v2, else v1), else system aware. Harmless when the manifest already
// said so. TRUE when one of the calls took.
BOOL DeclareDpiAwareness();
// The desktop's DPI (GetDpiForSystem, else LOGPIXELSX of the screen).
int GetSystemDpi();
// The DPI a window draws at; the system DPI where the system cannot tell per window.
int GetWindowDpi(HWND hwnd);
// The DPI of a monitor (GetDpiForMonitor, else the system DPI).
int GetMonitorDpi(HMONITOR monitor);
// The DPI of the monitor nearest a screen point.
int GetPointDpi(POINT pt);
// A system metric (SM_CXICON, ...) as it is at dpi.
int GetSystemMetricForDpi(int index, int dpi);

}  // namespace SOUI
