#include "shell/uidispatcher.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {
constexpr UINT kRunPosted = WM_APP + 0x2A1;
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
    if (!m_window || GetCurrentThreadId() == m_window->thread)
        return false;
    // Posted, not sent: a modal window opened by the work must not run inside another
    // thread's SendMessage (its input and activation misbehave there). The worker waits
    // until the posted work has run or been dropped with the window: either way its
    // closure, and with it the last `ended` holder, is freed.
    struct Waiter {
        std::mutex lock;
        std::condition_variable signal;
        bool ended = false;
        bool ran = false;
    };
    auto waiter = std::make_shared<Waiter>();
    std::shared_ptr<void> ended(nullptr, [waiter](void*) {
        std::lock_guard<std::mutex> hold(waiter->lock);
        waiter->ended = true;
        waiter->signal.notify_all();
    });
    Post([&work, waiter, ended] {
        work();
        waiter->ran = true;
    });
    ended.reset();
    std::unique_lock<std::mutex> hold(waiter->lock);
    waiter->signal.wait(hold, [&] { return waiter->ended; });
    return waiter->ran;
}

void CUiDispatcher::Close() const
{
    if (!m_window)
        return;
    HWND h = m_window->hwnd.exchange(nullptr);
    if (h)
        DestroyWindow(h);
}
