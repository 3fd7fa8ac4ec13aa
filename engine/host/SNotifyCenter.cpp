#include "engine/host/SNotifyCenter.h"
#include <algorithm>
#include "engine/core/SDebug.h"

namespace SOUI {

namespace {
constexpr UINT UM_FIRE_ASYNC = WM_APP + 0x3F10;
const wchar_t kClassName[] = L"SNotifyCenterWnd";
SNotifyCenter* g_center = nullptr;
}  // namespace

SNotifyCenter::SNotifyCenter()
{
    g_center = this;
    HINSTANCE hInst = GetModuleHandleW(nullptr);
    RegisterHostClass(hInst, kClassName);
    if (!CreateNative(kClassName, L"", 0, 0, 0, 0, 0, 0, HWND_MESSAGE))
        SLog(L"notify centre window could not be created, error " + std::to_wstring(GetLastError()));
}

SNotifyCenter::~SNotifyCenter()
{
    if (m_hWnd) {
        // Events still queued hold references; give them back.
        MSG msg;
        while (PeekMessageW(&msg, m_hWnd, UM_FIRE_ASYNC, UM_FIRE_ASYNC, PM_REMOVE))
            reinterpret_cast<EventArgs*>(msg.lParam)->Release();
        HWND h = m_hWnd;
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        m_hWnd = nullptr;
        ::DestroyWindow(h);
    }
    if (g_center == this)
        g_center = nullptr;
}

SNotifyCenter* SNotifyCenter::getSingletonPtr()
{
    return g_center;
}

void SNotifyCenter::FireEventSync(EventArgs* evt)
{
    if (!evt)
        return;
    // A handler may register or unregister maps while it runs.
    std::vector<IEventHandler*> run = m_handlers;
    for (IEventHandler* h : run) {
        if (std::find(m_handlers.begin(), m_handlers.end(), h) == m_handlers.end())
            continue;
        if (h->OnEvent(evt)) {
            evt->handled++;
            break;
        }
    }
}

BOOL SNotifyCenter::FireEventAsync(EventArgs* evt)
{
    if (!evt || !m_hWnd)
        return FALSE;
    evt->AddRef();
    if (!::PostMessageW(m_hWnd, UM_FIRE_ASYNC, 0, reinterpret_cast<LPARAM>(evt))) {
        evt->Release();
        return FALSE;
    }
    return TRUE;
}

void SNotifyCenter::RegisterEventMap(IEventHandler* handler)
{
    if (handler && std::find(m_handlers.begin(), m_handlers.end(), handler) == m_handlers.end())
        m_handlers.push_back(handler);
}

void SNotifyCenter::UnregisterEventMap(IEventHandler* handler)
{
    m_handlers.erase(std::remove(m_handlers.begin(), m_handlers.end(), handler), m_handlers.end());
}

LRESULT SNotifyCenter::HandleMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == UM_FIRE_ASYNC) {
        auto* evt = reinterpret_cast<EventArgs*>(lp);
        FireEventSync(evt);
        evt->Release();
        return 0;
    }
    return DefWindowProcW(m_hWnd, msg, wp, lp);
}

}  // namespace SOUI
