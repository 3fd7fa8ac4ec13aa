#pragma once
// The bare baselines the benchmarks share: the same Win32 work the program does, inline,
// with nothing of ours around it. bench/bridge and bench/ui use the same ones, so their
// ratios for the same step agree.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace bare {

// The process check the bridge makes before every window lookup: one snapshot, walked to
// the name, the process opened.
inline bool ProcessRunning(const wchar_t* exe)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    bool running = false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, exe) != 0)
            continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        running = process != nullptr;
        if (process)
            CloseHandle(process);
        break;
    }
    CloseHandle(snapshot);
    return running;
}

// The HT fill with discovery on every call, as the program does it: process check, exact
// titles, anchor, two first children, the four containers, four bounded writes.
inline bool HtFill(const std::wstring* texts)
{
    if (!ProcessRunning(L"Aisino.Framework.Startup.exe"))
        return false;
    HWND issuing = FindWindowW(nullptr, L"开具增值税普通发票");
    if (!issuing)
        issuing = FindWindowW(nullptr, L"开具增值税专用发票");
    HWND anchor = FindWindowExW(issuing, nullptr, nullptr, L"FPtiankai_new");
    HWND target = GetTopWindow(GetTopWindow(anchor));
    if (!target)
        return false;
    HWND children[22] = {};
    HWND child = GetTopWindow(target);
    for (int i = 0; child && i < 22; ++i, child = GetWindow(child, GW_HWNDNEXT))
        children[i] = child;
    const int order[4] = {21, 19, 20, 18};
    for (int k = 0; k < 4; ++k) {
        HWND first = GetTopWindow(children[order[k]]);
        HWND second = first ? GetWindow(first, GW_HWNDNEXT) : nullptr;
        HWND field = second ? second : first;
        DWORD_PTR reply = 0;
        if (field && !SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(texts[k].c_str()),
                                          SMTO_ABORTIFHUNG, 2000, &reply))
            return false;
    }
    return true;
}

struct TitleWalk {
    const char* phrase;  // GBK bytes
    int windows = 0;
    HWND found = nullptr;
};

// Read each title, convert to GBK, look for the phrase.
inline BOOL CALLBACK MatchTitle(HWND window, LPARAM param)
{
    auto* walk = reinterpret_cast<TitleWalk*>(param);
    wchar_t title[256];
    const int length = GetWindowTextW(window, title, 256);
    if (length <= 0)
        return TRUE;
    ++walk->windows;
    char bytes[512];
    BOOL lossy = FALSE;
    const int size =
        WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, title, length, bytes, sizeof bytes - 1, nullptr, &lossy);
    if (size <= 0 || lossy)
        return TRUE;
    bytes[size] = '\0';
    if (!std::strstr(bytes, walk->phrase))
        return TRUE;
    walk->found = window;
    return FALSE;
}

inline std::string Gbk(const wchar_t* text)
{
    char bytes[256] = {};
    WideCharToMultiByte(936, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

// The window check as the program makes it: the HT process looked for first (one
// snapshot), then the two BW phrases searched through every titled top-level window.
inline HWND IssuingWindowCheck(int* titled = nullptr)
{
    static const std::string special = Gbk(L"增值税专用发票开具"), ordinary = Gbk(L"增值税普通发票开具");
    if (ProcessRunning(L"Aisino.Framework.Startup.exe"))
        return FindWindowW(nullptr, L"开具增值税普通发票");
    TitleWalk walk{special.c_str()};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&walk));
    if (!walk.found) {
        walk = TitleWalk{ordinary.c_str()};
        EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&walk));
    }
    if (titled)
        *titled = walk.windows;
    return walk.found;
}

