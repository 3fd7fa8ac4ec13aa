#include "engine/widgets/SWindow.h"
#include <algorithm>
#include "engine/core/SObjectFactoryMgr.h"
#include "engine/core/SResProviderMgr.h"
#include "engine/core/SDebug.h"
#include "engine/core/SDpi.h"
#include "engine/core/SFontPool.h"
#include "engine/host/SHostWnd.h"
#include "engine/skins/SSkinPoolMgr.h"
#include "engine/core/SStringUtil.h"

namespace SOUI {

namespace {
// Includes nest at most this deep; a layout that includes itself stops here.
constexpr int kMaxIncludeDepth = 8;
int g_includeDepth = 0;

HRESULT Colour(COLORREF& out, const std::wstring& v)
{
    return ParseColor(v, out) ? S_OK : E_FAIL;
}

HRESULT SetFlag(UINT& fmt, UINT clearMask, UINT set)
{
    fmt = (fmt & ~clearMask) | set;
    return S_OK;
}
}  // namespace

SWindow::SWindow() : m_accId(NextAccId()) {}

SWindow::~SWindow()
{
    ReleaseAccessible();
    if (m_host)
        m_host->OnWidgetDestroyed(this);
    for (SWindow* c : m_children)
        delete c;
}

void SWindow::InsertChild(SWindow* child)
{
    if (!child)
        return;
    child->m_parent = this;
    m_children.push_back(child);
    child->SetHostWnd(m_host);
}

bool SWindow::DestroyChild(SWindow* child)
{
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end())
        return false;
    child->Invalidate();
    m_children.erase(it);
    delete child;
    return true;
}

void SWindow::SetHostWnd(SHostWnd* host)
{
    m_host = host;
    for (SWindow* c : m_children)
        c->SetHostWnd(host);
}

SWindow* SWindow::FindChildByName(const std::wstring& name, int depth) const
{
    if (name.empty() || depth == 0)
        return nullptr;
    for (SWindow* c : m_children)
        if (c->m_name == name)
            return c;
    for (SWindow* c : m_children)
        if (SWindow* r = c->FindChildByName(name, depth - 1))
            return r;
    return nullptr;
}

SWindow* SWindow::FindChildByID(int id, int depth) const
{
    if (id == 0 || depth == 0)
        return nullptr;
    for (SWindow* c : m_children)
        if (c->GetID() == id)
            return c;
    for (SWindow* c : m_children)
        if (SWindow* r = c->FindChildByID(id, depth - 1))
            return r;
    return nullptr;
}

BOOL SWindow::InitFromXml(pugi::xml_node node)
{
    if (!Base::InitFromXml(node))
        return FALSE;
    std::wstring text = Trim(Utf8ToWide(node.text().get()));
    if (!text.empty()) {
        auto* mgr = SResProviderMgr::getSingletonPtr();
        m_text = mgr ? mgr->GetString(text) : text;
    }
    if (!CreateChildren(node))
        return FALSE;
    OnInitFinished(node);
    return TRUE;
}

BOOL SWindow::CreateChildren(pugi::xml_node node)
{
    auto* res = SResProviderMgr::getSingletonPtr();
    auto* factories = SObjectFactoryMgr::getSingletonPtr();
    if (!res || !factories)
        return FALSE;
    for (auto e : node.children()) {
        if (e.type() != pugi::node_element)
            continue;
        std::wstring cls = Utf8ToWide(e.name());
        if (cls == L"include") {
            std::wstring src = Utf8ToWide(e.attribute("src").value());
            pugi::xml_document doc;
            if (g_includeDepth >= kMaxIncludeDepth) {
                SLog(L"include '" + src + L"' nested too deep in " + Describe());
                continue;
            }
            if (!res->LoadXml(doc, src)) {
                SLog(L"include '" + src + L"' of " + Describe() + L" did not load");
                continue;
            }
            ++g_includeDepth;
            CreateChildren(doc.first_child());
            --g_includeDepth;
            continue;
        }
        SObject* obj = factories->CreateObject(cls, Window);
        if (!obj) {
            SLog(L"unknown widget class '" + cls + L"' inside " + Describe() + L" (skipped with its children)");
            continue;
        }
        auto* child = static_cast<SWindow*>(obj);
        // In the tree before it reads its layout: a widget may look at its parent and host.
        InsertChild(child);
        if (!child->InitFromXml(e)) {
            SLog(child->Describe() + L" inside " + Describe() + L" refused its layout (removed)");
            DestroyChild(child);
        }
    }
    return TRUE;
}

