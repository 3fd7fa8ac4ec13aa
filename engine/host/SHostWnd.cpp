#include "engine/host/SHostWnd.h"
#include <commctrl.h>
#include <windowsx.h>
#include <algorithm>
#include <oleacc.h>
#include "engine/access/SAccessible.h"
#include "engine/core/SResProviderMgr.h"
#include "engine/widgets/SButton.h"
#include "engine/core/SDebug.h"
#include "engine/core/SDpi.h"
#include "engine/widgets/SEdit.h"
#include "engine/host/SMenu.h"
#include "engine/core/SStringUtil.h"

namespace SOUI {

namespace {
// Private message: repaint a layered window once for all invalidations queued so far.
constexpr UINT UM_UPDATE_LAYERED = WM_APP + 0x3F01;
constexpr UINT UM_RAISE_EDITS = WM_APP + 0x3F02;
constexpr UINT UM_RESTORE_FOCUS = WM_APP + 0x3F03;
constexpr UINT UM_ACC_ACTION = WM_APP + 0x3F04;
constexpr int kResizeBand = 4;
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

RECT UnionRect2(const RECT& a, const RECT& b)
{
    if (IsRectEmpty(&a))
        return b;
    if (IsRectEmpty(&b))
        return a;
    RECT r;
    ::UnionRect(&r, &a, &b);
    return r;
}

HRESULT Flag(bool& out, const std::wstring& v)
{
    return ParseBool(v, out) ? S_FALSE : E_FAIL;
}
}  // namespace

SHostWnd::SHostWnd(const wchar_t* layoutResId) : m_layoutId(layoutResId ? layoutResId : L"") {}

SHostWnd::~SHostWnd()
{
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
    delete m_root;
    m_root = nullptr;
    if (m_bigIcon)
        DestroyIcon(m_bigIcon);
    if (m_smallIcon)
        DestroyIcon(m_smallIcon);
}

BOOL SHostWnd::SetLayoutXml(const char* utf8)
{
    pugi::xml_document doc;
    if (!utf8 || !doc.load_string(utf8)) {
        SLog(L"host layout text is not valid XML");
        return FALSE;
    }
    return SetLayoutXml(doc.first_child());
}

BOOL SHostWnd::SetLayoutXml(pugi::xml_node soui)
{
    if (!soui)
        return FALSE;
    m_layout.reset();
    m_layout.append_copy(soui);
    return TRUE;
}

HRESULT SHostWnd::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SHostWnd> kAttrs[] = {
        {L"title",
         [](SHostWnd& h, const std::wstring& v) -> HRESULT {
             auto* mgr = SResProviderMgr::getSingletonPtr();
             h.m_title = mgr ? mgr->GetString(v) : v;
             return S_FALSE;
         }},
        {L"width",
         [](SHostWnd& h, const std::wstring& v) -> HRESULT { return ParseInt(v, h.m_width) ? S_FALSE : E_FAIL; }},
        {L"height",
         [](SHostWnd& h, const std::wstring& v) -> HRESULT { return ParseInt(v, h.m_height) ? S_FALSE : E_FAIL; }},
        {L"appWnd",
         [](SHostWnd& h, const std::wstring& v) -> HRESULT {
             bool b;
             if (!ParseBool(v, b))
                 return E_FAIL;
             h.m_appWnd = h.m_appWnd || b;
             return S_FALSE;
         }},
        {L"wndType",
         [](SHostWnd& h, const std::wstring& v) -> HRESULT {
             if (v == L"appMain")
                 h.m_appWnd = true;
             else if (!v.empty() && v != L"normal")
                 return E_FAIL;
             return S_FALSE;
         }},
        {L"resizable", [](SHostWnd& h, const std::wstring& v) { return Flag(h.m_resizable, v); }},
        {L"toolWindow", [](SHostWnd& h, const std::wstring& v) { return Flag(h.m_toolWindow, v); }},
        {L"translucent", [](SHostWnd& h, const std::wstring& v) { return Flag(h.m_translucent, v); }},
        {L"margin",
         [](SHostWnd& h, const std::wstring& v) -> HRESULT { return ParseMargin(v, h.m_margin) ? S_FALSE : E_FAIL; }},
        {L"bigIcon",
         [](SHostWnd& h, const std::wstring& v) -> HRESULT {
             h.m_bigIconName = v;
             return S_FALSE;
         }},
        {L"smallIcon",
         [](SHostWnd& h, const std::wstring& v) -> HRESULT {
             h.m_smallIconName = v;
             return S_FALSE;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

HWND SHostWnd::Create(HWND owner, DWORD style, DWORD exStyle, int x, int y, int cx, int cy)
{
    if (m_hWnd)
        return m_hWnd;
    auto* res = SResProviderMgr::getSingletonPtr();
    if (!res)
        return nullptr;
    if (!m_layout.first_child()) {
        if (m_layoutId.empty() || !res->LoadXml(m_layout, m_layoutId)) {
            SLog(L"host window layout '" + m_layoutId + L"' did not load");
            return nullptr;
        }
    }
    pugi::xml_node soui = m_layout.first_child();
    SObject::InitFromXml(soui);
    style |= WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    if (m_toolWindow)
        exStyle |= WS_EX_TOOLWINDOW;
    if (m_translucent)
        exStyle |= WS_EX_LAYERED;
    // The layout's size at the DPI of the monitor the window opens on; the window itself
    // may say otherwise once it exists.
    bool layoutSize = cx <= 0 || cy <= 0;
    m_dpi = GetPointDpi(POINT{x, y});
    if (cx <= 0)
        cx = Scaled(m_width > 0 ? m_width : 300);
    if (cy <= 0)
        cy = Scaled(m_height > 0 ? m_height : 200);
    int dpiBefore = m_dpi;
    HWND h = CreateNative(GetHostClassName().c_str(), m_title.c_str(), style, exStyle, x, y, cx, cy, owner);
    if (!h) {
        SLog(L"host window '" + m_name + L"' could not be created, error " + std::to_wstring(GetLastError()));
        return nullptr;
    }
    if (layoutSize && m_dpi != dpiBefore)
        ::SetWindowPos(h, nullptr, 0, 0, Scaled(m_width > 0 ? m_width : 300), Scaled(m_height > 0 ? m_height : 200),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return h;
}

BOOL SHostWnd::InitFromXml(pugi::xml_node soui)
{
    if (!soui)
        return FALSE;
    if (soui != m_layout.first_child())
        SetLayoutXml(soui);
    if (!m_hWnd)
        return TRUE;  // built when the window is created
    soui = m_layout.first_child();
    SObject::InitFromXml(soui);
    LONG_PTR ex = GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
    if (m_translucent)
        ex |= WS_EX_LAYERED;
    if (m_toolWindow)
        ex |= WS_EX_TOOLWINDOW;
    SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ex);
    if (!m_title.empty())
        ::SetWindowTextW(m_hWnd, m_title.c_str());
    if (m_width > 0 && m_height > 0)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, Scaled(m_width), Scaled(m_height),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    BuildTree(soui);
    return TRUE;
}

void SHostWnd::BuildTree(pugi::xml_node soui)
{
    m_hover = m_capture = m_tipOwner = m_focus = nullptr;
    m_defaultButton = m_cancelButton = nullptr;
    m_defaultSet = m_cancelSet = false;
    delete m_root;
    m_root = new SWindow;
    m_root->SetHostWnd(this);
    pugi::xml_node rootNode = soui.child("root");
    if (!rootNode)
        SLog(L"host window '" + m_name + L"' has no <root> element");
    else
        m_root->InitFromXml(rootNode);
    m_root->SetHostWnd(this);

    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    auto* res = SResProviderMgr::getSingletonPtr();
    if (!m_rt && res && res->GetRenderFactory())
        res->GetRenderFactory()->CreateRenderTarget(m_rt.Out(), std::max<LONG>(rc.right, 1),
                                                    std::max<LONG>(rc.bottom, 1));
    if (m_rt)
        m_rt->SetDpi(m_dpi);
    m_root->Move(rc);
    // Widgets with native parts need the window handle, which exists only now.
    std::vector<SWindow*> stack = {m_root};
    while (!stack.empty()) {
        SWindow* w = stack.back();
        stack.pop_back();
        w->OnHostCreated();
        for (SWindow* c : w->GetChildren())
            stack.push_back(c);
    }
    if (!m_bigIconName.empty() && res) {
        if (m_bigIcon)
            DestroyIcon(m_bigIcon);
        m_bigIcon = res->LoadIconW(m_bigIconName, GetSystemMetricForDpi(SM_CXICON, m_dpi));
        if (m_bigIcon)
            ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, LPARAM(m_bigIcon));
        else
            SLog(L"icon '" + m_bigIconName + L"' of host window '" + m_name + L"' not found");
    }
    if (!m_smallIconName.empty() && res) {
        if (m_smallIcon)
            DestroyIcon(m_smallIcon);
        m_smallIcon = res->LoadIconW(m_smallIconName, GetSystemMetricForDpi(SM_CXSMICON, m_dpi));
        if (m_smallIcon)
            ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, LPARAM(m_smallIcon));
        else
            SLog(L"icon '" + m_smallIconName + L"' of host window '" + m_name + L"' not found");
    }
    InvalidateRect(rc);
}

SWindow* SHostWnd::FindChildByName(const std::wstring& name, int depth) const
{
    if (!m_root)
        return nullptr;
    if (!name.empty() && m_root->GetName() == name)
        return m_root;
    return m_root->FindChildByName(name, depth);
}

SWindow* SHostWnd::FindChildByID(int id, int depth) const
{
    if (!m_root)
        return nullptr;
    if (id != 0 && m_root->GetID() == id)
        return m_root;
    return m_root->FindChildByID(id, depth);
}

bool SHostWnd::OnEvent(EventArgs* evt)
{
    for (const auto& h : m_handlers) {
        if (h.evtId != evt->GetID())
            continue;
        if (h.byName ? evt->nameFrom != h.name : evt->idFrom != h.id)
            continue;
        if (h.fn(evt))
            return true;
    }
    return false;
}

void SHostWnd::AddEventHandler(int evtId, const std::wstring& senderName, EventHandler handler)
{
    m_handlers.push_back(Handler{evtId, true, senderName, 0, std::move(handler)});
}

void SHostWnd::AddEventHandler(int evtId, int senderId, EventHandler handler)
{
    m_handlers.push_back(Handler{evtId, false, L"", senderId, std::move(handler)});
}

BOOL SHostWnd::OnFireEvent(EventArgs* evt)
{
    if (OnEvent(evt))
        evt->handled++;
    return evt->handled != 0;
}

BOOL SHostWnd::SetTimer(UINT_PTR id, UINT elapse)
{
    return m_hWnd && ::SetTimer(m_hWnd, id, elapse, nullptr) != 0;
}

BOOL SHostWnd::KillTimer(UINT_PTR id)
{
    return m_hWnd && ::KillTimer(m_hWnd, id);
}

void SHostWnd::InvalidateRect(const RECT& rc)
{
    if (!m_hWnd || IsRectEmpty(&rc))
        return;
    m_dirty = UnionRect2(m_dirty, rc);
    if (m_translucent) {
        if (!m_updatePosted)
            m_updatePosted = ::PostMessageW(m_hWnd, UM_UPDATE_LAYERED, 0, 0) != FALSE;
    } else {
        ::InvalidateRect(m_hWnd, &rc, FALSE);
    }
}

void SHostWnd::UpdateNow()
{
    if (!m_hWnd)
        return;
    if (m_translucent)
        UpdateLayered();
    else
        ::UpdateWindow(m_hWnd);
}

void SHostWnd::Render(const RECT& rcIn)
{
    if (!m_rt || !m_root)
        return;
    SIZE sz = m_rt->GetSize();
    RECT all = {0, 0, sz.cx, sz.cy}, rc;
    if (!IntersectRect(&rc, &rcIn, &all))
        return;
    m_rt->PushClipRect(rc);
    // Layered windows start transparent so the shadow band keeps its alpha.
    m_rt->ClearRect(rc, m_translucent ? RGBA(0, 0, 0, 0) : RGBA(255, 255, 255, 255));
    m_root->PaintTree(m_rt, rc);
    m_rt->PopClip();
}

void SHostWnd::RaiseNativeEditsLater()
{
    if (m_hWnd && !m_edits.empty())
        ::PostMessageW(m_hWnd, UM_RAISE_EDITS, 0, 0);
}

void SHostWnd::UpdateLayered()
{
    m_updatePosted = false;
    if (!m_rt || IsRectEmpty(&m_dirty))
        return;
    Render(m_dirty);
    m_dirty = RECT{0, 0, 0, 0};
    SIZE sz = m_rt->GetSize();
    POINT src = {0, 0};
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(m_hWnd, nullptr, nullptr, &sz, m_rt->GetDC(), &src, 0, &bf, ULW_ALPHA);
}

void SHostWnd::OnWidgetDestroyed(SWindow* w)
{
    if (m_hover == w)
        m_hover = nullptr;
    if (m_capture == w)
        m_capture = nullptr;
    if (m_tipOwner == w)
        m_tipOwner = nullptr;
    if (m_focus == w)
        m_focus = nullptr;
    if (m_defaultButton == w)
        m_defaultButton = nullptr;
    if (m_cancelButton == w)
        m_cancelButton = nullptr;
}

void SHostWnd::OnWidgetHidden(SWindow* w)
{
    for (SWindow* p = m_hover; p; p = p->GetParent())
        if (p == w) {
            m_hover = nullptr;
            UpdateTooltip();
            break;
        }
    for (SWindow* p = m_capture; p; p = p->GetParent())
        if (p == w) {
            m_capture = nullptr;
            break;
        }
    for (SWindow* p = m_focus; p; p = p->GetParent())
        if (p == w) {
            m_focus = nullptr;
            break;
        }
}

void SHostWnd::SetFocusedWidget(SWindow* w)
{
    if (w == m_focus)
        return;
    // The focus cue moves with it.
    if (m_focus)
        m_focus->Invalidate();
    m_focus = w;
    if (w)
        w->Invalidate();
    // A native edit's own window announces its focus; a windowless widget is announced here,
    // or on WM_SETFOCUS when the host takes the keyboard only now.
    if (w && !dynamic_cast<SEdit*>(w) && m_hWnd && ::GetFocus() == m_hWnd)
        w->NotifyAccEvent(EVENT_OBJECT_FOCUS);
}

BOOL SHostWnd::PostAccAction(LONG accId)
{
    return m_hWnd && ::PostMessageW(m_hWnd, UM_ACC_ACTION, 0, LPARAM(accId));
}

void SHostWnd::SetDefaultButton(SWindow* w)
{
    m_defaultButton = w;
    m_defaultSet = true;
}

void SHostWnd::SetCancelButton(SWindow* w)
{
    m_cancelButton = w;
    m_cancelSet = true;
}

SWindow* SHostWnd::GetDefaultButton() const
{
    return m_defaultSet ? m_defaultButton : FindChildByID(IDOK);
}

SWindow* SHostWnd::GetCancelButton() const
{
    return m_cancelSet ? m_cancelButton : FindChildByID(IDCANCEL);
}

LRESULT SHostWnd::HitTestFrame(POINT screen)
{
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    // The shadow band is where a translucent window is grabbed; without one, a thin frame.
    auto band = [this](LONG m) { return Scaled(m > 0 ? m : kResizeBand); };
    bool l = screen.x < rc.left + band(m_margin.left), r = screen.x >= rc.right - band(m_margin.right);
    bool t = screen.y < rc.top + band(m_margin.top), b = screen.y >= rc.bottom - band(m_margin.bottom);
    if (t && l)
        return HTTOPLEFT;
    if (t && r)
        return HTTOPRIGHT;
    if (b && l)
        return HTBOTTOMLEFT;
    if (b && r)
        return HTBOTTOMRIGHT;
    if (l)
        return HTLEFT;
    if (r)
        return HTRIGHT;
    if (t)
        return HTTOP;
    if (b)
        return HTBOTTOM;
    return HTCLIENT;
}

int SHostWnd::Scaled(int value) const
{
    return ScaleForDpi(value, m_dpi);
}

void SHostWnd::SetDpi(int dpi)
{
    if (dpi <= 0 || dpi == m_dpi)
        return;
    m_dpi = dpi;
    if (m_rt)
        m_rt->SetDpi(dpi);
    if (!m_root)
        return;
    // Fonts and row heights first, then the places, which depend on them.
    std::vector<SWindow*> stack = {m_root};
    while (!stack.empty()) {
        SWindow* w = stack.back();
        stack.pop_back();
        w->OnScaleChanged();
        for (SWindow* c : w->GetChildren())
            stack.push_back(c);
    }
    RECT rc = {0, 0, 0, 0};
    if (m_hWnd)
        ::GetClientRect(m_hWnd, &rc);
    m_root->Move(rc);
    InvalidateRect(rc);
}

void SHostWnd::OnDpiChanged(int dpi, const RECT* suggested)
{
    // Already laid out for that scale (a pop-up sized for the monitor it was placed on): the
    // suggestion, the old size scaled once more, would grow it twice.
    if (dpi == m_dpi)
        return;
    SetDpi(dpi);
    if (suggested && m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT SHostWnd::HandleMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    // Native edit notifications belong to the engine whatever the window's own map does.
    if (msg == WM_COMMAND && lp) {
        for (SEdit* e : m_edits)
            if (e->GetNativeWnd() == reinterpret_cast<HWND>(lp)) {
                e->OnNativeCommand(HIWORD(wp));
                return 0;
            }
    }
    if (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORSTATIC) {
        for (SEdit* e : m_edits)
            if (e->GetNativeWnd() == reinterpret_cast<HWND>(lp))
                return reinterpret_cast<LRESULT>(e->OnCtlColor(reinterpret_cast<HDC>(wp)));
    }

    // Screen readers and automation tools ask for the tree of widgets.
    if (msg == WM_GETOBJECT && LONG(lp) == OBJID_CLIENT && m_root) {
        IAccessible* acc = m_root->GetAccessible();
        LRESULT res = LresultFromObject(kIidAccessible, wp, acc);
        acc->Release();
        return res;
    }

    LRESULT r = 0;
    if (ProcessWindowMessage(m_hWnd, msg, wp, lp, r)) {
        if (msg != WM_CREATE && msg != WM_DESTROY)
            return r;
    }

    switch (msg) {
    case WM_CREATE: {
        m_dpi = GetWindowDpi(m_hWnd);
        BuildTree(m_layout.first_child());
        return 0;
    }
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_DESTROY:
        for (SEdit* e : m_edits)
            e->OnNativeDestroyed();
        if (m_appWnd)
            PostQuitMessage(0);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MEASUREITEM:
        if (SMenu::OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lp)))
            return TRUE;
        break;
    case WM_DRAWITEM:
        if (SMenu::OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp)))
            return TRUE;
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(m_hWnd, &ps);
        if (m_translucent) {
            EndPaint(m_hWnd, &ps);
            UpdateLayered();
            return 0;
        }
        RECT rc = UnionRect2(m_dirty, ps.rcPaint);
        m_dirty = RECT{0, 0, 0, 0};
        Render(rc);
        if (m_rt)
            BitBlt(hdc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                   ps.rcPaint.bottom - ps.rcPaint.top, m_rt->GetDC(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    case UM_UPDATE_LAYERED:
        // Hidden, its pixels reach nobody: it is drawn when shown (WM_SHOWWINDOW, SWP_SHOWWINDOW).
        if (!::IsWindowVisible(m_hWnd)) {
            m_updatePosted = false;
            return 0;
        }
        UpdateLayered();
        return 0;
    case UM_RAISE_EDITS:
        for (SEdit* e : m_edits)
            e->RaiseAboveHost();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE || HIWORD(wp))
            break;
        // After the activation is over, or the raise is undone by it.
        RaiseNativeEditsLater();
        // Back from a message box, a dialog or the tray: the keyboard goes where it was.
        // Later too: Wine does not let a pop-up edit take over an activation still going on.
        ::PostMessageW(m_hWnd, UM_RESTORE_FOCUS, 0, 0);
        break;
    case UM_RESTORE_FOCUS:
        if (::GetActiveWindow() == m_hWnd)
            RestoreFocus();
        return 0;
    case WM_SETFOCUS:
        if (m_focus && !dynamic_cast<SEdit*>(m_focus))
            m_focus->NotifyAccEvent(EVENT_OBJECT_FOCUS);
        if (m_focus)
            m_focus->Invalidate();
        break;
    case WM_KILLFOCUS:
        if (m_focus)
            m_focus->Invalidate();
        break;
    case UM_ACC_ACTION:
        // Found again by id: the widget may have gone since the request.
        if (SWindow* w = m_root ? m_root->FindAccDescendant(LONG(lp)) : nullptr)
            if (!(w->GetAccState() & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE)))
                w->DoAccDefaultAction();
        return 0;
    case WM_SIZE: {
        int cx = LOWORD(lp), cy = HIWORD(lp);
        if (wp != SIZE_MINIMIZED && cx > 0 && cy > 0 && m_root) {
            SIZE cur = m_rt ? m_rt->GetSize() : SIZE{0, 0};
            if (m_rt && (cur.cx != cx || cur.cy != cy))
                m_rt->Resize(cx, cy);
            m_root->Move(RECT{0, 0, cx, cy});
            InvalidateRect(RECT{0, 0, cx, cy});
        }
        for (SEdit* e : m_edits)
            e->OnPlacementChanged();
        // Activated while still minimised (a restore from the tray): the keyboard comes now.
        if (wp == SIZE_MINIMIZED)
            m_restoreFocusOnSize = true;
        else if (m_restoreFocusOnSize) {
            m_restoreFocusOnSize = false;
            ::PostMessageW(m_hWnd, UM_RESTORE_FOCUS, 0, 0);
        }
        return 0;
    }
    case WM_SHOWWINDOW:
        if (wp && m_translucent) {
            // A layered window shows nothing until its first UpdateLayeredWindow.
            RECT rc;
            ::GetClientRect(m_hWnd, &rc);
            m_dirty = UnionRect2(m_dirty, rc);
            UpdateLayered();
        }
        break;
    case WM_WINDOWPOSCHANGED: {
        LRESULT d = DefWindowProcW(m_hWnd, msg, wp, lp);
        for (SEdit* e : m_edits)
            e->OnPlacementChanged();
        UINT flags = reinterpret_cast<const WINDOWPOS*>(lp)->flags;
        if (!(flags & SWP_NOZORDER))
            RaiseNativeEditsLater();
        // Activated while hidden (during its set-up), it gets no activation when shown:
        // the keyboard goes to its widget once the edits can take it.
        if (flags & SWP_SHOWWINDOW)
            ::PostMessageW(m_hWnd, UM_RESTORE_FOCUS, 0, 0);
        // What changed while it was hidden.
        if ((flags & SWP_SHOWWINDOW) && m_translucent)
            UpdateLayered();
        return d;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        OnMouseMessage(msg, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
    case WM_MOUSEWHEEL:
        if (RouteWheel(GET_WHEEL_DELTA_WPARAM(wp), POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}))
            return 0;
        break;
    case WM_KEYDOWN:
        if (RouteKey(UINT(wp)))
            return 0;
        if (OnDialogKey(UINT(wp), (lp & 0x40000000) != 0))
            return 0;
        break;
    case WM_MOUSELEAVE:
        m_trackingLeave = false;
        if (!m_capture)
            SetHover(nullptr);
        return 0;
    case WM_CAPTURECHANGED:
        if (m_capture && reinterpret_cast<HWND>(lp) != m_hWnd) {
            m_capture->ModifyState(0, WndState_PushDown, TRUE);
            m_capture = nullptr;
        }
        break;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT && m_hover) {
            if (HCURSOR c = m_hover->GetCursor()) {
                SetCursor(c);
                return TRUE;
            }
        }
        break;
    case WM_NCHITTEST:
        if (m_resizable && !::IsZoomed(m_hWnd))
            return HitTestFrame(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        break;
    default:
        break;
    }
    return DefWindowProcW(m_hWnd, msg, wp, lp);
}

}  // namespace SOUI