// A translucent top-level window updated the way the program's windows are: text drawn
// into a 32-bit buffer kept for the window's life, alpha made opaque, UpdateLayeredWindow.
class LayeredWindow {
public:
    LayeredWindow(int width, int height, int x = 60, int y = 60) : m_w(width), m_h(height)
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BareLayeredBench";
        RegisterClassW(&wc);
        m_wnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, wc.lpszClassName,
                                L"", WS_POPUP, x, y, width, height, nullptr, nullptr, wc.hInstance, nullptr);
        HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        m_bmp = CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_oldBmp = SelectObject(m_dc, m_bmp);
        m_font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"微软雅黑");
        m_oldFont = SelectObject(m_dc, m_font);
        SetBkMode(m_dc, TRANSPARENT);
    }
    ~LayeredWindow()
    {
        SelectObject(m_dc, m_oldFont);
        SelectObject(m_dc, m_oldBmp);
        DeleteObject(m_font);
        DeleteObject(m_bmp);
        DeleteDC(m_dc);
        if (m_wnd)
            DestroyWindow(m_wnd);
    }
    LayeredWindow(const LayeredWindow&) = delete;
    LayeredWindow& operator=(const LayeredWindow&) = delete;

    HWND Wnd() const { return m_wnd; }

    // White background, one line of text per 47-pixel row, then onto the screen.
    void Paint(const std::vector<std::wstring>& rows)
    {
        if (!m_bits)
            return;
        std::fill(m_bits, m_bits + m_w * m_h, 0xFFFFFFFFu);
        SetTextColor(m_dc, RGB(0x33, 0x33, 0x33));
        for (size_t i = 0; i < rows.size() && static_cast<int>(i) * 47 < m_h; ++i) {
            RECT rc = {12, static_cast<int>(i) * 47, m_w - 72, static_cast<int>(i + 1) * 47};
            DrawTextW(m_dc, rows[i].c_str(), -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        }
        GdiFlush();
        // GDI text leaves alpha at 0; the window is opaque where painted.
        for (DWORD *p = m_bits, *end = m_bits + m_w * m_h; p != end; ++p)
            *p |= 0xFF000000u;
        SIZE sz = {m_w, m_h};
        POINT src = {0, 0};
        BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(m_wnd, nullptr, nullptr, &sz, m_dc, &src, 0, &bf, ULW_ALPHA);
    }

    void Show(bool shown)
    {
        SetWindowPos(m_wnd, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }

private:
    int m_w, m_h;
    HWND m_wnd = nullptr;
    HDC m_dc = nullptr;
    HBITMAP m_bmp = nullptr;
    HGDIOBJ m_oldBmp = nullptr;
    HFONT m_font = nullptr;
    HGDIOBJ m_oldFont = nullptr;
    DWORD* m_bits = nullptr;
};

// A native edit in a plain window at a screen point: a character typed into it and the edit
// redrawn is the keystroke's own share of the platform. It has no keyboard focus (the
// measured window keeps it), so it draws no caret.
class EditWindow {
public:
    EditWindow(int x, int y, int width, int height, HFONT font)
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BareEditBench";
        RegisterClassW(&wc);
        m_wnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, x, y,
                                width, height, nullptr, nullptr, wc.hInstance, nullptr);
        m_edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, width, height, m_wnd,
                                 nullptr, wc.hInstance, nullptr);
        if (m_edit && font)
            SendMessageW(m_edit, WM_SETFONT, WPARAM(font), FALSE);
    }
    ~EditWindow()
    {
        if (m_wnd)
            DestroyWindow(m_wnd);
    }
    EditWindow(const EditWindow&) = delete;
    EditWindow& operator=(const EditWindow&) = delete;

    HWND Edit() const { return m_edit; }
    // The text as typing leaves it: the caret at its end.
    void SetText(const wchar_t* text)
    {
        SetWindowTextW(m_edit, text);
        const LPARAM end = lstrlenW(text);
        SendMessageW(m_edit, EM_SETSEL, end, end);
    }

private:
    HWND m_wnd = nullptr;
    HWND m_edit = nullptr;
};

// A digest of the screen's pixels inside `rc`: what a person sees there. Two digests
// differ when an update reached the display between them.
inline uint64_t ScreenDigest(const RECT& rc)
{
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0)
        return 0;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* px = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&px), nullptr, 0);
    uint64_t digest = 1469598103934665603ull;
    if (dib) {
        HGDIOBJ old = SelectObject(mem, dib);
        BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
        GdiFlush();
        for (int i = 0; i < w * h; ++i)
            digest = (digest ^ (px[i] & 0xFFFFFF)) * 1099511628211ull;
        SelectObject(mem, old);
        DeleteObject(dib);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return digest;
}

}  // namespace bare
