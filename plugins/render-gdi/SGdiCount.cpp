#include "SGdiCount.h"

namespace SOUI {

namespace {
// Interlocked: fonts and bitmaps may be released by the last holder on any thread.
volatile LONG g_live[GdiKind_Count] = {};
}  // namespace

void GdiCountCreated(GdiObjectKind kind)
{
    InterlockedIncrement(&g_live[kind]);
}
void GdiCountDeleted(GdiObjectKind kind)
{
    InterlockedDecrement(&g_live[kind]);
}

LONG GdiCountLive(int kind)
{
    if (kind < 0 || kind >= GdiKind_Count)
        return -1;
    return InterlockedCompareExchange(&g_live[kind], 0, 0);
}

}  // namespace SOUI

extern "C" __declspec(dllexport) LONG SGetGdiObjectCount(int kind)
{
    return SOUI::GdiCountLive(kind);
}
