#include "engine/lists/SListView.h"
#include <algorithm>
#include <oleacc.h>
#include "engine/core/SDebug.h"
#include "engine/host/SHostWnd.h"
#include "engine/skins/SSkinPoolMgr.h"
#include "engine/skins/SSkinScrollbar.h"
#include "engine/core/SStringUtil.h"
#include "engine/lists/SDropDownWnd.h"

namespace SOUI {

namespace {
constexpr int kDefaultBarWidth = 10;
constexpr int kMinThumb = 16;

HRESULT Colour(COLORREF& out, const std::wstring& v)
{
    return ParseColor(v, out) ? S_OK : E_FAIL;
}

bool Inside(const RECT& rc, POINT pt)
{
    return PtInRect(&rc, pt) != FALSE;
}
}  // namespace

SListView::SListView() = default;

SListView::~SListView()
{
    if (m_adapter)
        m_adapter->unregisterDataSetObserver(this);
    // Row handlers may point into the adapter, so the rows go first.
    DeleteAllPanels();
    m_adapter = nullptr;
}

void SListView::DeleteAllPanels()
{
    for (SItemPanel* p : m_panels)
        delete p;
    for (SItemPanel* p : m_spare)
        delete p;
    m_panels.clear();
    m_spare.clear();
}

void SListView::SetAdapter(SAdapterBase* adapter)
{
    if (m_adapter)
        m_adapter->unregisterDataSetObserver(this);
    // Panels filled by another adapter carry its handlers; none of them is reused.
    DeleteAllPanels();
    m_adapter = adapter;
    if (m_adapter)
        m_adapter->registerDataSetObserver(this);
    m_sel = m_hover = -1;
    m_scrollY = 0;
    m_dragging = false;
    UpdatePanels(true);
    Invalidate();
}

BOOL SListView::CreateChildren(pugi::xml_node node)
{
    // The template is kept, not built: each row panel is built from it.
    pugi::xml_node tpl = node.child("template");
    m_template.reset();
    if (!tpl)
        return TRUE;
    m_template.append_copy(tpl);
    static const SAttrEntry<SListView> kTemplateAttrs[] = {
        {L"itemHeight",
         [](SListView& l, const std::wstring& v) -> HRESULT {
             int n;
             if (!ParseInt(v, n) || n <= 0)
                 return E_FAIL;
             l.m_itemHeight = n;
             l.m_locator.SetItemHeight(l.Scaled(n));
             return S_OK;
         }},
        {L"colorNormal", [](SListView& l, const std::wstring& v) { return Colour(l.m_crNormal, v); }},
        {L"colorSelected", [](SListView& l, const std::wstring& v) { return Colour(l.m_crSelected, v); }},
        {L"colorHover", [](SListView& l, const std::wstring& v) { return Colour(l.m_crHover, v); }},
    };
    for (auto a : tpl.attributes())
        if (ApplyAttr(kTemplateAttrs, *this, Utf8ToWide(a.name()), Utf8ToWide(a.value())) == E_NOTIMPL)
            SLog(L"unknown template attribute '" + Utf8ToWide(a.name()) + L"' on " + Describe());
    return TRUE;
}

HRESULT SListView::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SListView> kAttrs[] = {
        {L"sbSkin",
         [](SListView& l, const std::wstring& v) -> HRESULT {
             auto* pool = SSkinPoolMgr::getSingletonPtr();
             ISkinObj* s = pool ? pool->GetSkin(v) : nullptr;
             l.m_sbSkin = s;
             return s ? S_OK : E_FAIL;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

int SListView::ViewHeight() const
{
    RECT rc = GetClientRect();
    return rc.bottom - rc.top;
}

int SListView::MaxScroll() const
{
    return std::max(0, m_locator.GetTotalHeight() - ViewHeight());
}

int SListView::ScrollBarWidth() const
{
    if (m_sbSkin) {
        SIZE sz = m_sbSkin->GetSkinSize();
        if (sz.cx > 0)
            return Scaled(sz.cx);
    }
    return Scaled(kDefaultBarWidth);
}

bool SListView::ScrollBarShown() const
{
    return m_locator.GetTotalHeight() > ViewHeight() && ViewHeight() > 0;
}

RECT SListView::ItemsRect() const
{
    RECT rc = GetClientRect();
    if (ScrollBarShown())
        rc.right = std::max(rc.left, rc.right - ScrollBarWidth());
    return rc;
}

SListView::ScrollGeometry SListView::GetScrollGeometry() const
{
    ScrollGeometry g;
    RECT cl = GetClientRect();
    g.bar = RECT{std::max(cl.left, cl.right - ScrollBarWidth()), cl.top, cl.right, cl.bottom};
    int barH = g.bar.bottom - g.bar.top;
    int arrowH = 0;
    if (auto* sb = dynamic_cast<SSkinScrollbar*>(m_sbSkin.get()))
        arrowH = Scaled(sb->GetSkinSize().cy);
    int minThumb = Scaled(kMinThumb);
    // Arrows only where they leave the thumb room to move.
    if (arrowH * 2 + minThumb * 2 > barH)
        arrowH = 0;
    g.up = RECT{g.bar.left, g.bar.top, g.bar.right, g.bar.top + arrowH};
    g.down = RECT{g.bar.left, g.bar.bottom - arrowH, g.bar.right, g.bar.bottom};
    g.track = RECT{g.bar.left, g.up.bottom, g.bar.right, g.down.top};
    int trackH = g.track.bottom - g.track.top;
    int total = std::max(1, m_locator.GetTotalHeight());
    int thumbH = std::min(trackH, std::max(minThumb, int(int64_t(trackH) * ViewHeight() / total)));
    int range = MaxScroll();
    int top = g.track.top + (range > 0 ? int(int64_t(trackH - thumbH) * m_scrollY / range) : 0);
    g.thumb = RECT{g.bar.left, top, g.bar.right, top + thumbH};
    return g;
}

void SListView::UpdatePanels(bool refill)
{
    int count = m_adapter ? std::max(0, m_adapter->getCount()) : 0;
    m_locator.SetCount(count);
    m_scrollY = std::clamp(m_scrollY, 0, MaxScroll());
    if (m_sel >= count)
        m_sel = -1;
    if (m_hover >= count)
        m_hover = -1;

    RECT rc = ItemsRect();
    int h = m_locator.GetItemHeight();
    int first = 0, last = -1;
    if (count > 0 && rc.bottom > rc.top) {
        first = m_scrollY / h;
        last = std::min(count - 1, (m_scrollY + int(rc.bottom - rc.top) - 1) / h);
    }

    std::vector<SItemPanel*> keep;
    for (SItemPanel* p : m_panels) {
        if (p->GetItemIndex() >= first && p->GetItemIndex() <= last)
            keep.push_back(p);
        else
            m_spare.push_back(p);
    }
    m_panels.clear();
    pugi::xml_node tpl = GetTemplate();
    for (int i = first; i <= last; ++i) {
        auto it = std::find_if(keep.begin(), keep.end(), [i](SItemPanel* p) { return p->GetItemIndex() == i; });
        SItemPanel* p;
        bool fill = refill;
        if (it != keep.end()) {
            p = *it;
            keep.erase(it);
        } else if (!m_spare.empty()) {
            p = m_spare.back();
            m_spare.pop_back();
            fill = true;
        } else {
            p = new SItemPanel(this);
            fill = true;
        }
        p->SetItemIndex(i);
        // Detached while it is filled and moved: every widget would invalidate its old and new
        // place one by one (a round trip to the window system each), where the list repaints
        // itself once.
        p->SetHostWnd(nullptr);
        if (fill)
            m_adapter->getView(i, p, tpl);
        int top = rc.top + m_locator.Item2Position(i) - m_scrollY;
        p->Move(RECT{rc.left, top, rc.right, top + h});
        p->SetHostWnd(GetHostWnd());
        m_panels.push_back(p);
    }
    for (SItemPanel* p : m_spare)
        p->SetItemIndex(-1);
}

void SListView::onChanged()
{
    UpdatePanels(true);
    Invalidate();
}

void SListView::onInvalidated()
{
    for (SItemPanel* p : m_panels) {
        p->SetItemIndex(-1);
        m_spare.push_back(p);
    }
    m_panels.clear();
    m_locator.SetCount(0);
    m_sel = m_hover = -1;
    m_scrollY = 0;
    Invalidate();
}

void SListView::OnScaleChanged()
{
    // The same row stays at the top.
    int old = m_locator.GetItemHeight();
    m_locator.SetItemHeight(Scaled(m_itemHeight));
    m_scrollY = int(int64_t(m_scrollY) * m_locator.GetItemHeight() / std::max(old, 1));
}

void SListView::OnPlacementChanged()
{
    if (m_locator.GetItemHeight() != Scaled(m_itemHeight))
        OnScaleChanged();
    UpdatePanels(false);
    Invalidate();
}

SItemPanel* SListView::GetItemPanel(int index) const
{
    for (SItemPanel* p : m_panels)
        if (p->GetItemIndex() == index)
            return p;
    return nullptr;
}

void SListView::InvalidateItem(int index)
{
    if (SItemPanel* p = GetItemPanel(index))
        p->Invalidate();
}

void SListView::SetSel(int index)
{
    if (index < -1 || index >= m_locator.GetCount() || index == m_sel)
        return;
    InvalidateItem(m_sel);
    m_sel = index;
    InvalidateItem(m_sel);
    if (SItemPanel* p = GetItemPanel(m_sel))
        p->NotifyAccEvent(EVENT_OBJECT_SELECTION);
}

void SListView::SetHoverItem(int index)
{
    if (index == m_hover)
        return;
    InvalidateItem(m_hover);
    m_hover = index;
    InvalidateItem(m_hover);
}

COLORREF SListView::GetRowColor(int index) const
{
    if (index >= 0 && index == m_sel && m_crSelected != CR_INVALID)
        return m_crSelected;
    if (index >= 0 && index == m_hover && m_crHover != CR_INVALID)
        return m_crHover;
    return m_crNormal;
}

void SListView::SetScrollPos(int y)
{
    y = std::clamp(y, 0, MaxScroll());
    if (y == m_scrollY)
        return;
    m_scrollY = y;
    UpdatePanels(false);
    Invalidate();
}

void SListView::EnsureVisible(int index)
{
    if (index < 0 || index >= m_locator.GetCount())
        return;
    int top = m_locator.Item2Position(index), bottom = top + m_locator.GetItemHeight();
    if (top < m_scrollY)
        SetScrollPos(top);
    else if (bottom > m_scrollY + ViewHeight())
        SetScrollPos(bottom - ViewHeight());
}

BOOL SListView::OnKeyDown(UINT vk)
{
    int count = m_locator.GetCount();
    if (count == 0)
        return FALSE;
    int page = std::max(1, ViewHeight() / m_locator.GetItemHeight());
    int sel = m_sel;
    switch (vk) {
    case VK_UP:
        sel = sel < 0 ? 0 : sel - 1;
        break;
    case VK_DOWN:
        sel = sel + 1;
        break;
    case VK_HOME:
        sel = 0;
        break;
    case VK_END:
        sel = count - 1;
        break;
    case VK_PRIOR:
        sel = sel < 0 ? 0 : sel - page;
        break;
    case VK_NEXT:
        sel = sel < 0 ? 0 : sel + page;
        break;
    default:
        return FALSE;
    }
    sel = std::clamp(sel, 0, count - 1);
    SetSel(sel);
    EnsureVisible(sel);
    return TRUE;
}

BOOL SListView::OnMouseWheel(int delta)
{
    if (MaxScroll() == 0)
        return FALSE;
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == WHEEL_PAGESCROLL)
        lines = std::max(1, ViewHeight() / m_locator.GetItemHeight());
    SetScrollPos(m_scrollY - int(int64_t(delta) * int(lines) * m_locator.GetItemHeight() / WHEEL_DELTA));
    return TRUE;
}

void SListView::OnPaint(IRenderTarget* rt)
{
    DrawBackground(rt);
    RECT items = ItemsRect();
    rt->PushClipRect(items);
    for (SItemPanel* p : m_panels)
        p->PaintTree(rt, items);
    rt->PopClip();
    if (ScrollBarShown())
        DrawScrollBar(rt);
}

void SListView::DrawScrollBar(IRenderTarget* rt)
{
    ScrollGeometry g = GetScrollGeometry();
    auto* sb = dynamic_cast<SSkinScrollbar*>(m_sbSkin.get());
    if (!sb) {
        rt->FillSolidRect(g.bar, RGBA(0xF0, 0xF0, 0xF0, 255));
        rt->FillSolidRect(g.thumb, RGBA(0xC1, 0xC1, 0xC1, 255));
        return;
    }
    sb->DrawPart(rt, g.track, SSkinScrollbar::PartTrack, 0);
    if (g.up.bottom > g.up.top) {
        sb->DrawPart(rt, g.up, SSkinScrollbar::PartUp, 0);
        sb->DrawPart(rt, g.down, SSkinScrollbar::PartDown, 0);
    }
    sb->DrawPart(rt, g.thumb, SSkinScrollbar::PartThumb, m_dragging ? 2 : 0);
    if (sb->HasGripper()) {
        SIZE cell = sb->GetSkinSize();
        int cy = (g.thumb.top + g.thumb.bottom - cell.cy) / 2;
        if (g.thumb.bottom - g.thumb.top > cell.cy)
            sb->DrawPart(rt, RECT{g.thumb.left, cy, g.thumb.right, cy + cell.cy}, SSkinScrollbar::PartGripper, 0);
    }
}

SWindow* SListView::SwndFromPoint(POINT pt)
{
    if (!IsVisible() || !Inside(m_rc, pt)) {
        SetHoverItem(-1);
        return nullptr;
    }
    RECT items = ItemsRect();
    if (Inside(items, pt)) {
        for (SItemPanel* p : m_panels)
            if (Inside(p->GetWindowRect(), pt)) {
                SetHoverItem(p->GetItemIndex());
                if (SWindow* hit = p->SwndFromPoint(pt))
                    return hit;
                return p;
            }
    }
    SetHoverItem(-1);
    return this;
}

void SListView::OnLButtonDown(POINT pt)
{
    if (!ScrollBarShown())
        return;
    ScrollGeometry g = GetScrollGeometry();
    if (!Inside(g.bar, pt))
        return;
    int h = m_locator.GetItemHeight();
    if (Inside(g.thumb, pt)) {
        m_dragging = true;
        m_dragOffset = pt.y - g.thumb.top;
        Invalidate();
    } else if (Inside(g.up, pt)) {
        SetScrollPos(m_scrollY - h);
    } else if (Inside(g.down, pt)) {
        SetScrollPos(m_scrollY + h);
    } else if (pt.y < g.thumb.top) {
        SetScrollPos(m_scrollY - ViewHeight());
    } else {
        SetScrollPos(m_scrollY + ViewHeight());
    }
}

void SListView::OnMouseMove(POINT pt)
{
    if (!m_dragging)
        return;
    ScrollGeometry g = GetScrollGeometry();
    int free = (g.track.bottom - g.track.top) - (g.thumb.bottom - g.thumb.top);
    if (free <= 0)
        return;
    int top = std::clamp(int(pt.y) - m_dragOffset, int(g.track.top), int(g.track.top) + free);
    SetScrollPos(int(int64_t(top - g.track.top) * MaxScroll() / free));
}

void SListView::OnLButtonUp(POINT)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    Invalidate();
}

void SListView::OnItemClick(int index)
{
    if (index < 0)
        return;
    SetSel(index);
    FireCommand();
}

void SListView::SetFocus()
{
    // Focusing the window of a drop-down would activate it and take the keys from the edit
    // that opened it; there the pop-up routes the keys to the list instead.
    if (auto* dropDown = dynamic_cast<SDropDownWnd*>(GetHostWnd())) {
        dropDown->SetFocusWidget(this);
        return;
    }
    Base::SetFocus();
}

LONG SListView::DefaultAccRole() const
{
    return ROLE_SYSTEM_LIST;
}

void SListView::GetAccChildren(std::vector<SWindow*>& out) const
{
    for (SItemPanel* p : m_panels)
        if (p->IsVisible())
            out.push_back(p);
}

}  // namespace SOUI
