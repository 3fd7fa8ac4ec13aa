#include "engine/core/SDebug.h"
#include <windows.h>
#include <mutex>

namespace SOUI {

namespace {
std::mutex g_sinkLock;
SLogSink g_sink;
} // namespace

void SLog(const std::wstring& line)
{
    std::wstring out = line + L"\n";
    OutputDebugStringW(out.c_str());
    SLogSink sink;
    {
        std::lock_guard<std::mutex> lock(g_sinkLock);
        sink = g_sink;
    }
    if (sink) sink(line);
}

SLogSink SetLogSink(SLogSink sink)
{
    std::lock_guard<std::mutex> lock(g_sinkLock);
    SLogSink old = std::move(g_sink);
    g_sink = std::move(sink);
    return old;
}

} // namespace SOUI
