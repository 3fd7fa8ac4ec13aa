// What a shipped window costs to create and paint for the first time at the desktop's
// display scale: run by bench/dpi/run.sh once with the desktop at 96 dpi and once at 192,
// and compared there. Each window: created from its layout, its back buffer painted in
// full, destroyed; the median of the runs. Prints figures, asserts nothing.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "app/uiengine.h"
#include "benchclock.h"
#include "engine/core/SDpi.h"
#include "engine/core/SEngine.h"

using namespace SOUI;

int wmain()
{
    UiEngine engine;
    if (!engine.Init(GetModuleHandleW(nullptr))) {
        fprintf(stderr, "the engine did not start\n");
        return 1;
    }
    const wchar_t* const windows[] = {L"LAYOUT:XML_MAINWND", L"LAYOUT:LOGIN_FRAME", L"LAYOUT:BIZCARD_FRAME",
                                      L"LAYOUT:INPUT_FRAME", L"LAYOUT:XML_MSGBOX"};
    const int runs = 15;
    double total = 0;
    for (const wchar_t* layout : windows) {
        std::vector<double> took, created;
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
            if (i >= 2) {  // the first two warm the caches up
                took.push_back(ms);
                created.push_back(made);
            }
        }
        const double median = Median(took);
        total += median;
        fprintf(stderr, "%-22ls %3d dpi %4ldx%-4ld create + first paint %7.2f ms (of which create %6.2f; median of %d)\n",
                layout, dpi, size.cx, size.cy, median, Median(created), runs);
    }
    fprintf(stderr, "all five windows at %d dpi: %.2f ms\n", GetSystemDpi(), total);
    return 0;
}
