#include "driver.h"

#include <algorithm>
#include <cstdlib>

#include "standinclient.h"

const SIZE kMessageBox = {380, 210};
const POINT kBoxOkOfTwo = {205, 175};
const POINT kBoxOkOfOne = {307, 175};

std::wstring FromHostPath(const wchar_t* variable)
{
    wchar_t buf[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(variable, buf, MAX_PATH);
    std::wstring path(buf, n < MAX_PATH ? n : 0);
    if (!path.empty() && path[0] == L'/') {
        std::replace(path.begin(), path.end(), L'/', L'\\');
        path = L"Z:" + path;
    }
    return path;
}

std::wstring FolderOf(const std::wstring& path)
{
    return path.substr(0, path.rfind(L'\\'));
}

Process::Process(const std::wstring& exe, const std::wstring& args, const std::wstring& startDir)
{
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    PROCESS_INFORMATION pi = {};
    if (CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       startDir.empty() ? nullptr : startDir.c_str(), &si, &pi)) {
        KernelHandle thread(pi.hThread);
        m_process = KernelHandle(pi.hProcess);
        m_pid = pi.dwProcessId;
    }
}

Process::~Process()
{
    if (m_process.valid()) {
        TerminateProcess(m_process.get(), 1);
        WaitForSingleObject(m_process.get(), 10000);
    }
}

DWORD Process::WaitExit(DWORD ms) const
{
    DWORD code = STILL_ACTIVE;
    if (m_process.valid() && WaitForSingleObject(m_process.get(), ms) == WAIT_OBJECT_0)
        GetExitCodeProcess(m_process.get(), &code);
    return code;
}

Installation::Installation()
{
    const std::wstring exe = FromHostPath(L"MORAVEL_EXE");
    m_bin = m_root.File(L"bin");
    m_work = m_root.File(L"Moravel");
    m_ok = !exe.empty() && CreateDirectoryW(m_bin.c_str(), nullptr) && CreateDirectoryW(m_work.c_str(), nullptr);
    for (const wchar_t* file : {L"Moravel.exe", L"render-gdid.dll", L"imgdecoder-gdipd.dll"})
        m_ok = m_ok && CopyFileW((FolderOf(exe) + L"\\" + file).c_str(), (m_bin + L"\\" + file).c_str(), FALSE);
}

std::wstring Installation::ProfileValue(const std::wstring& section, const std::wstring& key) const
{
    wchar_t buf[512] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buf, 512, Profile().c_str());
    return buf;
}

bool Installation::SetProfileValue(const std::wstring& section, const std::wstring& key,
                                   const std::wstring& value) const
{
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), Profile().c_str()) != FALSE;
}

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

namespace {

struct TopArgs {
    DWORD pid;
    const wchar_t* className;
    std::vector<HWND> found;
};

bool ClassIs(HWND hwnd, const wchar_t* className)
{
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    return _wcsicmp(cls, className) == 0;
}

POINT Centre(const RECT& rc)
{
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* className)
{
    TopArgs args = {pid, className, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* a = reinterpret_cast<TopArgs*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == a->pid && IsWindowVisible(hwnd) && (!*a->className || ClassIs(hwnd, a->className)))
                a->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&args));
    return args.found;
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

HWND FindHost(DWORD pid, SIZE size)
{
    for (HWND hwnd : TopWindows(pid, L"SOUIHOST")) {
        SIZE s = WindowSize(hwnd);
        if (s.cx == size.cx && s.cy == size.cy)
            return hwnd;
    }
    return nullptr;
}

HWND WaitHost(DWORD pid, SIZE size, DWORD ms)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindHost(pid, size)) != nullptr; }, ms);
    return found;
}

std::vector<HWND> EditsWithin(DWORD pid, const RECT& area)
{
    struct Args {
        RECT area;
        std::vector<HWND> found;
    } args = {area, {}};
    auto collect = [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* a = reinterpret_cast<Args*>(lp);
        POINT c = Centre(ScreenRect(hwnd));
        if (ClassIs(hwnd, L"Edit") && IsWindowVisible(hwnd) && PtInRect(&a->area, c) &&
            std::find(a->found.begin(), a->found.end(), hwnd) == a->found.end())
            a->found.push_back(hwnd);
        return TRUE;
    };
    for (HWND top : TopWindows(pid, L"")) {
        collect(top, reinterpret_cast<LPARAM>(&args));
        EnumChildWindows(top, collect, reinterpret_cast<LPARAM>(&args));
    }
    std::sort(args.found.begin(), args.found.end(),
              [](HWND a, HWND b) { return Centre(ScreenRect(a)).y < Centre(ScreenRect(b)).y; });
    return args.found;
}

void Click(HWND wnd, POINT at)
{
    const LPARAM lp = MAKELPARAM(at.x, at.y);
    PostMessageW(wnd, WM_MOUSEMOVE, 0, lp);
    PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, lp);
    PostMessageW(wnd, WM_LBUTTONUP, 0, lp);
}

void Type(HWND edit, const std::wstring& text)
{
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (wchar_t c : text)
        SendMessageW(edit, WM_CHAR, c, 1);
}

HWND FindBox(DWORD pid)
{
    std::vector<HWND> boxes = TopWindows(pid, L"#32770");
    return boxes.empty() ? nullptr : boxes.front();
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

std::string RunAndRead(const std::wstring& exe, DWORD ms)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE r = nullptr, w = nullptr;
    if (!CreatePipe(&r, &w, &sa, 0))
        return {};
    KernelHandle readEnd(r), writeEnd(w);
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    PROCESS_INFORMATION pi = {};
    const std::wstring path = ExecutableFolder() + exe;
    std::wstring cmd = L"\"" + path + L"\"";
    if (!CreateProcessW(path.c_str(), cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                        &pi))
        return {};
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    writeEnd.reset();
    if (WaitForSingleObject(process.get(), ms) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
    }
    // The writer is gone, so the pipe ends after what it holds.
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(readEnd.get(), buf, sizeof(buf), &n, nullptr) && n > 0)
        out.append(buf, n);
    return out;
}

std::wstring JsonValue(const std::string& json, const std::string& object, const std::string& key)
{
    size_t at = json.find("\"" + object + "\":{");
    if (at == std::string::npos)
        return {};
    const size_t end = json.find('}', at);
    at = json.find("\"" + key + "\":\"", at);
    if (at == std::string::npos || at > end)
        return {};
    std::string utf8;
    for (size_t i = at + key.size() + 4; i < json.size() && json[i] != '"'; ++i) {
        if (json[i] == '\\' && i + 1 < json.size()) {
            ++i;
            if (json[i] == 'u' && i + 4 < json.size()) {
                // Only control bytes come escaped this way.
                utf8 += static_cast<char>(std::strtol(json.substr(i + 1, 4).c_str(), nullptr, 16));
                i += 4;
                continue;
            }
        }
        utf8 += json[i];
    }
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), n);
    return text;
}
