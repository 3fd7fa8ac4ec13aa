#include "topwindows.h"

#include <cstdlib>

bool WaitUntil(const std::function<bool()>& done, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= ms)
            return done();
        Sleep(50);
    }
    return true;
}

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* className)
{
    struct Args {
        DWORD pid;
        const wchar_t* className;
        std::vector<HWND> found;
    } args = {pid, className, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* a = reinterpret_cast<Args*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == a->pid && IsWindowVisible(hwnd) && (!*a->className || ClassIs(hwnd, a->className)))
                a->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&args));
    return args.found;
}

HWND FindTopWindow(DWORD pid, const wchar_t* className)
{
    std::vector<HWND> found = TopWindows(pid, className);
    return found.empty() ? nullptr : found.front();
}

HWND WaitTopWindow(DWORD pid, const wchar_t* className, DWORD ms)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(pid, className)) != nullptr; }, ms);
    return found;
}

bool ClassIs(HWND hwnd, const wchar_t* className)
{
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    return _wcsicmp(cls, className) == 0;
}

RECT ScreenRect(HWND hwnd)
{
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    return rc;
}

SIZE WindowSize(HWND hwnd)
{
    RECT rc = ScreenRect(hwnd);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

std::wstring WindowText(HWND hwnd)
{
    wchar_t buf[512] = {};
    GetWindowTextW(hwnd, buf, 512);
    return buf;
}

HWND FindHost(DWORD pid, SIZE size, int slack)
{
    for (HWND hwnd : TopWindows(pid, L"SOUIHOST")) {
        SIZE s = WindowSize(hwnd);
        if (std::abs(s.cx - size.cx) <= slack && std::abs(s.cy - size.cy) <= slack)
            return hwnd;
    }
    return nullptr;
}

HWND WaitHost(DWORD pid, SIZE size, DWORD ms, int slack)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindHost(pid, size, slack)) != nullptr; }, ms);
    return found;
}

HWND FindBox(DWORD pid)
{
    return FindTopWindow(pid, L"#32770");
}

std::wstring BoxText(HWND box)
{
    std::wstring text;
    EnumChildWindows(
        box,
        [](HWND hwnd, LPARAM lp) -> BOOL {
            if (ClassIs(hwnd, L"Static"))
                *reinterpret_cast<std::wstring*>(lp) += WindowText(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    return text;
}
