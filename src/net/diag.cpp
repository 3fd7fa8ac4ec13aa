#include "diag.h"

#include <windows.h>

#include <mutex>

namespace {
std::mutex g_sinkLock;
DebugSink g_sink;
}  // namespace

void DebugLine(const std::wstring& line)
{
    OutputDebugStringW((line + L"\n").c_str());
    // The worker thread logs too, so the sink is read under the lock.
    DebugSink sink;
    {
        std::lock_guard<std::mutex> hold(g_sinkLock);
        sink = g_sink;
    }
    if (sink)
        sink(line);
}

DebugSink SetDebugSink(DebugSink sink)
{
    std::lock_guard<std::mutex> hold(g_sinkLock);
    DebugSink previous = std::move(g_sink);
    g_sink = std::move(sink);
    return previous;
}
