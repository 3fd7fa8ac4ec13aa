#include "engine/lists/SDropDownWnd.h"
#include <windowsx.h>
#include <oleacc.h>
#include "engine/core/SDebug.h"
#include "engine/lists/SListView.h"

namespace SOUI {

namespace {
constexpr UINT UM_DELETE = WM_APP + 0x3F10;

LRESULT CALLBACK ReaperProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == UM_DELETE) {
        delete reinterpret_cast<SDropDownWnd*>(lp);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// A message-only window of the UI thread that deletes pop-ups which ended inside one of their
// own messages: the window procedure still touches the object after that message returns.
class SReaper {
public:
    SReaper()
    {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ReaperProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SDropDownReaper";
        RegisterClassExW(&wc);
        m_hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~SReaper()
    {
        if (m_hwnd) DestroyWindow(m_hwnd);
    }
    SReaper(const SReaper&) = delete;
    SReaper& operator=(const SReaper&) = delete;
    bool DeleteLater(SDropDownWnd* p) { return m_hwnd && PostMessageW(m_hwnd, UM_DELETE, 0, LPARAM(p)); }

private:
    HWND m_hwnd = nullptr;
};

void DeleteLater(SDropDownWnd* p)
{
    static SReaper reaper;
    // Leaking one pop-up is better than freeing it under a running window procedure.
    if (!reaper.DeleteLater(p)) SLog(L"drop-down window could not be freed");
}

bool IsButtonDown(UINT m)
{
    return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN || m == WM_NCLBUTTONDOWN ||
           m == WM_NCRBUTTONDOWN || m == WM_NCMBUTTONDOWN;
}
} // namespace

SDropDownWnd::SDropDownWnd(ISDropDownOwner* owner) : m_owner(owner)
{
    if (auto* app = SApplication::getSingletonPtr()) app->AddMessageFilter(this);
}

SDropDownWnd::~SDropDownWnd()
{
    if (auto* app = SApplication::getSingletonPtr()) app->RemoveMessageFilter(this);
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        // Deleted under a live window: the owner still hears of it, as a cancel, since the
        // parts of a derived pop-up that a choice would be read from are gone already.
        m_ended = true;
        m_exitCode = IDCANCEL;
        NotifyOwnerDestroyed();
    }
}

HWND SDropDownWnd::CreateDropDown(HWND parent)
{
    auto* app = SApplication::getSingletonPtr();
    if (!app || m_hWnd) return m_hWnd;
    HWND h = CreateNative(app->GetHostClassName().c_str(), L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, 0,
                          0, 0, parent);
    if (!h) {
        SLog(L"drop-down window could not be created, error " + std::to_wstring(GetLastError()));
        return nullptr;
    }
    if (m_owner) m_owner->OnCreateDropDown(this);
    return h;
}

void SDropDownWnd::EndDropDown(UINT code)
{
    if (m_ended) return;
    m_ended = true;
    m_exitCode = code;
    if (IsKept()) {
        if (::GetCapture() == m_hWnd) ::ReleaseCapture();
        ::ShowWindow(m_hWnd, SW_HIDE);
        if (m_owner) m_owner->OnDestroyDropDown(this);
        return;
    }
    Destroy();
}

void SDropDownWnd::Destroy()
{
    if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
        return;
    }
    NotifyOwnerDestroyed();
    if (m_depth > 0) DeleteLater(this);
    else delete this;
}

void SDropDownWnd::Reopen()
{
    if (!m_ended) return;
    m_ended = false;
    m_exitCode = IDCANCEL;
}

void SDropDownWnd::Discard()
{
    m_keep = false;
    if (!m_ended) {
        EndDropDown(IDCANCEL);
        return;
    }
    // Ended while kept: the owner has heard of it already.
    m_owner = nullptr;
    Destroy();
}

void SDropDownWnd::NotifyOwnerDestroyed()
{
    ISDropDownOwner* owner = m_owner;
    m_owner = nullptr;
    if (owner) owner->OnDestroyDropDown(this);
}

BOOL SDropDownWnd::InitFromXml(pugi::xml_node soui)
{
    m_focus = nullptr; // the tree it belonged to is rebuilt
    return Base::InitFromXml(soui);
}

