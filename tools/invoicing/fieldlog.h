#pragma once
#include <windows.h>

#include <string>

// Every WM_SETTEXT a window of an issuing tree receives, once the tree is built,
// is appended to one UTF-8 file as "key<TAB>text" (tab, CR, LF and backslash
// escaped), so a test sees exactly which windows were written, in which order.
void SetFieldLogPath(const std::wstring& path);

// Starts logging the window under the given key; the key must outlive the window.
void WatchWindowText(HWND window, const wchar_t* key);

// Tree construction sets initial texts; those are not writes from outside.
void SetFieldLogEnabled(bool enabled);

// Called by window procedures of our own classes for a WM_SETTEXT they receive.
void LogTextWrite(const wchar_t* key, const wchar_t* text);
