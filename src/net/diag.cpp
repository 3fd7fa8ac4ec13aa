#include "diag.h"

#include <windows.h>

#include <mutex>

#include "net/filehandle.h"

namespace {
std::mutex g_sinkLock;
DebugSink g_sink;

// Tests of the real executable have no debugger; MORAVEL_DEBUG_LOG names a file
// that receives every line as UTF-8 as well.
void AppendToLogFile(const std::wstring& line)
{
    static const std::wstring path = [] {
        wchar_t buf[MAX_PATH] = {};
        DWORD n = GetEnvironmentVariableW(L"MORAVEL_DEBUG_LOG", buf, MAX_PATH);
        return (n > 0 && n < MAX_PATH) ? std::wstring(buf, n) : std::wstring();
    }();
    if (path.empty())
        return;
    std::wstring text = line + L"\r\n";
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    static std::mutex fileLock;
    std::lock_guard<std::mutex> hold(fileLock);
    FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
}  // namespace

void DebugLine(const std::wstring& line)
{
    OutputDebugStringW((line + L"\n").c_str());
    AppendToLogFile(line);
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
