#include "engine/lists/SItemPanel.h"
#include <oleacc.h>
#include "engine/host/SHostWnd.h"
#include "engine/lists/SListView.h"

namespace SOUI {

SItemPanel::SItemPanel(SListView* list) : m_list(list)
{
    m_parent = list;
    SetHostWnd(list->GetHostWnd());
}

HRESULT SItemPanel::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const wchar_t* const kListOwned[] = {L"itemHeight", L"colorNormal", L"colorSelected", L"colorHover"};
    for (const wchar_t* n : kListOwned)
        if (_wcsicmp(n, name.c_str()) == 0)
            return S_FALSE;
    return Base::SetAttribute(name, value, loading);
}

SWindow* SItemPanel::SwndFromPoint(POINT pt)
{
    SWindow* hit = Base::SwndFromPoint(pt);
    if (!hit)
        return nullptr;
    for (SWindow* w = hit; w && w != this; w = w->GetParent())
        if (w->IsClass(L"button") || w->IsClass(L"check") || w->IsClass(L"edit"))
            return w;
    // The row stands in for its inner widgets, so it shows their tooltip too.
    m_tip.clear();
    for (SWindow* w = hit; w && w != this; w = w->GetParent())
        if (!w->GetToolTipText().empty()) {
            m_tip = w->GetToolTipText();
            break;
        }
    return this;
}

void SItemPanel::OnLButtonDown(POINT) {}

void SItemPanel::OnLButtonUp(POINT pt)
{
    if (PtInRect(&m_rc, pt))
        m_list->OnItemClick(m_index);
}

void SItemPanel::OnMouseLeave()
{
    // Onto a button of this row is not out of the row.
    SHostWnd* host = GetHostWnd();
    for (SWindow* w = host ? host->GetHoverWidget() : nullptr; w; w = w->GetParent())
        if (w == this)
            return;
    if (m_list->GetHoverItem() == m_index)
        m_list->SetHoverItem(-1);
}

void SItemPanel::OnPaint(IRenderTarget* rt)
{
    COLORREF cr = m_list->GetRowColor(m_index);
    if (cr != CR_INVALID)
        rt->FillSolidRect(m_rc, cr);
    Base::OnPaint(rt);
}

LONG SItemPanel::DefaultAccRole() const
{
    return ROLE_SYSTEM_LISTITEM;
}

std::wstring SItemPanel::DefaultAccName() const
{
    std::vector<const SWindow*> stack(m_children.rbegin(), m_children.rend());
    while (!stack.empty()) {
        const SWindow* w = stack.back();
        stack.pop_back();
        if (w->IsVisible() && w->IsClass(L"text") && !w->GetWindowTextW().empty())
            return w->GetWindowTextW();
        const auto& kids = w->GetChildren();
        for (auto it = kids.rbegin(); it != kids.rend(); ++it)
            stack.push_back(*it);
    }
    return Base::DefaultAccName();
}

DWORD SItemPanel::GetAccState() const
{
    DWORD s = Base::GetAccState() | STATE_SYSTEM_SELECTABLE;
    // A row cut by the list's edge is partly scrolled out.
    RECT view = m_list->GetClientRect(), both;
    if (!IntersectRect(&both, &view, &m_rc) || !EqualRect(&both, &m_rc))
        s |= STATE_SYSTEM_OFFSCREEN;
    if (m_list->GetSel() == m_index)
        s |= STATE_SYSTEM_SELECTED;
    if (m_list->GetHoverItem() == m_index)
        s |= STATE_SYSTEM_HOTTRACKED;
    return s;
}

std::wstring SItemPanel::GetAccDefaultAction() const
{
    return L"选择";
}

void SItemPanel::DoAccDefaultAction()
{
    m_list->OnItemClick(m_index);
}

bool SItemPanel::AccTakeSelection()
{
    if (m_index < 0)
        return false;
    m_list->SetSel(m_index);
    return true;
}

}  // namespace SOUI
