#include "engine/host/CSimpleWnd.h"

namespace SOUI {

namespace {
std::wstring& HostClass()
{
    static std::wstring name = L"SOUIHOST";
    return name;
}
}  // namespace

const std::wstring& CSimpleWnd::GetHostClassName()
{
    return HostClass();
}

CSimpleWnd::~CSimpleWnd()
{
    for (Frame* f = m_frames; f; f = f->outer)
        f->alive = false;
    // The object is going away under a live window: detach it so no message reaches it.
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hWnd);
    }
}

bool CSimpleWnd::RegisterHostClass(HINSTANCE hInst, const wchar_t* className)
{
    WNDCLASSEXW wc = {};
    if (GetClassInfoExW(hInst, className, &wc))
        return true;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &CSimpleWnd::WndProc;
    wc.hInstance = hInst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    return RegisterClassExW(&wc) != 0;
}

bool CSimpleWnd::SetHostClass(HINSTANCE hInst, const wchar_t* className)
{
    if (!className || !*className)
        return false;
    HostClass() = className;
    return RegisterHostClass(hInst, className);
}

CSimpleWnd* CSimpleWnd::FromHwnd(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    WNDPROC proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (proc != &CSimpleWnd::WndProc)
        return nullptr;
    return reinterpret_cast<CSimpleWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

HWND CSimpleWnd::CreateNative(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
                              int cx, int cy, HWND parent)
{
    return CreateWindowExW(exStyle, className, title, style, x, y, cx, cy, parent, nullptr, GetModuleHandleW(nullptr),
                           this);
}

BOOL CSimpleWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

BOOL CSimpleWnd::CenterWindow(HWND hWndCenter)
{
    if (!m_hWnd)
        return FALSE;
    if (!hWndCenter || hWndCenter == m_hWnd)
        hWndCenter = GetWindow(m_hWnd, GW_OWNER);
    RECT rcArea;
    if (hWndCenter && ::IsWindowVisible(hWndCenter) && !::IsIconic(hWndCenter)) {
        ::GetWindowRect(hWndCenter, &rcArea);
    } else {
        MONITORINFO mi = {};
        mi.cbSize = sizeof(mi);
        GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
        rcArea = mi.rcWork;
    }
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int x = rcArea.left + (rcArea.right - rcArea.left - w) / 2;
    int y = rcArea.top + (rcArea.bottom - rcArea.top - h) / 2;
    return ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CSimpleWnd::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return FALSE;
}

LRESULT CSimpleWnd::HandleMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT r = 0;
    if (ProcessWindowMessage(m_hWnd, msg, wp, lp, r))
        return r;
    return DefWindowProcW(m_hWnd, msg, wp, lp);
}

LRESULT CALLBACK CSimpleWnd::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    CSimpleWnd* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<CSimpleWnd*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self)
            self->m_hWnd = hwnd;
    } else {
        self = reinterpret_cast<CSimpleWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    Frame frame = {self->m_frames, true};
    self->m_frames = &frame;
    BOOL savedHandled = self->m_msgHandled;
    LRESULT r = self->HandleMessage(msg, wp, lp);
    // The handler may have deleted the object (its owner did, say): then nothing more here.
    if (!frame.alive)
        return r;
    self->m_frames = frame.outer;
    self->m_msgHandled = savedHandled;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        self->m_finalHwnd = hwnd;
    }
    // Destroyed inside one of its own messages: the outer ones still use the object, so it
    // is told (and may free itself) only when the outermost returns.
    if (self->m_finalHwnd && !self->m_frames) {
        HWND gone = self->m_finalHwnd;
        self->m_finalHwnd = nullptr;
        self->OnFinalMessage(gone);
    }
    return r;
}

}  // namespace SOUI
