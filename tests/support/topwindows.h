#pragma once
// Windows of another process found from outside: visible top-level ones by class and
// size, their texts, and bounded waits for them.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Polls `done` every 50 ms until it holds or `ms` have passed; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, DWORD ms);

// Visible top-level windows of the process with that class ("" for any), in Z order.
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* className);
// The first of them; null when none.
HWND FindTopWindow(DWORD pid, const wchar_t* className);
HWND WaitTopWindow(DWORD pid, const wchar_t* className, DWORD ms);

bool ClassIs(HWND hwnd, const wchar_t* className);
SIZE WindowSize(HWND hwnd);
RECT ScreenRect(HWND hwnd);
std::wstring WindowText(HWND hwnd);

// A visible host window ("SOUIHOST") of the process of that size, or within `slack` pixels
// of it in each dimension; null when none.
HWND FindHost(DWORD pid, SIZE size, int slack = 0);
HWND WaitHost(DWORD pid, SIZE size, DWORD ms, int slack = 0);

// A native message box or dialog ("#32770") of the process; its static texts joined.
HWND FindBox(DWORD pid);
std::wstring BoxText(HWND box);
