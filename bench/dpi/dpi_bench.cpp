// What a shipped window costs to create and paint for the first time at the desktop's
// display scale: run by bench/dpi/run.sh once with the desktop at 96 dpi and once at 192,
// and compared there. Each window: created from its layout, its back buffer painted in
// full, destroyed; the median of the runs. Beside each, a bare layered window of the same
// size: created, its bitmap filled and handed to UpdateLayeredWindow, destroyed. That
// is the part of the cost the platform makes proportional to pixels. Prints figures,
// asserts nothing.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "app/uiengine.h"
#include "bare.h"
#include "benchclock.h"
#include "engine/core/SDpi.h"
#include "engine/SEngine.h"
#include "profilectl.h"

using namespace SOUI;

namespace {

// A destroyed window's last work lands in other processes (the desktop repaints, the X
// server frees); let it finish so that it is not billed to the next window measured.
void Settle()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    Sleep(30);
}

// The least a translucent window of this size costs to appear: the shared bare layered
// window (window, 32-bit DIB, the fill and alpha sweeps, the layered update).
double BareLayeredMs(SIZE size)
{
    const double start = NowMs();
    double ms = 0;
    {
        bare::LayeredWindow wnd(size.cx, size.cy);
        wnd.Paint({});
        ms = NowMs() - start;
    }
    Settle();
    return ms;
}

}  // namespace

int wmain()
{
    CUiEngine engine;
    if (!engine.Init(GetModuleHandleW(nullptr))) {
        fprintf(stderr, "the engine did not start\n");
        return 1;
    }
    if (!profilectl::Row().empty())
        profilectl::PrintEngineModuleBases("dpi_bench.exe");
    const wchar_t* const windows[] = {L"LAYOUT:XML_MAINWND", L"LAYOUT:LOGIN_FRAME", L"LAYOUT:BIZCARD_FRAME",
                                      L"LAYOUT:INPUT_FRAME", L"LAYOUT:XML_MSGBOX"};
    const int runs = 15;
    double total = 0, bareTotal = 0;
    for (const wchar_t* layout : windows) {
        std::vector<double> took, created, bare;
        SIZE size = {0, 0};
        int dpi = 0;
        for (int i = 0; i < runs + 2; ++i) {
            const double start = NowMs();
            auto host = std::make_unique<SHostWnd>(layout);
            if (!host->Create(nullptr)) {
                fprintf(stderr, "%ls did not open\n", layout);
                return 1;
            }
            const double made = NowMs() - start;
            RECT rc;
            ::GetClientRect(host->m_hWnd, &rc);
            host->InvalidateRect(rc);
            host->UpdateNow();
            const double ms = NowMs() - start;
            size = SIZE{rc.right, rc.bottom};
            dpi = host->GetDpi();
            host.reset();
            Settle();
            const double bareMs = BareLayeredMs(size);
            if (i >= 2) {  // the first two warm the caches up
                took.push_back(ms);
                created.push_back(made);
                bare.push_back(bareMs);
            }
        }
        const double median = Median(took);
        total += median;
        bareTotal += Median(bare);
        fprintf(stderr,
                "%-22ls %3d dpi %4ldx%-4ld create + first paint %7.2f ms (of which create %6.2f; bare layered %6.2f; "
                "median of %d)\n",
                layout, dpi, size.cx, size.cy, median, Median(created), Median(bare), runs);
    }
    fprintf(stderr, "all five windows at %d dpi: %.2f ms\n", GetSystemDpi(), total);
    fprintf(stderr, "bare layered windows of the same sizes at %d dpi: %.2f ms\n", GetSystemDpi(), bareTotal);
    return 0;
}