HRESULT SWindow::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SWindow> kAttrs[] = {
        {L"pos", [](SWindow& w, const std::wstring& v) -> HRESULT { return ParsePos(v, w.m_pos) ? S_OK : E_FAIL; }},
        {L"size", [](SWindow& w, const std::wstring& v) -> HRESULT {
             std::vector<int> n;
             if (!ParseIntList(v, n) || n.size() != 2) return E_FAIL;
             w.m_width = n[0];
             w.m_height = n[1];
             return S_OK;
         }},
        {L"width", [](SWindow& w, const std::wstring& v) -> HRESULT { return ParseInt(v, w.m_width) ? S_OK : E_FAIL; }},
        {L"height", [](SWindow& w, const std::wstring& v) -> HRESULT { return ParseInt(v, w.m_height) ? S_OK : E_FAIL; }},
        {L"show", [](SWindow& w, const std::wstring& v) -> HRESULT {
             bool b;
             if (!ParseBool(v, b)) return E_FAIL;
             w.SetVisible(b, TRUE);
             return S_FALSE;
         }},
        {L"visible", [](SWindow& w, const std::wstring& v) -> HRESULT {
             bool b;
             if (!ParseBool(v, b)) return E_FAIL;
             w.SetVisible(b, TRUE);
             return S_FALSE;
         }},
        {L"enable", [](SWindow& w, const std::wstring& v) -> HRESULT {
             bool b;
             if (!ParseBool(v, b)) return E_FAIL;
             w.EnableWindow(b, TRUE);
             return S_FALSE;
         }},
        {L"text", [](SWindow& w, const std::wstring& v) -> HRESULT {
             auto* mgr = SResProviderMgr::getSingletonPtr();
             w.SetWindowTextW(mgr ? mgr->GetString(v) : v);
             return S_FALSE;
         }},
        {L"tip", [](SWindow& w, const std::wstring& v) -> HRESULT {
             auto* mgr = SResProviderMgr::getSingletonPtr();
             w.m_tip = mgr ? mgr->GetString(v) : v;
             return S_FALSE;
         }},
        {L"data", [](SWindow& w, const std::wstring& v) -> HRESULT {
             int n;
             if (!ParseInt(v, n)) return E_FAIL;
             w.m_userData = ULONG_PTR(n);
             return S_FALSE;
         }},
        {L"colorBkgnd", [](SWindow& w, const std::wstring& v) { return Colour(w.m_crBkgnd, v); }},
        {L"colorBorder", [](SWindow& w, const std::wstring& v) { return Colour(w.m_crBorder, v); }},
        {L"colorText", [](SWindow& w, const std::wstring& v) { return Colour(w.m_crText[0], v); }},
        {L"colorTextHover", [](SWindow& w, const std::wstring& v) { return Colour(w.m_crText[1], v); }},
        {L"colorTextPush", [](SWindow& w, const std::wstring& v) { return Colour(w.m_crText[2], v); }},
        {L"colorTextDisable", [](SWindow& w, const std::wstring& v) { return Colour(w.m_crText[3], v); }},
        {L"margin", [](SWindow& w, const std::wstring& v) -> HRESULT { return ParseMargin(v, w.m_margin) ? S_OK : E_FAIL; }},
        {L"font", [](SWindow& w, const std::wstring& v) -> HRESULT {
             SFontSpec f;
             if (!ParseFontSpec(v, f)) return E_FAIL;
             w.m_font.Merge(f);
             return S_OK;
         }},
        {L"fontHover", [](SWindow& w, const std::wstring& v) -> HRESULT {
             SFontSpec f;
             if (!ParseFontSpec(v, f)) return E_FAIL;
             w.m_fontHover.Merge(f);
             w.m_hasFontHover = true;
             return S_FALSE;
         }},
        {L"align", [](SWindow& w, const std::wstring& v) -> HRESULT {
             if (v == L"left") return SetFlag(w.m_textFormat, DT_CENTER | DT_RIGHT, DT_LEFT);
             if (v == L"center") return SetFlag(w.m_textFormat, DT_CENTER | DT_RIGHT, DT_CENTER);
             if (v == L"right") return SetFlag(w.m_textFormat, DT_CENTER | DT_RIGHT, DT_RIGHT);
             return E_FAIL;
         }},
        {L"valign", [](SWindow& w, const std::wstring& v) -> HRESULT {
             if (v == L"top") return SetFlag(w.m_textFormat, DT_VCENTER | DT_BOTTOM, DT_TOP);
             if (v == L"middle" || v == L"center") return SetFlag(w.m_textFormat, DT_VCENTER | DT_BOTTOM, DT_VCENTER);
             if (v == L"bottom") return SetFlag(w.m_textFormat, DT_VCENTER | DT_BOTTOM, DT_BOTTOM);
             return E_FAIL;
         }},
        {L"textMode", [](SWindow& w, const std::wstring& v) -> HRESULT {
             int n;
             if (!ParseInt(v, n)) return E_FAIL;
             w.m_textFormat = UINT(n);
             return S_OK;
         }},
        {L"dotted", [](SWindow& w, const std::wstring& v) -> HRESULT {
             bool b;
             if (!ParseBool(v, b)) return E_FAIL;
             return SetFlag(w.m_textFormat, DT_END_ELLIPSIS, b ? DT_END_ELLIPSIS : 0);
         }},
        {L"multiLines", [](SWindow& w, const std::wstring& v) -> HRESULT {
             bool b;
             if (!ParseBool(v, b)) return E_FAIL;
             if (b) return SetFlag(w.m_textFormat, DT_SINGLELINE | DT_VCENTER, DT_WORDBREAK);
             return SetFlag(w.m_textFormat, DT_WORDBREAK, DT_SINGLELINE);
         }},
        {L"cursor", [](SWindow& w, const std::wstring& v) -> HRESULT {
             if (v == L"hand") w.m_handCursor = true;
             else if (v == L"arrow") w.m_handCursor = false;
             else return E_FAIL;
             return S_FALSE;
         }},
        {L"skin", [](SWindow& w, const std::wstring& v) -> HRESULT {
             auto* pool = SSkinPoolMgr::getSingletonPtr();
             ISkinObj* s = pool ? pool->GetSkin(v) : nullptr;
             w.SetSkin(s);
             return s ? S_OK : E_FAIL;
         }},
        {L"msgTransparent", [](SWindow& w, const std::wstring& v) -> HRESULT {
             return ParseBool(v, w.m_msgTransparent) ? S_FALSE : E_FAIL;
         }},
        {L"focusable", [](SWindow& w, const std::wstring& v) -> HRESULT {
             return ParseBool(v, w.m_focusable) ? S_FALSE : E_FAIL;
         }},
        {L"drawFocusRect", [](SWindow& w, const std::wstring& v) -> HRESULT {
             return ParseBool(v, w.m_drawFocusRect) ? S_FALSE : E_FAIL;
         }},
        {L"accName", [](SWindow& w, const std::wstring& v) -> HRESULT {
             auto* mgr = SResProviderMgr::getSingletonPtr();
             w.m_accName = mgr ? mgr->GetString(v) : v;
             w.NotifyAccEvent(EVENT_OBJECT_NAMECHANGE);
             return S_FALSE;
         }},
        {L"accRole", [](SWindow& w, const std::wstring& v) -> HRESULT {
             return ParseAccRole(v, w.m_accRole) ? S_FALSE : E_FAIL;
         }},
        // The horizontal text inset of style classes: accepted, not drawn.
        {L"margin-x", [](SWindow&, const std::wstring&) -> HRESULT { return S_FALSE; }},
        {L"margin-y", [](SWindow&, const std::wstring&) -> HRESULT { return S_FALSE; }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    if (hr == E_NOTIMPL)
        return Base::SetAttribute(name, value, loading);
    if (hr == S_OK && !loading) {
        RequestRelayout();
        Invalidate();
    }
    return hr;
}

void SWindow::SetWindowTextW(const std::wstring& text)
{
    if (text == m_text)
        return;
    m_text = text;
    if (m_width < 0 || m_height < 0)
        RequestRelayout();
    Invalidate();
    // A countdown or a company name read out as it changes.
    if (m_accName.empty())
        NotifyAccEvent(EVENT_OBJECT_NAMECHANGE);
}

DWORD SWindow::ModifyState(DWORD add, DWORD remove, BOOL update)
{
    DWORD old = m_state;
    m_state = (m_state & ~remove) | add;
    if (update && old != m_state)
        Invalidate();
    return old;
}

BOOL SWindow::IsVisible(BOOL checkParent) const
{
    if (!m_visible)
        return FALSE;
    if (checkParent && m_parent)
        return m_parent->IsVisible(TRUE);
    return TRUE;
}

void SWindow::SetVisible(BOOL visible, BOOL update)
{
    if (bool(visible) == m_visible)
        return;
    if (update)
        Invalidate();
    m_visible = visible != FALSE;
    if (update)
        Invalidate();
    if (!m_visible && m_host)
        m_host->OnWidgetHidden(this);
    NotifyPlacement();
}

BOOL SWindow::IsDisabled(BOOL checkParent) const
{
    if (m_state & WndState_Disable)
        return TRUE;
    if (checkParent && m_parent)
        return m_parent->IsDisabled(TRUE);
    return FALSE;
}

void SWindow::EnableWindow(BOOL enable, BOOL update)
{
    ModifyState(enable ? 0 : WndState_Disable, enable ? WndState_Disable : (WndState_Hover | WndState_PushDown),
                update);
    NotifyPlacement();
}

void SWindow::SetCheck(BOOL check)
{
    ModifyState(check ? WndState_Check : 0, check ? 0 : WndState_Check, TRUE);
}

void SWindow::GetClientRect(RECT* rc) const
{
    *rc = GetClientRect();
}

RECT SWindow::GetClientRect() const
{
    RECT rc = {m_rc.left + Scaled(m_margin.left), m_rc.top + Scaled(m_margin.top), m_rc.right - Scaled(m_margin.right),
               m_rc.bottom - Scaled(m_margin.bottom)};
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    return rc;
}

void SWindow::Move(const RECT& rc)
{
    if (EqualRect(&rc, &m_rc)) {
        UpdateChildrenPosition();
        return;
    }
    Invalidate();
    m_rc = rc;
    Invalidate();
    UpdateChildrenPosition();
    OnPlacementChanged();
}

SIZE SWindow::GetDesiredSize()
{
    SIZE sz = {0, 0};
    if (m_skin) {
        SIZE skin = m_skin->GetSkinSize();
        sz = SIZE{Scaled(skin.cx), Scaled(skin.cy)};
    }
    if (!m_text.empty()) {
        auto* res = SResProviderMgr::getSingletonPtr();
        IRenderTarget* rt = res ? res->GetMeasureTarget() : nullptr;
        if (rt) {
            SIZE t = rt->MeasureText(m_text.c_str(), int(m_text.size()), GetFont(), -1);
            sz.cx = std::max(sz.cx, t.cx);
            sz.cy = std::max(sz.cy, t.cy);
        }
    }
    sz.cx += Scaled(m_margin.left) + Scaled(m_margin.right);
    sz.cy += Scaled(m_margin.top) + Scaled(m_margin.bottom);
    return sz;
}

RECT SWindow::CalcPosition(const RECT& pc)
{
    if (m_pos.empty()) {
        if (m_width < 0 && m_height < 0)
            return pc;
        RECT rc = pc;
        if (m_width >= 0)
            rc.right = rc.left + Scaled(m_width);
        if (m_height >= 0)
            rc.bottom = rc.top + Scaled(m_height);
        return rc;
    }
    // Each value is scaled on its own, so an edge kept from the near side and one kept from
    // the far side of the same parent move alike.
    auto edge = [this](const SPosItem& it, LONG nearEdge, LONG farEdge) {
        return it.type == SPosItem::Far ? farEdge - Scaled(it.value) : nearEdge + Scaled(it.value);
    };
    RECT rc;
    rc.left = edge(m_pos[0], pc.left, pc.right);
    rc.top = edge(m_pos[1], pc.top, pc.bottom);
    if (m_pos.size() == 4) {
        rc.right =
            m_pos[2].type == SPosItem::Size ? rc.left + Scaled(m_pos[2].value) : edge(m_pos[2], pc.left, pc.right);
        rc.bottom =
            m_pos[3].type == SPosItem::Size ? rc.top + Scaled(m_pos[3].value) : edge(m_pos[3], pc.top, pc.bottom);
    } else {
        SIZE want = {m_width < 0 ? -1 : Scaled(m_width), m_height < 0 ? -1 : Scaled(m_height)};
        if (want.cx < 0 || want.cy < 0) {
            SIZE d = GetDesiredSize();
            if (want.cx < 0)
                want.cx = d.cx;
            if (want.cy < 0)
                want.cy = d.cy;
        }
        rc.right = rc.left + want.cx;
        rc.bottom = rc.top + want.cy;
    }
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    return rc;
}

void SWindow::UpdateChildrenPosition()
{
    RECT client = GetClientRect();
    for (SWindow* c : m_children)
        c->Move(c->CalcPosition(client));
}

void SWindow::RequestRelayout()
{
    if (m_parent)
        Move(CalcPosition(m_parent->GetClientRect()));
    else
        UpdateChildrenPosition();
}

ULONG_PTR SWindow::SetUserData(ULONG_PTR data)
{
    ULONG_PTR old = m_userData;
    m_userData = data;
    return old;
}

BOOL SWindow::FireEvent(EventArgs* evt)
{
    if (!evt)
        return FALSE;
    m_evtSet.FireEvent(evt);
    if (!evt->bubbleUp)
        return evt->handled != 0;
    if (SWindow* next = m_owner ? m_owner : m_parent)
        return next->FireEvent(evt);
    if (m_host)
        return m_host->OnFireEvent(evt);
    return evt->handled != 0;
}

BOOL SWindow::FireCommand()
{
    EventCmd evt(this);
    return FireEvent(&evt);
}

void SWindow::Invalidate()
{
    InvalidateRect(m_rc);
}

void SWindow::InvalidateRect(const RECT& rc)
{
    if (m_host && IsVisible(TRUE))
        m_host->InvalidateRect(rc);
}

void SWindow::PaintTree(IRenderTarget* rt, const RECT& dirty)
{
    RECT inter;
    if (!m_visible || !IntersectRect(&inter, &m_rc, &dirty))
        return;
    rt->PushClipRect(inter);
    if (m_focusable && HasKeyboardFocus()) {
        // The focused button looks hovered, so the cue shows even where the layout turns
        // the dotted frame off.
        DWORD state = m_state;
        m_state |= WndState_Hover;
        OnPaint(rt);
        m_state = state;
        if (m_drawFocusRect)
            DrawFocusCue(rt);
    } else {
        OnPaint(rt);
    }
    for (SWindow* c : m_children)
        c->PaintTree(rt, inter);
    rt->PopClip();
}

void SWindow::DrawFocusCue(IRenderTarget* rt)
{
    RECT rc = {m_rc.left + Scaled(3), m_rc.top + Scaled(3), m_rc.right - Scaled(4), m_rc.bottom - Scaled(4)};
    if (rc.right <= rc.left || rc.bottom <= rc.top)
        return;
    COLORREF cr = GetTextColor();
    if (cr == CR_INVALID)
        cr = RGBA(0, 0, 0, 255);
    // Dotted, one on and one off, as the system draws it.
    for (LONG x = rc.left; x < rc.right; x += 2) {
        rt->FillSolidRect(RECT{x, rc.top, x + 1, rc.top + 1}, cr);
        rt->FillSolidRect(RECT{x, rc.bottom, x + 1, rc.bottom + 1}, cr);
    }
    for (LONG y = rc.top; y <= rc.bottom; y += 2) {
        rt->FillSolidRect(RECT{rc.left, y, rc.left + 1, y + 1}, cr);
        rt->FillSolidRect(RECT{rc.right, y, rc.right + 1, y + 1}, cr);
    }
}

bool SWindow::HasKeyboardFocus() const
{
    return m_host && m_host->GetFocusedWidget() == this && m_host->m_hWnd && ::GetFocus() == m_host->m_hWnd;
}

void SWindow::DrawBackground(IRenderTarget* rt)
{
    if (m_crBkgnd != CR_INVALID)
        rt->FillSolidRect(GetClientRect(), m_crBkgnd);
    if (m_skin)
        m_skin->DrawByState(rt, m_rc, m_state);
    if (m_crBorder != CR_INVALID) {
        RECT cl = GetClientRect();
        rt->FillSolidRect(RECT{m_rc.left, m_rc.top, m_rc.right, cl.top}, m_crBorder);
        rt->FillSolidRect(RECT{m_rc.left, cl.bottom, m_rc.right, m_rc.bottom}, m_crBorder);
        rt->FillSolidRect(RECT{m_rc.left, cl.top, cl.left, cl.bottom}, m_crBorder);
        rt->FillSolidRect(RECT{cl.right, cl.top, m_rc.right, cl.bottom}, m_crBorder);
    }
}

void SWindow::OnPaint(IRenderTarget* rt)
{
    DrawBackground(rt);
    std::wstring text = GetWindowTextW();
    if (!text.empty()) {
        RECT rc = GetClientRect();
        DrawTextW(rt, text.c_str(), int(text.size()), &rc, m_textFormat);
    }
}

void SWindow::DrawTextW(IRenderTarget* rt, const wchar_t* text, int len, RECT* rc, UINT format)
{
    rt->DrawText(text, len, *rc, format, GetFont(), GetTextColor());
}

IFont* SWindow::GetFont()
{
    auto* res = SResProviderMgr::getSingletonPtr();
    if (!res)
        return nullptr;
    SFontSpec spec = res->GetDefaultFontSpec();
    spec.Merge(m_font);
    if (m_hasFontHover && (m_state & WndState_Hover))
        spec.Merge(m_fontHover);
    spec.size = Scaled(spec.size);
    return res->GetFontPool().GetFont(spec);
}

COLORREF SWindow::GetTextColor() const
{
    int idx = StateToIndex(m_state);
    if (m_crText[idx] != CR_INVALID)
        return m_crText[idx];
    if (m_skin) {
        COLORREF cr = m_skin->GetTextColor(idx);
        if (cr != CR_INVALID)
            return cr;
    }
    return m_crText[0];
}

void SWindow::SetSkin(ISkinObj* skin)
{
    m_skin = skin;
    Invalidate();
}

SWindow* SWindow::SwndFromPoint(POINT pt)
{
    if (!m_visible || !PtInRect(&m_rc, pt))
        return nullptr;
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        if (SWindow* hit = (*it)->SwndFromPoint(pt))
            return hit;
    return m_msgTransparent ? nullptr : this;
}

void SWindow::OnMouseHover()
{
    ModifyState(WndState_Hover, 0, TRUE);
}
void SWindow::OnMouseLeave()
{
    ModifyState(0, WndState_Hover | WndState_PushDown, TRUE);
}
void SWindow::OnLButtonDown(POINT)
{
    ModifyState(WndState_PushDown, 0, TRUE);
}
void SWindow::OnLButtonUp(POINT)
{
    ModifyState(0, WndState_PushDown, TRUE);
}
BOOL SWindow::OnMouseWheel(int)
{
    return FALSE;
}
BOOL SWindow::OnKeyDown(UINT)
{
    return FALSE;
}

HCURSOR SWindow::GetCursor() const
{
    return m_handCursor ? LoadCursorW(nullptr, IDC_HAND) : nullptr;
}

LRESULT SWindow::SSendMessage(UINT, WPARAM, LPARAM)
{
    return 0;
}

void SWindow::SetFocus()
{
    if (!m_host)
        return;
    m_host->SetFocusedWidget(this);
    if (m_host->m_hWnd && ::GetFocus() != m_host->m_hWnd)
        ::SetFocus(m_host->m_hWnd);
}

int SWindow::GetDpi() const
{
    // A list row is filled and placed while detached from its host: its list knows the scale.
    if (m_host)
        return m_host->GetDpi();
    return m_parent ? m_parent->GetDpi() : kBaseDpi;
}

int SWindow::Scaled(int value) const
{
    return ScaleForDpi(value, GetDpi());
}

void SWindow::NotifyPlacement()
{
    OnPlacementChanged();
    for (SWindow* c : m_children)
        c->NotifyPlacement();
}

}  // namespace SOUI