HRESULT SDropDownWnd::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SDropDownWnd> kAttrs[] = {
        {L"sendWheel2Hover", [](SDropDownWnd& d, const std::wstring& v) -> HRESULT {
             return ParseBool(v, d.m_sendWheelToHover) ? S_FALSE : E_FAIL;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

BOOL SDropDownWnd::PreTranslateMessage(MSG* msg)
{
    if (!m_hWnd || m_ended) return FALSE;
    // A click anywhere else in this thread's windows closes the pop-up and still lands.
    if (IsButtonDown(msg->message) && msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) {
        // Freed later, so that a derived filter may still look at itself after this returns.
        ++m_depth;
        EndDropDown(IDCANCEL);
        --m_depth;
    }
    return FALSE;
}

void SDropDownWnd::OnModalLoopStart()
{
    ++m_depth;
    EndDropDown(IDCANCEL);
    --m_depth;
}

BOOL SDropDownWnd::RouteWheel(WPARAM wp, LPARAM)
{
    int delta = GET_WHEEL_DELTA_WPARAM(wp);
    if (m_sendWheelToHover)
        for (SWindow* w = m_hover; w; w = w->GetParent())
            if (auto* lv = dynamic_cast<SListView*>(w)) return lv->OnMouseWheel(delta);
    if (auto* lv = dynamic_cast<SListView*>(m_focus)) return lv->OnMouseWheel(delta);
    return FALSE;
}

BOOL SDropDownWnd::RouteKey(UINT vk)
{
    if (auto* lv = dynamic_cast<SListView*>(m_focus)) return lv->OnKeyDown(vk);
    return FALSE;
}

LRESULT SDropDownWnd::HandleMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    struct Depth {
        int& n;
        explicit Depth(int& d) : n(d) { ++n; }
        ~Depth() { --n; }
    } depth(m_depth);

    switch (msg) {
    case WM_CREATE:
        // Created empty; the tree comes with InitFromXml.
        if (!m_layout.first_child()) return 0;
        break;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ACTIVATEAPP:
        if (!wp) EndDropDown(IDCANCEL);
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_RETURN) EndDropDown(IDOK);
        else if (wp == VK_ESCAPE) EndDropDown(IDCANCEL);
        else RouteKey(UINT(wp));
        return 0;
    case WM_KEYUP:
        return 0;
    case WM_MOUSEWHEEL:
        RouteWheel(wp, lp);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        // With the mouse captured, clicks outside arrive here with points outside the client.
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (!PtInRect(&rc, pt)) {
            EndDropDown(IDCANCEL);
            return 0;
        }
        break;
    }
    case WM_CANCELMODE:
        EndDropDown(IDCANCEL);
        return 0;
    case WM_CAPTURECHANGED:
        // Taken by another window; a plain release (its own click's among them) leaves it be.
        if (lp && reinterpret_cast<HWND>(lp) != m_hWnd) {
            EndDropDown(IDCANCEL);
            return 0;
        }
        break;
    case WM_WINDOWPOSCHANGED: {
        UINT flags = reinterpret_cast<const WINDOWPOS*>(lp)->flags;
        // Filters run only in the loop they were added in: a kept pop-up shown again serves the
        // loop it is shown in (one made beside a modal window is shown later without it).
        if (flags & SWP_SHOWWINDOW) {
            if (auto* app = SApplication::getSingletonPtr()) {
                app->RemoveMessageFilter(this);
                app->AddMessageFilter(this);
            }
        }
        // Shown and hidden, its list is announced as a list box's drop-down is.
        HWND self = m_hWnd;
        LRESULT r = Base::HandleMessage(msg, wp, lp);
        if (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))
            ::NotifyWinEvent((flags & SWP_SHOWWINDOW) ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, self, OBJID_CLIENT, CHILDID_SELF);
        return r;
    }
    case WM_LBUTTONUP: {
        LRESULT r = Base::HandleMessage(msg, wp, lp);
        // The host lets the capture go after a click; the pop-up keeps watching the mouse.
        if (m_hWnd && !m_ended && ::IsWindowVisible(m_hWnd)) ::SetCapture(m_hWnd);
        return r;
    }
    case WM_DESTROY:
        // Destroyed from outside (its owner window going) while kept: gone as cancelled, not
        // as whatever ended its last showing.
        if (!m_ended || m_keep) {
            m_ended = true;
            m_exitCode = IDCANCEL;
        }
        m_keep = false;
        NotifyOwnerDestroyed();
        break;
    default:
        break;
    }
    return Base::HandleMessage(msg, wp, lp);
}

void SDropDownWnd::OnFinalMessage(HWND)
{
    if (m_depth > 0) DeleteLater(this);
    else delete this;
}

} // namespace SOUI
