#include "engine/widgets/STabCtrl.h"
#include <oleacc.h>
#include <algorithm>
#include "engine/skins/SSkinPoolMgr.h"

namespace SOUI {

STabCtrl::STabCtrl()
{
    m_textFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
}

HRESULT STabCtrl::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<STabCtrl> kAttrs[] = {
        {L"curSel",
         [](STabCtrl& t, const std::wstring& v) -> HRESULT {
             int n;
             if (!ParseInt(v, n))
                 return E_FAIL;
             t.m_curSel = n;
             return S_OK;
         }},
        {L"tabHeight",
         [](STabCtrl& t, const std::wstring& v) -> HRESULT { return ParseInt(v, t.m_tabHeight) ? S_OK : E_FAIL; }},
        {L"tabWidth",
         [](STabCtrl& t, const std::wstring& v) -> HRESULT { return ParseInt(v, t.m_tabWidth) ? S_OK : E_FAIL; }},
        {L"tabSkin",
         [](STabCtrl& t, const std::wstring& v) -> HRESULT {
             auto* pool = SSkinPoolMgr::getSingletonPtr();
             t.m_tabSkin = pool ? pool->GetSkin(v) : nullptr;
             return t.m_tabSkin ? S_OK : E_FAIL;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

void STabCtrl::OnInitFinished(pugi::xml_node)
{
    if (m_curSel < 0 || m_curSel >= GetItemCount())
        m_curSel = 0;
    for (int i = 0; i < GetItemCount(); ++i)
        GetItem(i)->SetVisible(i == m_curSel, FALSE);
}

int STabCtrl::GetItemCount() const
{
    int n = 0;
    for (SWindow* c : m_children)
        if (dynamic_cast<STabPage*>(c))
            ++n;
    return n;
}

STabPage* STabCtrl::GetItem(int index) const
{
    for (SWindow* c : m_children)
        if (auto* p = dynamic_cast<STabPage*>(c))
            if (index-- == 0)
                return p;
    return nullptr;
}

BOOL STabCtrl::SetCurSel(int index)
{
    if (index < 0 || index >= GetItemCount())
        return FALSE;
    int old = m_curSel;
    m_curSel = index;
    for (int i = 0; i < GetItemCount(); ++i)
        GetItem(i)->SetVisible(i == index, TRUE);
    Invalidate();
    if (old != index) {
        EventTabSelChanged evt(this, old, index);
        FireEvent(&evt);
    }
    return TRUE;
}

void STabCtrl::UpdateChildrenPosition()
{
    RECT client = GetClientRect();
    client.top = std::min(client.bottom, client.top + Scaled(m_tabHeight));
    for (SWindow* c : m_children)
        c->Move(c->CalcPosition(client));
}

RECT STabCtrl::TabRect(int index) const
{
    RECT cl = GetClientRect();
    int n = std::max(GetItemCount(), 1);
    int w = m_tabWidth > 0 ? Scaled(m_tabWidth) : (cl.right - cl.left) / n;
    return RECT{cl.left + index * w, cl.top, cl.left + (index + 1) * w, cl.top + Scaled(m_tabHeight)};
}

int STabCtrl::TabFromPoint(POINT pt) const
{
    if (m_tabHeight <= 0)
        return -1;
    for (int i = 0; i < GetItemCount(); ++i) {
        RECT rc = TabRect(i);
        if (PtInRect(&rc, pt))
            return i;
    }
    return -1;
}

void STabCtrl::OnPaint(IRenderTarget* rt)
{
    DrawBackground(rt);
    if (m_tabHeight <= 0)
        return;
    for (int i = 0; i < GetItemCount(); ++i) {
        RECT rc = TabRect(i);
        DWORD st = i == m_curSel ? WndState_Check : (i == m_hoverTab ? WndState_Hover : 0);
        if (m_tabSkin)
            m_tabSkin->DrawByState(rt, rc, st);
        const std::wstring& title = GetItem(i)->GetTitle();
        if (!title.empty())
            DrawTextW(rt, title.c_str(), int(title.size()), &rc, m_textFormat);
    }
}

void STabCtrl::OnLButtonDown(POINT pt)
{
    int tab = TabFromPoint(pt);
    if (tab >= 0)
        SetCurSel(tab);
}

void STabCtrl::OnMouseMove(POINT pt)
{
    int tab = TabFromPoint(pt);
    if (tab != m_hoverTab) {
        m_hoverTab = tab;
        Invalidate();
    }
}

void STabCtrl::OnMouseLeave()
{
    m_hoverTab = -1;
    Base::OnMouseLeave();
}

int STabCtrl::IndexOf(const STabPage* page) const
{
    for (int i = 0; i < GetItemCount(); ++i)
        if (GetItem(i) == page)
            return i;
    return -1;
}

LONG STabCtrl::DefaultAccRole() const
{
    return HasTabs() ? ROLE_SYSTEM_PAGETABLIST : Base::DefaultAccRole();
}

void STabCtrl::GetAccChildren(std::vector<SWindow*>& out) const
{
    if (!HasTabs()) {
        Base::GetAccChildren(out);
        return;
    }
    // Every page is a tab, the hidden ones too; the shown one holds the page's widgets.
    for (SWindow* c : m_children) {
        if (dynamic_cast<STabPage*>(c))
            out.push_back(c);
        else if (c->IsVisible() && c->GetAccRole() != 0)
            out.push_back(c);
        else if (c->IsVisible())
            c->GetAccChildren(out);
    }
}

}  // namespace SOUI
