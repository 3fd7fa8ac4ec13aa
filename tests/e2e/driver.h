#pragma once
// A small driver for the real program: processes ended by their handles, windows of a
// process found by class and size, clicks and keystrokes posted as the mouse and the
// keyboard would deliver them, bounded waits.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "bridge/handles.h"
#include "tempdir.h"

// A host path handed over by ctest (`/...`) as Wine sees it (`Z:\...`).
std::wstring FromHostPath(const wchar_t* variable);
std::wstring FolderOf(const std::wstring& path);

// A started process, ended by its handle when the holder goes.
class Process {
public:
    Process(const std::wstring& exe, const std::wstring& args, const std::wstring& startDir);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return m_process.valid(); }
    DWORD Pid() const { return m_pid; }
    // The exit code, or STILL_ACTIVE when it has not ended within `ms`.
    DWORD WaitExit(DWORD ms) const;

private:
    KernelHandle m_process;
    DWORD m_pid = 0;
};

// bin\Moravel.exe with its plug-ins and the working folder "Moravel" beside "bin",
// in a fresh folder of its own.
class Installation {
public:
    Installation();
    bool Ok() const { return m_ok; }
    std::wstring Exe() const { return m_bin + L"\\Moravel.exe"; }
    const std::wstring& Bin() const { return m_bin; }
    const std::wstring& Work() const { return m_work; }
    std::wstring Profile() const { return m_work + L"\\ops.dat"; }
    std::wstring File(const std::wstring& name) const { return m_root.File(name); }
    std::wstring ProfileValue(const std::wstring& section, const std::wstring& key) const;
    bool SetProfileValue(const std::wstring& section, const std::wstring& key, const std::wstring& value) const;

private:
    ScopedWorkDir m_root;
    std::wstring m_bin, m_work;
    bool m_ok = false;
};

// Polls `done` every 50 ms until it holds or `ms` have passed; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, DWORD ms);

// Visible top-level windows of the process with that class ("" for any).
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* className);
SIZE WindowSize(HWND hwnd);
RECT ScreenRect(HWND hwnd);
std::wstring WindowText(HWND hwnd);
// A visible host window ("SOUIHOST") of the process of that size; null when none.
HWND FindHost(DWORD pid, SIZE size);
HWND WaitHost(DWORD pid, SIZE size, DWORD ms);
// Visible EDIT windows of the process (top-level pop-ups and children) whose centre
// lies inside `area` (screen), top to bottom.
std::vector<HWND> EditsWithin(DWORD pid, const RECT& area);

// A left click at client point `at` of the window, as the mouse delivers it.
void Click(HWND wnd, POINT at);
// Types `text` into an edit key by key (WM_CHAR), after emptying it.
void Type(HWND edit, const std::wstring& text);

// A native message box or dialog ("#32770") of the process; its static texts joined.
HWND FindBox(DWORD pid);
std::wstring BoxText(HWND box);

// The layouts' message box (380 × 210): its buttons sit on the bottom row, right-aligned.
extern const SIZE kMessageBox;
extern const POINT kBoxOkOfTwo;     // "确定" when it asks OK or cancel
extern const POINT kBoxOkOfOne;     // "确定" of a notice

// Runs a program beside the test executable and returns its standard output (up to
// the pipe's buffer); empty when it did not start. Ended by its handle after `ms`.
std::string RunAndRead(const std::wstring& exe, DWORD ms);

// The string value of "key" inside the JSON object "object" of a one-line document;
// empty when missing. Only what invoicing_dump prints is understood.
std::wstring JsonValue(const std::string& json, const std::string& object, const std::string& key);
