// Debug output of the native build: lines go to the capture sink only.
#include "base/log.h"

#include <mutex>

namespace {
std::mutex g_lock;
DebugSink g_sink;
}  // namespace

void DebugLine(const std::wstring& line)
{
    DebugSink sink;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        sink = g_sink;
    }
    if (sink)
        sink(line);
}

bool DebugLineWanted()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return static_cast<bool>(g_sink);
}

bool StdoutTraceWanted()
{
    return false;
}

DebugSink SetDebugSink(DebugSink sink)
{
    std::lock_guard<std::mutex> hold(g_lock);
    DebugSink previous = std::move(g_sink);
    g_sink = std::move(sink);
    return previous;
}
