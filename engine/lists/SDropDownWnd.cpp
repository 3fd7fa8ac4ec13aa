#include "engine/lists/SDropDownWnd.h"
#include <windowsx.h>
#include <oleacc.h>
#include "engine/core/SDebug.h"
#include "engine/lists/SListView.h"

namespace SOUI {

namespace {
bool IsButtonDown(UINT m)
{
    return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN || m == WM_NCLBUTTONDOWN ||
           m == WM_NCRBUTTONDOWN || m == WM_NCMBUTTONDOWN;
}
}  // namespace

SDropDownWnd::SDropDownWnd(ISDropDownOwner* owner) : m_owner(owner)
{
    if (auto* app = SApplication::getSingletonPtr())
        app->AddMessageFilter(this);
}

SDropDownWnd::~SDropDownWnd()
{
    if (auto* app = SApplication::getSingletonPtr())
        app->RemoveMessageFilter(this);
}

HWND SDropDownWnd::CreateDropDown(HWND parent)
{
    if (m_hWnd)
        return m_hWnd;
    HWND h =
        CreateNative(GetHostClassName().c_str(), L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, 0, 0, 0, parent);
    if (!h) {
        SLog(L"drop-down window could not be created, error " + std::to_wstring(GetLastError()));
        return nullptr;
    }
    if (m_owner)
        m_owner->OnCreateDropDown(this);
    return h;
}

void SDropDownWnd::EndDropDown(UINT code)
{
    if (!m_dropped)
        return;
    m_dropped = false;
    m_exitCode = code;
    if (m_hWnd) {
        if (::GetCapture() == m_hWnd)
            ::ReleaseCapture();
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
    // Last: the owner may delete this object.
    if (m_owner)
        m_owner->OnDestroyDropDown(this);
}

BOOL SDropDownWnd::InitFromXml(pugi::xml_node soui)
{
    m_focus = nullptr;  // the tree it belonged to is rebuilt
    return Base::InitFromXml(soui);
}

HRESULT SDropDownWnd::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SDropDownWnd> kAttrs[] = {
        {L"sendWheel2Hover",
         [](SDropDownWnd& d, const std::wstring& v) -> HRESULT {
             return ParseBool(v, d.m_sendWheelToHover) ? S_FALSE : E_FAIL;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

BOOL SDropDownWnd::PreTranslateMessage(MSG* msg)
{
    if (!m_hWnd || !m_dropped)
        return FALSE;
    // A click anywhere else in this thread's windows closes the pop-up and still lands.
    if (IsButtonDown(msg->message) && msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        EndDropDown(IDCANCEL);
    return FALSE;
}

void SDropDownWnd::OnModalLoopStart()
{
    EndDropDown(IDCANCEL);
}

BOOL SDropDownWnd::RouteWheel(WPARAM wp, LPARAM)
{
    int delta = GET_WHEEL_DELTA_WPARAM(wp);
    if (m_sendWheelToHover)
        for (SWindow* w = m_hover; w; w = w->GetParent())
            if (auto* lv = dynamic_cast<SListView*>(w))
                return lv->OnMouseWheel(delta);
    if (auto* lv = dynamic_cast<SListView*>(m_focus))
        return lv->OnMouseWheel(delta);
    return FALSE;
}

BOOL SDropDownWnd::RouteKey(UINT vk)
{
    if (auto* lv = dynamic_cast<SListView*>(m_focus))
        return lv->OnKeyDown(vk);
    return FALSE;
}

LRESULT SDropDownWnd::HandleMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE:
        // Created empty; the tree comes with InitFromXml.
        if (!m_layout.first_child())
            return 0;
        break;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ACTIVATEAPP:
        if (!wp)
            EndDropDown(IDCANCEL);
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_RETURN)
            EndDropDown(IDOK);
        else if (wp == VK_ESCAPE)
            EndDropDown(IDCANCEL);
        else
            RouteKey(UINT(wp));
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
        if (flags & SWP_SHOWWINDOW) {
            m_dropped = true;
            m_exitCode = IDCANCEL;
            // Filters run only in the loop they were added in: a pop-up shown again serves the
            // loop it is shown in (one made beside a modal window is shown later without it).
            if (auto* app = SApplication::getSingletonPtr()) {
                app->RemoveMessageFilter(this);
                app->AddMessageFilter(this);
            }
        }
        // Shown and hidden, its list is announced as a list box's drop-down is.
        HWND self = m_hWnd;
        LRESULT r = Base::HandleMessage(msg, wp, lp);
        if (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))
            ::NotifyWinEvent((flags & SWP_SHOWWINDOW) ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, self, OBJID_CLIENT,
                             CHILDID_SELF);
        // Hidden by someone else while shown: that showing is over, as cancelled.
        if ((flags & SWP_HIDEWINDOW) && m_dropped)
            EndDropDown(IDCANCEL);
        return r;
    }
    case WM_LBUTTONUP: {
        LRESULT r = Base::HandleMessage(msg, wp, lp);
        // The host lets the capture go after a click; the pop-up keeps watching the mouse.
        if (m_hWnd && m_dropped && ::IsWindowVisible(m_hWnd))
            ::SetCapture(m_hWnd);
        return r;
    }
    case WM_DESTROY:
        // Destroyed while shown (its owner window going): the showing ends as cancelled.
        if (m_dropped) {
            m_dropped = false;
            m_exitCode = IDCANCEL;
            if (m_owner)
                m_owner->OnDestroyDropDown(this);
        }
        break;
    default:
        break;
    }
    return Base::HandleMessage(msg, wp, lp);
}

}  // namespace SOUI
