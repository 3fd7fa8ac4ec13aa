#pragma once
// Lets bench/profile.sh sample one row only: MORAVEL_BENCH_PROFILE names the row,
// MORAVEL_BENCH_PROFILE_RUNS how often its measured side runs, and
// MORAVEL_BENCH_PROFILE_CTL the perf --control fifos (separated by ';') to switch on and off.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace profilectl {

inline std::string Row()
{
    char row[64] = {};
    return GetEnvironmentVariableA("MORAVEL_BENCH_PROFILE", row, sizeof row) && *row ? row : "";
}

inline int Runs()
{
    char runs[16] = {};
    const int n = GetEnvironmentVariableA("MORAVEL_BENCH_PROFILE_RUNS", runs, sizeof runs) ? std::atoi(runs) : 0;
    return n > 0 ? n : 300;
}

// "enable\n" or "disable\n" to every recorder.
inline void Send(const char* command)
{
    char list[1024] = {};
    if (!GetEnvironmentVariableA("MORAVEL_BENCH_PROFILE_CTL", list, sizeof list))
        return;
    for (char* path = std::strtok(list, ";"); path; path = std::strtok(nullptr, ";")) {
        HANDLE fifo =
            CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (fifo == INVALID_HANDLE_VALUE)
            continue;
        DWORD written = 0;
        WriteFile(fifo, command, static_cast<DWORD>(std::strlen(command)), &written, nullptr);
        CloseHandle(fifo);
    }
}

// Where a module sits, for a profiler that finds it in anonymous memory (Wine copies the
// sections of a module not page-aligned in its file); bench/profile.sh reads these lines.
inline void PrintModuleBase(const wchar_t* module, const char* name)
{
    if (HMODULE base = GetModuleHandleW(module))
        std::fprintf(stderr, "module %s base %p\n", name, static_cast<void*>(base));
}

// The benchmark itself and the engine's plug-ins, under whichever names they were built.
inline void PrintEngineModuleBases(const char* exe)
{
    PrintModuleBase(nullptr, exe);
    PrintModuleBase(L"render-gdid.dll", "render-gdid.dll");
    PrintModuleBase(L"imgdecoder-gdipd.dll", "imgdecoder-gdipd.dll");
    PrintModuleBase(L"render-gdi.dll", "render-gdi.dll");
    PrintModuleBase(L"imgdecoder-gdip.dll", "imgdecoder-gdip.dll");
}

}  // namespace profilectl
