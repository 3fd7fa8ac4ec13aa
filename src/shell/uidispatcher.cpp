#include "shell/uidispatcher.h"

#include <atomic>

namespace {
constexpr UINT kRunPosted = WM_APP + 0x2A1;
constexpr UINT kRunSent = WM_APP + 0x2A2;
const wchar_t kClassName[] = L"MoravelUiDispatcher";

using Work = std::function<void()>;

LRESULT CALLBACK DispatchProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case kRunPosted: {
        // Owned by the message: freed even when the work throws nothing back (it never does).
        std::unique_ptr<Work> work(reinterpret_cast<Work*>(lp));
        if (work && *work)
            (*work)();
        return 0;
    }
    case kRunSent: {
        auto* work = reinterpret_cast<Work*>(lp);
        if (work && *work)
            (*work)();
        return 0;
    }
    case WM_DESTROY: {
        // Work posted but not yet run is dropped; its closure must still be freed.
        MSG pending;
        while (PeekMessageW(&pending, hwnd, kRunPosted, kRunPosted, PM_REMOVE))
            delete reinterpret_cast<Work*>(pending.lParam);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

HWND MakeWindow()
{
    static const ATOM atom = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DispatchProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc);
    }();
    if (!atom)
        return nullptr;
    return CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}
}  // namespace

struct CUiDispatcher::Window {
    std::atomic<HWND> hwnd{nullptr};
    DWORD thread = GetCurrentThreadId();
    ~Window()
    {
        // The last holder may be a worker; a window can only be destroyed by its own thread,
        // and a process on its way out takes it anyway.
        HWND h = hwnd.exchange(nullptr);
        if (h && GetCurrentThreadId() == thread)
            DestroyWindow(h);
    }
};

CUiDispatcher::CUiDispatcher() : m_window(std::make_shared<Window>())
{
    m_window->hwnd = MakeWindow();
}

CUiDispatcher::~CUiDispatcher() = default;

bool CUiDispatcher::Valid() const
{
    return m_window && m_window->hwnd.load() != nullptr;
}

bool CUiDispatcher::Post(std::function<void()> work) const
{
    HWND h = m_window ? m_window->hwnd.load() : nullptr;
    if (!h)
        return false;
    auto* held = new Work(std::move(work));
    if (PostMessageW(h, kRunPosted, 0, reinterpret_cast<LPARAM>(held)))
        return true;
    delete held;
    return false;
}

bool CUiDispatcher::Call(std::function<void()> work) const
{
    HWND h = m_window ? m_window->hwnd.load() : nullptr;
    if (!h || GetCurrentThreadId() == m_window->thread)
        return false;
    // Sent, not posted: the worker waits while the UI thread runs it between its messages.
    // A window destroyed meanwhile makes the send fail at once instead of waiting forever.
    bool ran = false;
    Work wrapped = [&] {
        work();
        ran = true;
    };
    SendMessageW(h, kRunSent, 0, reinterpret_cast<LPARAM>(&wrapped));
    return ran;
}

void CUiDispatcher::Close() const
{
    if (!m_window)
        return;
    HWND h = m_window->hwnd.exchange(nullptr);
    if (h)
        DestroyWindow(h);
}
