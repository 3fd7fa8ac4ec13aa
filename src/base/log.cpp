#include "base/log.h"

#include <windows.h>

#include <io.h>

#include <atomic>
#include <cstdio>
#include <mutex>

#include "base/handle.h"
#include "base/supportlog.h"

namespace {
std::mutex g_sinkLock;
DebugSink g_sink;
std::atomic<bool> g_hasSink{false};

// Wine hands the debugger output to its "seh" (wide) and "debugstr" channels.
bool WinePrintsDebugOutput()
{
    static const bool prints = [] {
        wchar_t value[512] = {};
        const DWORD n = GetEnvironmentVariableW(L"WINEDEBUG", value, 512);
        if (n == 0 || n >= 512)
            return false;
        const std::wstring channels(value);
        return channels.find(L"seh") != std::wstring::npos || channels.find(L"debugstr") != std::wstring::npos;
    }();
    return prints;
}

// A debug-output viewer listens on the system's buffer without attaching as a debugger:
// it makes the event that OutputDebugString waits on before writing there. Asked at each
// line, since a viewer may be started or closed while the program runs.
bool ViewerListens()
{
    for (const wchar_t* name : {L"DBWIN_BUFFER_READY", L"Global\\DBWIN_BUFFER_READY"}) {
        KernelHandle ready(OpenEventW(SYNCHRONIZE, FALSE, name));
        if (ready)
            return true;
    }
    return false;
}

bool DebugOutputRead()
{
    return IsDebuggerPresent() || WinePrintsDebugOutput() || ViewerListens();
}

void ToDebugOutput(const std::wstring& line)
{
    if (DebugOutputRead())
        OutputDebugStringW((line + L"\n").c_str());
}

bool HandleIsRead(HANDLE h)
{
    if (!h || h == INVALID_HANDLE_VALUE)
        return false;
    switch (GetFileType(h)) {
    case FILE_TYPE_DISK:
    case FILE_TYPE_PIPE:
        return true;
    case FILE_TYPE_CHAR: {
        // NUL is a character device as well; only a console has a mode.
        DWORD mode = 0;
        return GetConsoleMode(h, &mode) != FALSE;
    }
    default:
        return false;
    }
}
}  // namespace

bool DebugLineWanted()
{
    return g_hasSink.load() || DebugOutputRead();
}

bool StdoutTraceWanted()
{
    const int fd = _fileno(stdout);
    if (fd < 0)
        return false;
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    // The answer holds until the runtime's output moves to another handle; asking the
    // system costs more than the line.
    static std::mutex lock;
    static HANDLE known = nullptr;
    static bool read = false;
    std::lock_guard<std::mutex> hold(lock);
    if (h != known || !known) {
        known = h;
        read = HandleIsRead(h);
    }
    return read;
}

void DebugLine(const std::wstring& line)
{
    ToDebugOutput(line);
    // The worker thread logs too, so the sink is read under the lock.
    DebugSink sink;
    {
        std::lock_guard<std::mutex> hold(g_sinkLock);
        sink = g_sink;
    }
    if (sink)
        sink(line);
}

void SupportLine(const std::wstring& line)
{
    WriteSupportLine(line);
    // To the debugger output as well, but not to DebugLine's sink: that one sees DebugLine's
    // own lines and nothing else.
    ToDebugOutput(line);
}

DebugSink SetDebugSink(DebugSink sink)
{
    std::lock_guard<std::mutex> hold(g_sinkLock);
    DebugSink previous = std::move(g_sink);
    g_sink = std::move(sink);
    g_hasSink = static_cast<bool>(g_sink);
    return previous;
}
