#include "driver.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "standinclient.h"

const SIZE kMessageBox = {380, 210};
const POINT kBoxOkOfTwo = {205, 175};
const POINT kBoxOkOfOne = {307, 175};

namespace {

POINT Centre(const RECT& rc)
{
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

}  // namespace

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

void PressKey(UINT vk, bool shift)
{
    std::vector<INPUT> in;
    auto key = [&](UINT v, DWORD flags) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = static_cast<WORD>(v);
        i.ki.dwFlags = flags;
        in.push_back(i);
    };
    if (shift)
        key(VK_SHIFT, 0);
    key(vk, 0);
    key(vk, KEYEVENTF_KEYUP);
    if (shift)
        key(VK_SHIFT, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    Sleep(50);
}

void PressChord(std::initializer_list<UINT> held, UINT vk)
{
    std::vector<INPUT> in;
    auto key = [&](UINT v, DWORD flags) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = static_cast<WORD>(v);
        i.ki.dwFlags = flags;
        in.push_back(i);
    };
    for (UINT h : held)
        key(h, 0);
    key(vk, 0);
    key(vk, KEYEVENTF_KEYUP);
    for (auto it = std::rbegin(held); it != std::rend(held); ++it)
        key(*it, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    Sleep(50);
}

void ClickScreen(POINT at)
{
    // Absolute mouse coordinates run 0..65535 over the primary screen.
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[3] = {};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = static_cast<LONG>((at.x * 65535LL + w / 2) / (w - 1));
        i.mi.dy = static_cast<LONG>((at.y * 65535LL + h / 2) / (h - 1));
    }
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, in, sizeof(INPUT));
    Sleep(100);
}

void TypeKeys(const std::wstring& text)
{
    for (wchar_t c : text) {
        INPUT in[2] = {};
        for (INPUT& i : in) {
            i.type = INPUT_KEYBOARD;
            i.ki.wScan = c;
            i.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
        Sleep(20);
    }
}

HWND KeyboardFocusOf(HWND wnd)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

std::string RunAndRead(const std::wstring& exe, DWORD ms)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE r = nullptr, w = nullptr;
    if (!CreatePipe(&r, &w, &sa, 0))
        return {};
    KernelHandle readEnd(r), writeEnd(w);
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd.Get();
    si.hStdError = writeEnd.Get();
    PROCESS_INFORMATION pi = {};
    const std::wstring path = ExecutableFolder() + exe;
    std::wstring cmd = L"\"" + path + L"\"";
    if (!CreateProcessW(path.c_str(), cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return {};
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    writeEnd.Reset();
    if (WaitForSingleObject(process.Get(), ms) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), 1);
        WaitForSingleObject(process.Get(), 5000);
    }
    // The writer is gone, so the pipe ends after what it holds.
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(readEnd.Get(), buf, sizeof(buf), &n, nullptr) && n > 0)
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
